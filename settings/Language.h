#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace scrivo {

// Text tables of the loaded language file. Entries the file does not define
// are empty.
extern std::array<std::string, 101> LangText; // game messages
extern std::array<std::string, 101> AppText;  // captions
extern std::array<std::string, 9> BotNames;   // 1..8 used
extern std::vector<std::string> BotChat;      // 1..n used, entry 0 empty

// Display names and full paths of the language files found, from 0.
extern std::vector<std::string> LangNames;
extern std::vector<std::string> LangFiles;

void ScanLanguageFiles();
void ReadLanguageFile(const std::string& path);

// Message n of LangText with "%", "$" and "*" replaced by the arguments that
// are given (an empty argument means not given).
std::string FormatText(int n, std::string_view arg1 = {}, std::string_view arg2 = {},
                       std::string_view arg3 = {});

} // namespace scrivo
