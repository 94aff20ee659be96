#pragma once

#include <string>

namespace scrivo {

// The settings globals, filled once at start-up by LoadSettings and written
// back once at program end by SaveSettings.
extern long ServerDelay;            // poll interval of the table, ms
extern std::string ServerDirectory; // shared folder of the games, with a trailing separator
extern std::string LastPlayer;      // the player's name
extern std::string Language;        // Lang_Name of the loaded language file
extern std::string LanguageFile;    // full path of the loaded language file (not stored)
extern std::string FontName;
extern long FontSize;
extern bool ColourText;
extern bool BoldText;
extern bool Symbols;
extern bool CardText;
extern bool ShortText;
extern bool Animated;
extern bool StatusBar;
extern bool ScrivoMode;

} // namespace scrivo
