#include "settings/Settings.h"

namespace scrivo {

long ServerDelay = 0;
std::string ServerDirectory;
std::string LastPlayer;
std::string Language;
std::string LanguageFile;
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

} // namespace scrivo
