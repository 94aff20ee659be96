#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Screen.h"

namespace scrivo {

// A current file, section and key over an INI file: set Path, Section and
// Key, then read Value or assign it. Every access reads or rewrites the file
// on the spot; nothing is cached. Also saves and restores a window's
// position in the current section, keeping a restored window on the screen.
class cInifile {
public:
    // 1 after a successful write, 0 after a failed write or a failed
    // window-position operation.
    long LastReturnCode() const { return m_lastReturnCode; }
    bool Success() const { return m_lastReturnCode != 0; }
    // How many writes have failed since the object was made.
    long FailedWrites() const { return m_failedWrites; }

    const std::string& Default() const { return m_default; }
    void SetDefault(std::string text) { m_default = std::move(text); }
    const std::string& Path() const { return m_path; }
    void SetPath(std::string path) { m_path = std::move(path); }
    const std::string& Key() const { return m_key; }
    void SetKey(std::string key) { m_key = std::move(key); }
    const std::string& Section() const { return m_section; }
    void SetSection(std::string section) { m_section = std::move(section); }

    // At most 254 characters; the default when the file, section or key is missing.
    std::string Value() const;
    // NUL characters are removed first; line breaks become blanks, as a value is one line.
    void SetValue(std::string_view text);
    void DeleteKey();
    void DeleteSection();

    // Key names of the current section, each followed by a NUL.
    std::string INISection() const;
    // Removes the whole current section, whatever the text.
    void SetINISection(std::string_view text);
    // Section names of the file, each followed by a NUL.
    std::string Sections() const;

    // Fill names (from index 0) and count; empty names are skipped.
    void EnumerateCurrentSection(std::vector<std::string>& names, long& count) const;
    void EnumerateAllSections(std::vector<std::string>& names, long& count) const;

    void SaveFormPosition(const FormGeometry& form);
    void LoadFormPosition(FormGeometry& form, long minWidth, long minHeight, const ScreenMetrics& screen);

    // The text as a 32-bit number rounded half to even, or the default when
    // it is not one.
    long CLngDefault(std::string_view text, long defaultValue) const;

private:
    void Write(bool removeKey, bool removeSection, std::string_view value);

    std::string m_path;
    std::string m_key;
    std::string m_section;
    std::string m_default;
    long m_lastReturnCode = 0;
    long m_failedWrites = 0;
};

} // namespace scrivo
