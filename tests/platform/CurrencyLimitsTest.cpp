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

struct ParseCase {
    const char* text;
    std::optional<std::int64_t> raw; // nothing: refused
};

class CurrencyParseLimits : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CurrencyParseLimits, GivesTheExactAmountOrNothing)
{
    const auto parsed = Currency::Parse(GetParam().text);
    ASSERT_EQ(parsed.has_value(), GetParam().raw.has_value()) << GetParam().text;
    if (parsed) {
        EXPECT_EQ(parsed->Raw(), *GetParam().raw) << GetParam().text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, CurrencyParseLimits,
    ::testing::Values(
        // Whole parts that used to wrap into negative amounts.
        ParseCase{"922337203685479", std::nullopt}, ParseCase{"922337203685478", std::nullopt},
        ParseCase{"18446744073709551616", std::nullopt}, ParseCase{"-922337203685479", std::nullopt},
        // The ends of the range are reachable, one beyond them is not.
        ParseCase{"922337203685477.5807", Max}, ParseCase{"922337203685477.5808", std::nullopt},
        ParseCase{"-922337203685477.5808", Min}, ParseCase{"-922337203685477.5809", std::nullopt},
        // Rounding the fifth decimal up can be what overflows.
        ParseCase{"922337203685477.58069", Max}, ParseCase{"922337203685477.58075", std::nullopt},
        // Many digits are fine as long as the amount fits.
        ParseCase{"0000000000000000000000000000012.5", 125000},
        ParseCase{"1.000000000000000000000000000001", 10000}));

TEST(CurrencyChecked, EveryOperationRefusesToWrap)
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

    // Handlers that catch std::exception show the usual word.
    try {
        (void)(max + one);
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Overflow");
    }
}

TEST(CurrencyChecked, FromDoubleRefusesWhatDoesNotFit)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {std::nan(""), inf, -inf, 1e300, 922337203685477.6, -922337203685478.0}) {
        EXPECT_FALSE(Currency::TryFromDouble(bad)) << bad;
        EXPECT_THROW(Currency::FromDouble(bad), CurrencyOverflow) << bad;
    }
    EXPECT_EQ(Currency::FromDouble(-900000000000000.0).Raw(), -900000000000000LL * 10000);
}

TEST(CurrencyChecked, TextRoundTripsAtBothEnds)
{
    for (std::int64_t raw : {Max, Min, Max - 1, Min + 1, std::int64_t(-1), std::int64_t(1)})
        EXPECT_EQ(Currency::Parse(Currency::FromRaw(raw).ToString())->Raw(), raw) << raw;
}

} // namespace
} // namespace scrivo
