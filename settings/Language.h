#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "settings/TextIds.h"

namespace scrivo {

struct Settings;

// One table of numbered texts, 0 to 100, indexed by its own id type only.
template <typename Id> class TextTable {
public:
    static constexpr int Count = 200;

    std::string& operator[](Id id) { return m_texts[static_cast<std::size_t>(id.Number())]; }
    const std::string& operator[](Id id) const { return m_texts[static_cast<std::size_t>(id.Number())]; }
    static constexpr bool Holds(Id id) { return id.Number() >= 0 && id.Number() < Count; }

    auto begin() { return m_texts.begin(); }
    auto end() { return m_texts.end(); }
    auto begin() const { return m_texts.begin(); }
    auto end() const { return m_texts.end(); }
    void fill(const std::string& text) { m_texts.fill(text); }
    bool operator==(const TextTable&) const = default;

private:
    std::array<std::string, Count> m_texts;
};

// The texts of the loaded language file and the language files found beside
// the program. Entries the file does not define are empty. The program keeps
// one and passes it to whoever shows or writes a text.
class Language {
public:
    TextTable<MsgId> LangText;                       // game messages
    TextTable<CapId> AppText;                        // captions
    std::array<std::string, 9> BotNames;             // 1..8 used
    std::vector<std::string> BotChat{std::string()}; // 1..n used, entry 0 empty

    // Display names and full paths of the language files found, from 0.
    std::vector<std::string> LangNames{std::string()};
    std::vector<std::string> LangFiles{std::string()};
    // The ISO 639 code of each file's language ([Info] Lang_Code, e.g. "de"),
    // empty when the file names none.
    std::vector<std::string> LangCodes{std::string()};

    // Finds the language files beside the program; the one named like
    // settings.Language becomes settings.LanguageFile.
    void ScanLanguageFiles(Settings& settings);
    // The index in LangFiles of the language to offer on a first start: the
    // one whose code matches the locale ("de_AT.UTF-8" matches "de"), else
    // English, else the first.
    std::size_t PreferredIndex(std::string_view locale) const;
    // Loads the texts of a language file; its name becomes settings.Language
    // (an empty path clears it).
    void ReadLanguageFile(const std::string& path, Settings& settings);

    // Message n of LangText with "%", "$" and "*" replaced by the arguments
    // that are given (an empty argument means not given).
    std::string FormatText(MsgId n, std::string_view arg1 = {}, std::string_view arg2 = {},
                           std::string_view arg3 = {}) const;
};

// The locale that names the user's language: LC_ALL, LC_MESSAGES or LANG,
// the first that is set.
std::string LocaleFromEnvironment();

} // namespace scrivo
