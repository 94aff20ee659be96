#pragma once

#include <string>

#include "platform/Currency.h"

namespace scrivo {

// The game one client sits at: made when the client creates or joins a game
// and owned by the table that plays it. Several sessions may live in one
// process, each with its own table.
struct GameSession {
    std::string GameFolder; // full path, no trailing separator
    std::string GameName;
    std::string GameType; // "THLI", "THPL" or "THNL"
    int MyPlayerNo = 0;   // 1 for the creator
    bool IsHost = false;
    int BotCount = 0;
    Currency MyCash;
};

} // namespace scrivo
