#include "platform/Random.h"

#include <set>

#include <gtest/gtest.h>

namespace scrivo {
namespace {

// Generators that start from the same state must still deal differently
// once reseeded: the new seed comes from outside the program.
TEST(RandomEntropy, ReseedsFromTheSameStateDealDifferently)
{
    std::set<std::uint64_t> firsts;
    for (int i = 0; i < 16; ++i) {
        Random r(1);
        r.Randomize();
        firsts.insert(r.NextU64());
    }
    EXPECT_EQ(firsts.size(), 16u);
    EXPECT_NE(EntropySeed(), EntropySeed());
}

} // namespace
} // namespace scrivo
