#include "platform/Currency.h"

#include <gtest/gtest.h>

namespace scrivo {
namespace {

TEST(Currency, ParsesRequestAmountsExactly)
{
    EXPECT_EQ(Currency::Parse("12.5")->Raw(), 125000);
    EXPECT_EQ(Currency::Parse(" 25 ")->Raw(), 250000);
    EXPECT_EQ(Currency::Parse("-0.0001")->Raw(), -1);
    EXPECT_EQ(Currency::Parse(".5")->Raw(), 5000);
    // Beyond four decimals: half to even.
    EXPECT_EQ(Currency::Parse("0.00005")->Raw(), 0);
    EXPECT_EQ(Currency::Parse("0.00015")->Raw(), 2);
    EXPECT_EQ(Currency::Parse("0.000051")->Raw(), 1);
}

TEST(Currency, RefusesWhatIsNotAPlainDecimal)
{
    for (const char* bad : {"", " ", "abc", "12,5", "1.2.3", "R12", "12a", ".", "-", "99999999999999999999"})
        EXPECT_FALSE(Currency::Parse(bad).has_value()) << bad;
}

TEST(Currency, TextRoundTripsWithoutLocaleOrTrailingZeros)
{
    EXPECT_EQ(Currency::FromRaw(125000).ToString(), "12.5");
    EXPECT_EQ(Currency::FromWhole(25).ToString(), "25");
    EXPECT_EQ(Currency::FromRaw(-1).ToString(), "-0.0001");
    EXPECT_EQ(Currency::FromRaw(INT64_MIN).ToString(), "-922337203685477.5808");
    for (std::int64_t raw : {0LL, 1LL, 9999LL, 10000LL, 123456789LL, -50000LL})
        EXPECT_EQ(Currency::Parse(Currency::FromRaw(raw).ToString())->Raw(), raw);
}

TEST(Currency, FromDoubleRoundsHalfToEven)
{
    EXPECT_EQ(Currency::FromDouble(0.00005).Raw(), 0);
    EXPECT_EQ(Currency::FromDouble(2.5).Raw(), 25000);
    EXPECT_EQ((Currency::FromWhole(3) - Currency::FromRaw(5000)).ToString(), "2.5");
}

} // namespace
} // namespace scrivo
