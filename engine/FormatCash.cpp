#include "engine/FormatCash.h"

#include <cstdint>
#include <cstdlib>

namespace scrivo {

std::string FormatCash(Currency amount, const std::string& currencySymbol)
{
    const std::int64_t raw = amount.Raw();
    if (raw % Currency::Scale == 0) return currencySymbol + amount.ToString();

    // Two decimals, the half cent rounded away from zero as a number format does.
    const std::int64_t cents = (raw >= 0 ? raw + 50 : raw - 50) / 100;
    const std::int64_t whole = std::llabs(cents) / 100;
    const std::int64_t frac = std::llabs(cents) % 100;
    std::string text = (cents < 0 ? "-" : "") + std::to_string(whole) + ".";
    if (frac < 10) text += "0";
    text += std::to_string(frac);
    return currencySymbol + text;
}

} // namespace scrivo
