#include "platform/Random.h"

#include <gtest/gtest.h>

namespace scrivo {
namespace {

TEST(Random, FixedSeedRepeatsAndSurvivesRandomize)
{
    Random a, b;
    a.Seed(42);
    b.Seed(42);
    a.Randomize();
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(a.NextU64(), b.NextU64());
}

TEST(Random, ReseedsWithinOneClockTickStillDiffer)
{
    Random a;
    a.Randomize();
    const auto first = a.NextU64();
    a.Randomize();
    EXPECT_NE(a.NextU64(), first);
}

TEST(Random, DrawsStayInRange)
{
    Random r(7);
    for (int i = 0; i < 100000; ++i) {
        const double x = r.Next();
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
        const int k = r.Below(52);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 52);
    }
}

} // namespace
} // namespace scrivo
