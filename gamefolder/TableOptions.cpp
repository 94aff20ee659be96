#include "gamefolder/TableOptions.h"

namespace scrivo {

std::optional<HandRules> ParseRules(std::string_view text)
{
    if (text == "standard" || text == "Standard") return HandRules::Standard;
    if (text == "classic" || text == "Classic") return HandRules::Classic;
    return std::nullopt;
}

} // namespace scrivo
