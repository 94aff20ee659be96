#pragma once

#include <string>

#include "platform/Currency.h"

namespace scrivo {

// The game this client sits at, set by the session browser when it creates
// or joins a game, and by the table when it opens.
extern std::string GameFolder; // full path, no trailing separator
extern std::string GameName;
extern std::string GameType; // "THLI", "THPL" or "THNL"
extern int MyPlayerNo;       // 1 for the creator
extern bool IsHost;
extern int BotCount;
extern Currency MyCash;

} // namespace scrivo
