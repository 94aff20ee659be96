#include "settings/Language.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "settings/Settings.h"

namespace scrivo {

namespace {

constexpr const char* kSubscript = "Subscript out of range";

class LanguageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string OpenErrorText(int err)
{
    switch (err) {
    case ENOENT:
        return "File not found";
    case ENOTDIR:
        return "Path not found";
    case EACCES:
    case EPERM:
        return "Permission denied";
    case EISDIR:
        return "Path/File access error";
    default:
        return std::strerror(err);
    }
}

// The whole file as UTF-8 text: UTF-8 when its bytes are valid UTF-8 (a
// byte order mark skipped), otherwise Windows-1252.
std::string ReadText(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw LanguageError(OpenErrorText(errno));
    if (S_ISDIR(st.st_mode)) throw LanguageError(OpenErrorText(EISDIR));
    std::ifstream in(path, std::ios::binary);
    if (!in) throw LanguageError(OpenErrorText(errno ? errno : EACCES));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) throw LanguageError("Input past end of file");
    std::string text = bytes.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    return IsValidUtf8(text) ? text : Cp1252ToUtf8(text);
}

// Calls take(line) for each line; CR LF, LF and CR all end a line.
template <typename Take> void ForEachLine(const std::string& text, Take take)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        take(std::string_view(text).substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            start = end + 2;
        else
            start = end + 1;
    }
}

struct LineParts {
    std::string_view key;
    std::string_view value;
};

// Key before the first "=", value up to the second; nothing is trimmed.
bool SplitLine(std::string_view line, LineParts& parts)
{
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    parts.key = line.substr(0, eq);
    std::string_view rest = line.substr(eq + 1);
    parts.value = rest.substr(0, rest.find('='));
    return true;
}

// The key of a numbered entry, as the nearest whole number; outside
// [first, last] is an error.
std::size_t IndexOf(std::string_view key, int first, int last)
{
    const double v = Val(key);
    if (!(v >= first - 0.5 && v <= last + 0.5)) throw LanguageError(kSubscript);
    const long long i = RoundHalfEven(v);
    if (i < first || i > last) throw LanguageError(kSubscript);
    return static_cast<std::size_t>(i);
}

// The text a key of [Text] or [Application] names.
template <typename Id> Id TextKey(std::string_view key)
{
    return Id(static_cast<int>(IndexOf(key, 0, TextTable<Id>::Count - 1)));
}

bool IsLanguageFileName(const std::string& name)
{
    constexpr std::string_view prefix = "Lang_";
    constexpr std::string_view suffix = ".ini";
    return name.size() >= prefix.size() + suffix.size() &&
           EqualsNoCase(std::string_view(name).substr(0, prefix.size()), prefix) &&
           EqualsNoCase(std::string_view(name).substr(name.size() - suffix.size()), suffix);
}

} // namespace

void Language::ScanLanguageFiles(Settings& settings)
{
    LangNames.assign(1, std::string());
    LangFiles.assign(1, std::string());
    LangCodes.assign(1, std::string());
    int count = -1;
    try {
        const std::string folder = ProgramFolder();
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (IsLanguageFileName(name) && !IsDirectory(JoinPath(folder, name))) names.push_back(name);
            }
            ::closedir(dir);
        } else if (errno != ENOENT) {
            throw LanguageError(OpenErrorText(errno));
        }
        // A stable order, so the lists look the same on every start.
        std::sort(names.begin(), names.end());

        for (const auto& name : names) {
            const std::string path = JoinPath(folder, name);
            const std::string text = ReadText(path);
            std::string section;
            std::string displayName;
            std::string code;
            const int first = count + 1;
            ForEachLine(text, [&](std::string_view line) {
                if (!line.empty() && line[0] == '[') {
                    section = line;
                    return;
                }
                LineParts parts;
                if (section != "[Info]" || !SplitLine(line, parts)) return;
                if (parts.key == "Lang_Code" && code.empty()) code = ToLowerAscii(parts.value);
                if (parts.key != "Lang_Name") return;
                displayName = parts.value;
                ++count;
                if (count == 0) {
                    LangNames[0] = displayName;
                    LangFiles[0] = path;
                } else {
                    LangNames.push_back(displayName);
                    LangFiles.push_back(path);
                    LangCodes.emplace_back();
                }
            });
            for (int i = first; i <= count; ++i)
                LangCodes[static_cast<std::size_t>(i)] = code;
            // A file without a name is never the chosen one, even while no
            // language is chosen yet.
            if (!displayName.empty() && displayName == settings.Language) settings.LanguageFile = path;
        }
    } catch (const std::exception& e) {
        MsgBox(std::string("Error getting headers from language files.\r\n") + e.what());
    }
}

