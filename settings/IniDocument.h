#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivo {

// The outcome of reading or writing an INI file.
struct IniResult {
    bool ok = true;
    std::string error; // what went wrong when !ok
};

// One INI file held as its lines, so that changing one key rewrites only
// that line and keeps every other line, comment and section where it was.
// Section and key names match without regard to case; the first of several
// equal sections or keys is the one read and changed. Each line is taken as
// UTF-8 when it is valid UTF-8, otherwise as Windows-1252; values come back
// as UTF-8 and are written as UTF-8.
class IniDocument {
public:
    // A missing file reads as an empty document.
    IniResult Load(const std::string& path);
    void Parse(std::string_view bytes);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    std::vector<std::string> KeyNames(std::string_view section) const;
    std::vector<std::string> SectionNames() const;

    // Adds the section and the key when they are missing.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // True when something was removed.
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

    std::string Bytes() const;
    // Writes a temporary file beside the target, flushes it to disk and
    // renames it over the target, so a crash leaves the old or the new file.
    IniResult Save(const std::string& path) const;

private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        std::string raw; // the bytes as in the file, without the line break
        std::string eol; // the line break that ended it ("" for a last line without one)
        Kind kind = Kind::Other;
        std::string name;  // section or key name, decoded and trimmed
        std::string value; // entry value, decoded, trimmed, quotes removed
    };

    static Line ParseLine(std::string raw, std::string eol);
    // Index of the first header of that section, or npos.
    std::size_t FindSection(std::string_view section) const;
    // One past the last line that belongs to the section starting at header.
    std::size_t SectionEnd(std::size_t header) const;
    std::size_t FindEntry(std::size_t header, std::string_view key) const;
    std::string NewLineBreak() const;

    std::vector<Line> m_lines;
};

} // namespace scrivo
