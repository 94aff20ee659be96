#include "platform/Currency.h"

#include <cmath>
#include <limits>

namespace scrivo {

std::optional<Currency> Currency::TryFromDouble(double value)
{
    const double scaled = std::nearbyint(value * Scale); // default rounding mode: half to even
    // 2^63 is exact in a double; NaN fails both comparisons.
    constexpr double bound = 9223372036854775808.0;
    if (!(scaled >= -bound && scaled < bound)) return std::nullopt;
    return FromRaw(static_cast<std::int64_t>(scaled));
}

Currency Currency::FromDouble(double value)
{
    if (auto c = TryFromDouble(value)) return *c;
    throw CurrencyOverflow();
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
    // The magnitude is built unsigned, so that the most negative amount
    // (whose magnitude has no positive counterpart) reads back too.
    std::uint64_t whole = 0;
    int digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        if (__builtin_mul_overflow(whole, std::uint64_t(10), &whole) ||
            __builtin_add_overflow(whole, std::uint64_t(text[i] - '0'), &whole))
            return std::nullopt;
        ++i;
        ++digits;
    }
    std::uint64_t frac = 0;
    int fracDigits = 0;
    int roundDigit = -1; // fifth decimal
    bool stickyBeyond = false;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            const int d = text[i] - '0';
            if (fracDigits < 4) {
                frac = frac * 10 + static_cast<std::uint64_t>(d);
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
    std::uint64_t mag = 0;
    if (__builtin_mul_overflow(whole, static_cast<std::uint64_t>(Scale), &mag) ||
        __builtin_add_overflow(mag, frac, &mag))
        return std::nullopt;
    if (roundDigit > 5 || (roundDigit == 5 && (stickyBeyond || (mag % 2) != 0))) {
        if (__builtin_add_overflow(mag, std::uint64_t(1), &mag)) return std::nullopt;
    }
    constexpr std::uint64_t largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (mag > largest + (negative ? 1 : 0)) return std::nullopt;
    if (!negative) return FromRaw(static_cast<std::int64_t>(mag));
    if (mag == largest + 1) return FromRaw(std::numeric_limits<std::int64_t>::min());
    return FromRaw(-static_cast<std::int64_t>(mag));
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
