// Language files and FormatText: any file loads into tables of one-line
// UTF-8 texts; the tables written out as a language file load back the
// same; FormatText puts each given argument where its sign stands.
#include <array>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace scrivo::fuzz {

namespace {

struct Tables {
    TextTable<MsgId> lang;
    TextTable<CapId> app;
    std::array<std::string, 9> bots;
    std::vector<std::string> chat;
    bool operator==(const Tables&) const = default;
};

Tables Loaded(const Language& language)
{
    return Tables{language.LangText, language.AppText, language.BotNames, language.BotChat};
}

bool OneLineText(const std::string& s)
{
    return IsValidUtf8(s) && s.find_first_of("\r\n=") == std::string::npos;
}

std::string Written(const Tables& t)
{
    std::string file = "[Info]\r\nLang_Name=Fuzz\r\n[Text]\r\n";
    for (int i = 0; i < t.lang.Count; ++i)
        file += std::to_string(i) + "=" + t.lang[MsgId(i)] + "\r\n";
    file += "[Application]\r\n";
    for (int i = 0; i < t.app.Count; ++i)
        file += std::to_string(i) + "=" + t.app[CapId(i)] + "\r\n";
    file += "[Bots]\r\n";
    for (std::size_t i = 1; i < t.bots.size(); ++i)
        file += std::to_string(i) + "=" + t.bots[i] + "\r\n";
    for (std::size_t i = 1; i < t.chat.size(); ++i)
        file += "msg=" + t.chat[i] + "\r\n";
    return file;
}

// FormatText as the rule says it, sign by sign (the arguments hold no marker
// bytes: they are UTF-8).
std::string Substituted(const std::string& text, const std::string& a1, const std::string& a2,
                        const std::string& a3)
{
    std::string out;
    for (char c : text) {
        if (c == '%' && !a1.empty())
            out += a1;
        else if (c == '$' && !a2.empty())
            out += a2;
        else if (c == '*' && !a3.empty())
            out += a3;
        else
            out += c;
    }
    return out;
}

} // namespace

void LanguageBody(const std::uint8_t* data, std::size_t size)
{
    QuietMessages();
    Input in(data, size);
    const int n = in.Byte();
    const std::string a1 = Cp1252ToUtf8(in.Piece());
    const std::string a2 = Cp1252ToUtf8(in.Piece());
    const std::string a3 = Cp1252ToUtf8(in.Piece());
    const std::string path = ScratchFolder() + "/Lang_Fuzz.ini";
    WriteFile(path, in.Rest());

    // Fresh tables each time, as a program start has them.
    Language language;
    Settings settings;
    language.ReadLanguageFile(path, settings);
    const Tables loaded = Loaded(language);
    for (const std::string& s : loaded.lang)
        Require(OneLineText(s), "a loaded text is one line of UTF-8 without =");
    for (const std::string& s : loaded.app)
        Require(OneLineText(s), "a loaded text is one line of UTF-8 without =");
    for (const std::string& s : loaded.bots)
        Require(OneLineText(s), "a bot name is one line of UTF-8 without =");
    Require(!loaded.chat.empty() && loaded.chat[0].empty(), "bot chat keeps its empty entry 0");
    for (const std::string& s : loaded.chat)
        Require(OneLineText(s), "a chat line is one line of UTF-8 without =");

    WriteFile(path, Written(loaded));
    Language again;
    again.ReadLanguageFile(path, settings);
    Require(Loaded(again) == loaded, "tables written as a language file load back the same");
    Require(settings.Language == "Fuzz", "the written file's name is read");

    const MsgId message(n);
    Require(again.FormatText(message, a1, a2, a3) ==
                (again.LangText.Holds(message) ? Substituted(again.LangText[message], a1, a2, a3) : ""),
            "FormatText puts each given argument where its sign stands");
    Require(again.FormatText(MsgId(-n - 1), a1).empty(), "a message number out of range gives nothing");
}

} // namespace scrivo::fuzz
