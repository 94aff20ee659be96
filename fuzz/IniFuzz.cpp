// The INI reader and cInifile: any file reads, writes back byte for byte
// when nothing changed, and a value set is read back while every other key
// keeps its value.
#include <algorithm>
#include <map>
#include <utility>

#include "fuzz/FuzzSupport.h"
#include "platform/Text.h"
#include "settings/IniDocument.h"
#include "settings/cInifile.h"

namespace scrivo::fuzz {

namespace {

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// A name a caller would use: valid UTF-8, one line, none of the characters
// that make a line a comment, a header or an entry, no blanks at the ends.
std::string CleanName(const std::string& raw)
{
    std::string name;
    for (char c : Cp1252ToUtf8(raw))
        if (c != '\n' && c != '\r' && c != '\0' && c != '=' && c != '[' && c != ']' && c != ';' && c != '#')
            name += c;
    while (!name.empty() && Blank(name.back()))
        name.pop_back();
    while (!name.empty() && Blank(name.front()))
        name.erase(0, 1);
    return name;
}

// A value as a caller passes it: one line of UTF-8, not quoted, no blanks at
// the ends (the reader trims them and drops surrounding quotes).
std::string CleanValue(const std::string& raw)
{
    std::string value;
    for (char c : Cp1252ToUtf8(raw))
        if (c != '\n' && c != '\r' && c != '\0' && c != '"' && c != '\'') value += c;
    while (!value.empty() && Blank(value.back()))
        value.pop_back();
    while (!value.empty() && Blank(value.front()))
        value.erase(0, 1);
    return value;
}

// What cInifile gives for a stored value: up to the first NUL, at most 254
// characters.
std::string First254(std::string value)
{
    value = value.substr(0, value.find('\0'));
    std::size_t chars = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) == 0x80) continue;
        if (chars++ == 254) return value.substr(0, i);
    }
    return value;
}

using Values = std::map<std::pair<std::string, std::string>, std::string>;

// Every key the document reads, by lower-case section and key.
Values AllValues(const IniDocument& doc)
{
    Values all;
    for (const std::string& section : doc.SectionNames())
        for (const std::string& key : doc.KeyNames(section)) {
            const auto id = std::pair{ToLowerAscii(section), ToLowerAscii(key)};
            if (!all.count(id)) all[id] = doc.Get(section, key).value_or("");
        }
    return all;
}

void RequireOthersKept(const Values& before, const IniDocument& doc, const std::string& section,
                       const std::string& key)
{
    for (const auto& [id, value] : before) {
        if (id == std::pair{ToLowerAscii(section), ToLowerAscii(key)}) continue;
        Require(doc.Get(id.first, id.second) == value, "setting one key keeps every other key's value");
    }
}

} // namespace

void IniBody(const std::uint8_t* data, std::size_t size)
{
    QuietMessages();
    Input in(data, size);
    const std::string section = CleanName(in.Piece());
    const std::string key = CleanName(in.Piece());
    const std::string value = CleanValue(in.Piece());
    const std::string bytes = in.Rest();

    IniDocument doc;
    doc.Parse(bytes);
    Require(doc.Bytes() == bytes, "an unchanged document writes back byte for byte");
    const Values before = AllValues(doc);
    if (key.empty()) return;

    doc.Set(section, key, value);
    Require(doc.Get(section, key) == value, "a value set is read back");
    RequireOthersKept(before, doc, section, key);
    IniDocument again;
    again.Parse(doc.Bytes());
    Require(again.Get(section, key) == value, "a value set is read back from the written file");
    RequireOthersKept(before, again, section, key);
    // The first of equal keys is the one changed and removed; a later one
    // shows through once it is gone.
    const auto names = again.KeyNames(section);
    const auto copies = std::count_if(names.begin(), names.end(), [&](const std::string& name) {
        return ToLowerAscii(name) == ToLowerAscii(key);
    });
    Require(again.RemoveKey(section, key), "a key set can be removed");
    Require(copies > 1 || !again.Get(section, key), "a removed key is gone");

    // The same through cInifile and a real file.
    const std::string path = ScratchFolder() + "/fuzz.ini";
    WriteFile(path, bytes);
    cInifile ini;
    ini.SetPath(path);
    ini.SetSection(section);
    ini.SetKey(key);
    ini.SetDefault("\x01 missing");
    const auto id = std::pair{ToLowerAscii(section), ToLowerAscii(key)};
    const auto found = before.find(id);
    Require(ini.Value() == First254(found == before.end() ? "\x01 missing" : found->second),
            "cInifile reads what the file holds, or the default");
    ini.SetValue(value);
    Require(ini.Success(), "a value can be written");
    Require(ini.Value() == First254(value), "cInifile reads back the first 254 characters of the value");
    IniDocument file;
    Require(file.Load(path).ok, "the written file loads");
    RequireOthersKept(before, file, section, key);
}

} // namespace scrivo::fuzz
