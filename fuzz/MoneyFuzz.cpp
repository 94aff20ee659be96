// Money: Currency parsing, Val and FormatCash. Parsed amounts are exact and
// their text reads back; checked arithmetic agrees with wide arithmetic and
// never wraps; FormatCash shows every amount to the cent.
#include <cmath>
#include <limits>

#include "engine/FormatCash.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Currency.h"
#include "platform/Text.h"

namespace scrivo::fuzz {

namespace {

constexpr __int128 Lowest = std::numeric_limits<std::int64_t>::min();
constexpr __int128 Highest = std::numeric_limits<std::int64_t>::max();

// The checked form and the operator agree with 128-bit arithmetic.
template <typename Checked, typename Operator>
void RequireChecked(__int128 exact, Checked checked, Operator op)
{
    const bool fits = exact >= Lowest && exact <= Highest;
    const std::optional<Currency> c = checked();
    Require(c.has_value() == fits, "checked arithmetic refuses exactly what does not fit");
    if (c) Require(c->Raw() == static_cast<std::int64_t>(exact), "checked arithmetic is exact");
    bool threw = false;
    try {
        const Currency r = op();
        Require(fits && r.Raw() == static_cast<std::int64_t>(exact), "an operator gives the exact result");
    } catch (const CurrencyOverflow&) {
        threw = true;
    }
    Require(threw == !fits, "an operator throws exactly when the result does not fit");
}

} // namespace

void MoneyBody(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    const Currency a = Currency::FromRaw(static_cast<std::int64_t>(in.U64()));
    const Currency b = Currency::FromRaw(static_cast<std::int64_t>(in.U64()));
    const std::int64_t n = static_cast<std::int8_t>(in.Byte());
    const std::string text = in.Rest();

    // Text of any amount reads back exactly.
    for (Currency c : {a, b})
        Require(Currency::Parse(c.ToString()) == c, "an amount's text reads back exactly");

    // FormatCash: the amount to the cent, halves away from zero, sign kept.
    for (Currency c : {a, b}) {
        const std::optional<Currency> shown = Currency::Parse(FormatCash(c, ""));
        Require(shown.has_value(), "FormatCash gives a number");
        const __int128 raw = c.Raw();
        const __int128 cents = (raw < 0 ? -((-raw + 50) / 100) : (raw + 50) / 100);
        const __int128 expected = raw % Currency::Scale == 0 ? raw : cents * 100;
        Require(shown->Raw() == expected, "FormatCash shows the amount to the cent");
        Require(FormatCash(c, "$").rfind('$', 0) == 0, "FormatCash puts the symbol first");
    }

    RequireChecked(
        __int128(a.Raw()) + b.Raw(), [&] { return Currency::CheckedAdd(a, b); }, [&] { return a + b; });
    RequireChecked(
        __int128(a.Raw()) - b.Raw(), [&] { return Currency::CheckedSub(a, b); }, [&] { return a - b; });
    RequireChecked(
        __int128(a.Raw()) * n, [&] { return Currency::CheckedMul(a, n); }, [&] { return a * n; });
    RequireChecked(
        -__int128(a.Raw()), [&] { return Currency::CheckedSub(Currency(), a); }, [&] { return -a; });

    // Parsing any text: an amount or nothing, never a wrapped value.
    const std::optional<Currency> parsed = Currency::Parse(text);
    const double val = Val(text);
    Require(std::isfinite(val), "Val gives a finite number");
    if (parsed) {
        Require(Currency::Parse(parsed->ToString()) == parsed, "a parsed amount's text reads back");
        // Val reads the same decimal text (it only adds exponents and blanks
        // anywhere), so it agrees to the precision of a double.
        const double expected = parsed->ToDouble();
        Require(std::fabs(val - expected) <= 1e-4 + std::fabs(expected) * 1e-12, "Val agrees with Parse");
    }
    const std::optional<Currency> fromVal = Currency::TryFromDouble(val);
    if (std::fabs(val) < 9e14) Require(fromVal.has_value(), "a moderate number is an amount");
    (void)RoundHalfEven(val);
}

} // namespace scrivo::fuzz
