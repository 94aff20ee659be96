#include "gamefolder/CurrentGame.h"

namespace scrivo {

std::string GameFolder;
std::string GameName;
std::string GameType;
int MyPlayerNo = 0;
bool IsHost = false;
int BotCount = 0;
Currency MyCash;

} // namespace scrivo