std::size_t Language::PreferredIndex(std::string_view locale) const
{
    // "de_AT.UTF-8@euro" -> "de"; C and POSIX name no language.
    std::string wanted = ToLowerAscii(locale.substr(0, locale.find_first_of("_.@")));
    if (wanted == "c" || wanted == "posix") wanted.clear();
    auto find = [&](const std::string& code) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < LangCodes.size() && i < LangFiles.size(); ++i)
            if (!code.empty() && LangCodes[i] == code) return i;
        return std::nullopt;
    };
    if (auto i = find(wanted)) return *i;
    if (auto i = find("en")) return *i;
    return 0;
}

std::string LocaleFromEnvironment()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return {};
}

void Language::ReadLanguageFile(const std::string& path, Settings& settings)
{
    if (path.empty()) {
        settings.Language.clear();
        return;
    }
    // Entry 0 of each table stays: no file defines it.
    std::fill(LangText.begin() + 1, LangText.end(), std::string());
    std::fill(AppText.begin() + 1, AppText.end(), std::string());
    BotChat.assign(1, std::string());

    std::string displayName;
    try {
        const std::string text = ReadText(path);
        std::string section;
        ForEachLine(text, [&](std::string_view line) {
            if (!line.empty() && line[0] == '[') {
                section = line;
                return;
            }
            LineParts parts;
            if (!SplitLine(line, parts)) return;
            if (section == "[Info]") {
                if (parts.key == "Lang_Name") displayName = parts.value;
            } else if (section == "[Text]") {
                LangText[TextKey<MsgId>(parts.key)] = parts.value;
            } else if (section == "[Application]") {
                AppText[TextKey<CapId>(parts.key)] = parts.value;
            } else if (section == "[Bots]") {
                if (parts.key == "msg") {
                    BotChat.emplace_back(parts.value);
                } else {
                    const double n = Val(parts.key);
                    if (n > 0 && n < 9) BotNames[IndexOf(parts.key, 0, 8)] = parts.value;
                }
            }
        });
    } catch (const std::exception& e) {
        MsgBox("Error reading Language file: " + path + "\r\n" + e.what());
        return;
    }
    settings.Language = displayName;
    if (displayName.empty()) MsgBox("Invalid language file.");
}

namespace {

void ReplaceAll(std::string& text, char from, std::string_view to)
{
    if (text.find(from) == std::string::npos) return;
    std::string out;
    out.reserve(text.size() + to.size());
    for (char c : text) {
        if (c == from)
            out.append(to);
        else
            out.push_back(c);
    }
    text.swap(out);
}

} // namespace

std::string Language::FormatText(MsgId n, std::string_view arg1, std::string_view arg2,
                                 std::string_view arg3) const
{
    if (!LangText.Holds(n)) {
        MsgBox(std::string("Error parsing and showing text: ") + kSubscript);
        return {};
    }
    // Markers never found in UTF-8 text keep an argument's own "%", "$" or
    // "*" from being replaced by the next argument.
    static constexpr char marker1 = static_cast<char>(0xFF);
    static constexpr char marker2 = static_cast<char>(0xFE);
    static constexpr char marker3 = static_cast<char>(0xFD);
    std::string text = LangText[n];
    if (!arg1.empty()) ReplaceAll(text, '%', std::string_view(&marker1, 1));
    if (!arg2.empty()) ReplaceAll(text, '$', std::string_view(&marker2, 1));
    if (!arg3.empty()) ReplaceAll(text, '*', std::string_view(&marker3, 1));
    if (!arg1.empty()) ReplaceAll(text, marker1, arg1);
    if (!arg2.empty()) ReplaceAll(text, marker2, arg2);
    if (!arg3.empty()) ReplaceAll(text, marker3, arg3);
    return text;
}

} // namespace scrivo
