#include "platform/Currency.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace scrivo {
namespace {

constexpr std::int64_t Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t Min = std::numeric_limits<std::int64_t>::min();

TEST(Currency, ParsesAPlainDecimalToTheExactAmountOrNothing)
{
    const std::optional<std::int64_t> refused;
    // clang-format off
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"12.5", 125000}, {" 25 ", 250000}, {"-0.0001", -1}, {".5", 5000},
        // Beyond four decimals: half to even.
        {"0.00005", 0}, {"0.00015", 2}, {"0.000051", 1},
        {"", refused}, {" ", refused}, {"abc", refused}, {"12,5", refused}, {"1.2.3", refused},
        {"R12", refused}, {"12a", refused}, {".", refused}, {"-", refused},
        // Whole parts that used to wrap into negative amounts.
        {"922337203685479", refused}, {"922337203685478", refused}, {"18446744073709551616", refused},
        {"-922337203685479", refused},
        // The ends of the range are reachable, one beyond them is not.
        {"922337203685477.5807", Max}, {"922337203685477.5808", refused},
        {"-922337203685477.5808", Min}, {"-922337203685477.5809", refused},
        // Rounding the fifth decimal up can be what overflows.
        {"922337203685477.58069", Max}, {"922337203685477.58075", refused},
        // Many digits are fine as long as the amount fits.
        {"0000000000000000000000000000012.5", 125000}, {"1.000000000000000000000000000001", 10000}};
    // clang-format on
    for (const auto& [text, raw] : cases) {
        const auto parsed = Currency::Parse(text);
        EXPECT_EQ(parsed ? std::optional(parsed->Raw()) : refused, raw) << text;
    }
}

TEST(Currency, TextRoundTripsWithoutLocaleOrTrailingZeros)
{
    EXPECT_EQ(Currency::FromRaw(125000).ToString(), "12.5");
    EXPECT_EQ(Currency::FromWhole(25).ToString(), "25");
    EXPECT_EQ(Currency::FromRaw(-1).ToString(), "-0.0001");
    EXPECT_EQ(Currency::FromRaw(Min).ToString(), "-922337203685477.5808");
    for (std::int64_t raw : {std::int64_t(0), std::int64_t(1), std::int64_t(9999), std::int64_t(10000),
                             std::int64_t(123456789), std::int64_t(-50000), Max, Min, Max - 1, Min + 1})
        EXPECT_EQ(Currency::Parse(Currency::FromRaw(raw).ToString())->Raw(), raw) << raw;
}

TEST(Currency, FromDoubleRoundsHalfToEvenAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(Currency::FromDouble(0.00005).Raw(), 0);
    EXPECT_EQ(Currency::FromDouble(2.5).Raw(), 25000);
    EXPECT_EQ((Currency::FromWhole(3) - Currency::FromRaw(5000)).ToString(), "2.5");
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {std::nan(""), inf, -inf, 1e300, 922337203685477.6, -922337203685478.0}) {
        EXPECT_FALSE(Currency::TryFromDouble(bad)) << bad;
        EXPECT_THROW(Currency::FromDouble(bad), CurrencyOverflow) << bad;
    }
    EXPECT_EQ(Currency::FromDouble(-900000000000000.0).Raw(), -900000000000000LL * 10000);
}

TEST(Currency, EveryOperationRefusesToWrap)
{
    const Currency max = Currency::FromRaw(Max);
    const Currency min = Currency::FromRaw(Min);
    const Currency one = Currency::FromRaw(1);
    EXPECT_THROW(max + one, CurrencyOverflow);
    EXPECT_THROW(min - one, CurrencyOverflow);
    EXPECT_THROW(-min, CurrencyOverflow);
    EXPECT_THROW(max * 2, CurrencyOverflow);
    EXPECT_THROW(min * -1, CurrencyOverflow);
    EXPECT_THROW(Currency::FromWhole(Max / Currency::Scale + 1), CurrencyOverflow);
    Currency sum = max;
    EXPECT_THROW(sum += one, CurrencyOverflow);
    EXPECT_EQ(sum, max) << "a failed += leaves the amount as it was";
    EXPECT_THROW(sum -= -one, CurrencyOverflow);

    EXPECT_FALSE(Currency::CheckedAdd(max, one));
    EXPECT_FALSE(Currency::CheckedSub(min, one));
    EXPECT_FALSE(Currency::CheckedMul(min, -1));
    EXPECT_EQ(Currency::CheckedAdd(max, -one)->Raw(), Max - 1);
    EXPECT_EQ(Currency::CheckedSub(min, -one)->Raw(), Min + 1);
    EXPECT_EQ((min + max).Raw(), -1);

    EXPECT_STREQ(CurrencyOverflow().what(), "Overflow"); // the word handlers of std::exception show
}

} // namespace
} // namespace scrivo
