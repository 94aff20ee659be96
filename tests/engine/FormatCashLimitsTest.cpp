#include "engine/FormatCash.h"

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace scrivo {
namespace {

// Amounts at the ends of the range, as a damaged record may hold them: the
// text keeps its sign and its digits instead of wrapping.
TEST(FormatCashLimits, ShowsEveryAmountUpToBothEnds)
{
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    struct Case {
        std::int64_t raw;
        const char* text;
    };
    for (const Case& c : {Case{max, "$922337203685477.58"}, Case{max - 7, "$922337203685477.58"},
                          Case{min, "$-922337203685477.58"}, Case{min + 1, "$-922337203685477.58"},
                          Case{-49, "$0.00"}, Case{-50, "$-0.01"}, Case{50, "$0.01"}, Case{9950, "$1.00"},
                          Case{-9950, "$-1.00"}, Case{922337203685476 * 10000 + 9950, "$922337203685477.00"}})
        EXPECT_EQ(FormatCash(Currency::FromRaw(c.raw), "$"), c.text) << c.raw;
    EXPECT_EQ(FormatCash(Currency::FromRaw(min + 5808), ""), "-922337203685477");
}

} // namespace
} // namespace scrivo
