#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scrivo {

// An amount of money: a 64-bit count of ten-thousandths, exact in memory and
// on disk. Decimal text always uses "." and no grouping, whatever the locale.
//
// Arithmetic is checked: a result outside the 64-bit range throws
// CurrencyOverflow (an std::overflow_error, so every handler that catches
// std::exception reports it as "Overflow"). The Checked* forms give nothing
// instead, for code that decides itself what an overflow means.
class CurrencyOverflow : public std::overflow_error {
public:
    CurrencyOverflow() : std::overflow_error("Overflow") {}
};

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
    static constexpr Currency FromWhole(std::int64_t units) { return FromRaw(Checked(Mul(units, Scale))); }
    // Rounds to the nearest ten-thousandth, halves to even. A value that is
    // not finite or does not fit throws CurrencyOverflow (TryFromDouble:
    // nothing).
    static Currency FromDouble(double value);
    static std::optional<Currency> TryFromDouble(double value);

    // Decimal text: optional blanks, optional sign, digits, optional "." and
    // digits, optional blanks. More than four decimals are rounded half to
    // even. Anything else (or an amount out of range) gives nothing.
    static std::optional<Currency> Parse(std::string_view text);

    constexpr std::int64_t Raw() const { return m_raw; }
    double ToDouble() const { return static_cast<double>(m_raw) / Scale; }
    bool IsZero() const { return m_raw == 0; }

    // Shortest decimal text: "25", "12.5", "-0.0001".
    std::string ToString() const;

    static constexpr std::optional<Currency> CheckedAdd(Currency a, Currency b)
    {
        return Wrap(Add(a.m_raw, b.m_raw));
    }
    static constexpr std::optional<Currency> CheckedSub(Currency a, Currency b)
    {
        return Wrap(Sub(a.m_raw, b.m_raw));
    }
    static constexpr std::optional<Currency> CheckedMul(Currency a, std::int64_t n)
    {
        return Wrap(Mul(a.m_raw, n));
    }

    constexpr auto operator<=>(const Currency&) const = default;
    constexpr Currency operator+(Currency o) const { return FromRaw(Checked(Add(m_raw, o.m_raw))); }
    constexpr Currency operator-(Currency o) const { return FromRaw(Checked(Sub(m_raw, o.m_raw))); }
    constexpr Currency operator-() const { return FromRaw(Checked(Sub(0, m_raw))); }
    constexpr Currency operator*(std::int64_t n) const { return FromRaw(Checked(Mul(m_raw, n))); }
    constexpr Currency& operator+=(Currency o) { return *this = *this + o; }
    constexpr Currency& operator-=(Currency o) { return *this = *this - o; }

private:
    // A raw result and whether it overflowed.
    struct Outcome {
        std::int64_t raw;
        bool overflow;
    };
    static constexpr Outcome Add(std::int64_t a, std::int64_t b)
    {
        Outcome r{};
        r.overflow = __builtin_add_overflow(a, b, &r.raw);
        return r;
    }
    static constexpr Outcome Sub(std::int64_t a, std::int64_t b)
    {
        Outcome r{};
        r.overflow = __builtin_sub_overflow(a, b, &r.raw);
        return r;
    }
    static constexpr Outcome Mul(std::int64_t a, std::int64_t b)
    {
        Outcome r{};
        r.overflow = __builtin_mul_overflow(a, b, &r.raw);
        return r;
    }
    static constexpr std::int64_t Checked(Outcome r)
    {
        if (r.overflow) throw CurrencyOverflow();
        return r.raw;
    }
    static constexpr std::optional<Currency> Wrap(Outcome r)
    {
        if (r.overflow) return std::nullopt;
        return FromRaw(r.raw);
    }

    std::int64_t m_raw = 0;
};

} // namespace scrivo
