#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivo {

// An amount of money: a 64-bit count of ten-thousandths, exact in memory and
// on disk. Decimal text always uses "." and no grouping, whatever the locale.
class Currency {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency FromRaw(std::int64_t raw)
    {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    static constexpr Currency FromWhole(std::int64_t units) { return FromRaw(units * Scale); }
    // Rounds to the nearest ten-thousandth, halves to even.
    static Currency FromDouble(double value);

    // Decimal text: optional blanks, optional sign, digits, optional "." and
    // digits, optional blanks. More than four decimals are rounded half to
    // even. Anything else (or an amount out of range) gives nothing.
    static std::optional<Currency> Parse(std::string_view text);

    constexpr std::int64_t Raw() const { return m_raw; }
    double ToDouble() const { return static_cast<double>(m_raw) / Scale; }
    bool IsZero() const { return m_raw == 0; }

    // Shortest decimal text: "25", "12.5", "-0.0001".
    std::string ToString() const;

    constexpr auto operator<=>(const Currency&) const = default;
    constexpr Currency operator+(Currency o) const { return FromRaw(m_raw + o.m_raw); }
    constexpr Currency operator-(Currency o) const { return FromRaw(m_raw - o.m_raw); }
    constexpr Currency operator-() const { return FromRaw(-m_raw); }
    constexpr Currency operator*(std::int64_t n) const { return FromRaw(m_raw * n); }
    constexpr Currency& operator+=(Currency o)
    {
        m_raw += o.m_raw;
        return *this;
    }
    constexpr Currency& operator-=(Currency o)
    {
        m_raw -= o.m_raw;
        return *this;
    }

private:
    std::int64_t m_raw = 0;
};

} // namespace scrivo
