#pragma once

#include <string>

namespace scrivo {

// The table's poll interval when SPK.ini names none, ms. An idle poll costs
// one stat of gam.spk, so a turn can show up quickly.
inline constexpr long DefaultServerDelay = 400;

// The program's settings, loaded once at start-up by LoadSettings and
// written back once at program end by SaveSettings. The program keeps one
// and passes it by reference to whoever reads or changes a setting.
struct Settings {
    long ServerDelay = 0;        // poll interval of the table, ms
    std::string ServerDirectory; // shared folder of the games, with a trailing separator
    std::string LastPlayer;      // the player's name
    std::string Language;        // Lang_Name of the loaded language file
    std::string LanguageFile;    // full path of the loaded language file (not stored)
    std::string FontName;
    long FontSize = 0;
    bool ColourText = false;
    bool BoldText = false;
    bool Symbols = false;
    bool CardText = false;
    bool ShortText = false;
    bool Animated = false;
    bool StatusBar = false;
    bool ScrivoMode = false;
    bool AutoDeal = false;          // the host deals the next hand by itself after a pause
    long TurnSeconds = 60;          // time a player has for a turn in games this client hosts; 0: none
    std::string Rules = "standard"; // the betting rules of games this client creates
    bool Protected = false;         // games this client creates deal with every player's part
};

} // namespace scrivo
