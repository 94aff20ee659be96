#include "platform/Currency.h"

#include <cmath>
#include <limits>

namespace scrivo {

Currency Currency::FromDouble(double value)
{
    const double scaled = std::nearbyint(value * Scale); // default rounding mode: half to even
    return FromRaw(static_cast<std::int64_t>(scaled));
}

std::optional<Currency> Currency::Parse(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto blank = [&](std::size_t k) { return text[k] == ' ' || text[k] == '\t'; };
    while (i < n && blank(i))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10 - 10;
    std::int64_t whole = 0;
    int digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        if (whole > limit / Scale) return std::nullopt;
        whole = whole * 10 + (text[i] - '0');
        ++i;
        ++digits;
    }
    std::int64_t frac = 0;
    int fracDigits = 0;
    int roundDigit = -1; // fifth decimal
    bool stickyBeyond = false;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            const int d = text[i] - '0';
            if (fracDigits < 4) {
                frac = frac * 10 + d;
            } else if (fracDigits == 4) {
                roundDigit = d;
            } else if (d != 0) {
                stickyBeyond = true;
            }
            ++fracDigits;
            ++digits;
            ++i;
        }
    }
    while (i < n && blank(i))
        ++i;
    if (i != n || digits == 0) return std::nullopt;
    for (int k = fracDigits; k < 4; ++k)
        frac *= 10;
    std::int64_t raw = whole * Scale + frac;
    if (roundDigit > 5 || (roundDigit == 5 && (stickyBeyond || (raw % 2) != 0))) ++raw;
    return FromRaw(negative ? -raw : raw);
}

std::string Currency::ToString() const
{
    const bool negative = m_raw < 0;
    // Work in unsigned so that the most negative value does not overflow.
    const std::uint64_t mag =
        negative ? std::uint64_t(0) - static_cast<std::uint64_t>(m_raw) : static_cast<std::uint64_t>(m_raw);
    std::string out = negative ? "-" : "";
    out += std::to_string(mag / Scale);
    std::uint64_t frac = mag % Scale;
    if (frac != 0) {
        std::string f = std::to_string(frac);
        f.insert(0, 4 - f.size(), '0');
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        out += '.';
        out += f;
    }
    return out;
}

} // namespace scrivo
