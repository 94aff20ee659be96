#include "engine/FormatCash.h"

#include <cstdint>

namespace scrivo {

std::string FormatCash(Currency amount, const std::string& currencySymbol)
{
    const std::int64_t raw = amount.Raw();
    if (raw % Currency::Scale == 0) return currencySymbol + amount.ToString();

    // Two decimals, the half cent rounded away from zero as a number format
    // does. The magnitude is unsigned, so that amounts at either end of the
    // range neither overflow nor lose their sign.
    const bool negative = raw < 0;
    const std::uint64_t mag =
        negative ? std::uint64_t(0) - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
    const std::uint64_t cents = (mag + 50) / 100;
    const std::uint64_t whole = cents / 100;
    const std::uint64_t frac = cents % 100;
    std::string text = (negative && cents != 0 ? "-" : "") + std::to_string(whole) + ".";
    if (frac < 10) text += "0";
    text += std::to_string(frac);
    return currencySymbol + text;
}

} // namespace scrivo
