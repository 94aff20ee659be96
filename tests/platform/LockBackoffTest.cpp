#include "platform/LockBackoff.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace scrivo {
namespace {

using std::chrono::milliseconds;

std::vector<milliseconds> Waits(std::uint64_t seed, int n)
{
    LockBackoff backoff(seed);
    std::vector<milliseconds> waits;
    for (int i = 0; i < n; ++i)
        waits.push_back(backoff.Next());
    return waits;
}

TEST(LockBackoff, StartsAtAFewMillisecondsGrowsAndStaysBounded)
{
    constexpr int Seeds = 200, Tries = 40;
    std::vector<long long> total(Tries, 0); // per try, over all seeds
    milliseconds longest{0};
    for (std::uint64_t seed = 1; seed <= Seeds; ++seed) {
        const auto waits = Waits(seed, Tries);
        EXPECT_LE(waits[0], milliseconds(2));
        for (int i = 0; i < Tries; ++i) {
            EXPECT_GE(waits[i], milliseconds(1));
            EXPECT_LE(waits[i], LockBackoff::LastStep);
            total[i] += waits[i].count();
            longest = std::max(longest, waits[i]);
        }
        // Once grown, a wait is never short again: a long hold costs few tries.
        for (int i = 10; i < Tries; ++i)
            EXPECT_GE(waits[i], LockBackoff::LastStep / 2);
        // A file let go at once is tried again within a few tens of ms.
        EXPECT_LE(waits[0] + waits[1] + waits[2] + waits[3], milliseconds(30));
    }
    for (int i = 1; i < 8; ++i)
        EXPECT_GT(total[i], total[i - 1] * 3 / 2) << i; // roughly doubling
    EXPECT_GE(longest, LockBackoff::LastStep - milliseconds(10));
    EXPECT_LE(LockBackoff::LastStep, milliseconds(500)); // a few hundred at most
}

TEST(LockBackoff, WaitsAreDrawnAtRandom)
{
    // Two clients that met at a held file part again: their sequences differ,
    // and even at the limit one client's waits vary.
    EXPECT_NE(Waits(1, 12), Waits(2, 12));
    const auto late = Waits(3, 60);
    EXPECT_GT(std::set<milliseconds>(late.begin() + 10, late.end()).size(), 10u);
    EXPECT_NE(LockBackoff::FreshSeed(), LockBackoff::FreshSeed());
}

} // namespace
} // namespace scrivo
