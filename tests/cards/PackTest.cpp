#include "cards/Pack.h"

#include <algorithm>
#include <array>
#include <numeric>

#include <gtest/gtest.h>

#include "platform/Random.h"

namespace scrivo {
namespace {

std::vector<std::int32_t> Places(const colPack& pack)
{
    std::vector<std::int32_t> places;
    for (const clsCard& card : pack)
        places.push_back(card.CardsFromTop);
    return places;
}

std::string DealAll(colPack& pack)
{
    std::vector<clsCard> dealt;
    while (pack.Count() > 0)
        dealt.push_back(pack.TakeACard());
    return CardListText(dealt);
}

class Pack : public ::testing::Test {
protected:
    void SetUp() override { ProgramRandom().Seed(20261206); }
    void TearDown() override { ProgramRandom().Unfix(); }
};

TEST_F(Pack, FreshPackDealsSuitBySuitTwoToAce)
{
    colPack pack;
    pack.ResetPack();
    ASSERT_EQ(pack.Count(), 52);
    EXPECT_EQ(pack.TopCard(), 1);
    EXPECT_EQ(pack.Item(52), clsCard(3, 12, 51));
    for (int suit = 0; suit < 4; ++suit)
        for (int face = 0; face < 13; ++face) {
            const clsCard card = pack.TakeACard();
            EXPECT_EQ(card, clsCard(suit, face, 0));
        }
    EXPECT_EQ(pack.Count(), 0);
    EXPECT_EQ(pack.TopCard(), std::nullopt);
}

TEST_F(Pack, ShuffleMovesPlacesNotCards)
{
    colPack pack;
    pack.ResetPack();
    pack.Shuffle();
    std::vector<std::int32_t> places = Places(pack);
    EXPECT_NE(places, [] {
        std::vector<std::int32_t> v(52);
        std::iota(v.begin(), v.end(), 0);
        return v;
    }());
    std::sort(places.begin(), places.end());
    for (int i = 0; i < 52; ++i)
        EXPECT_EQ(places[i], i);
    for (int i = 0; i < 52; ++i)
        EXPECT_TRUE(pack.Item(i + 1).SameCard(clsCard(i / 13, i % 13))) << i;

    // Dealing keeps the invariant for the cards left.
    for (int dealt = 1; dealt <= 10; ++dealt) {
        pack.TakeACard();
        places = Places(pack);
        std::sort(places.begin(), places.end());
        for (int i = 0; i < 52 - dealt; ++i)
            ASSERT_EQ(places[i], i);
    }
}

TEST_F(Pack, ShuffleOfOneOrNoCard)
{
    colPack pack;
    EXPECT_NO_THROW(pack.Shuffle());
    pack.Add(2, 2, 5);
    pack.Shuffle();
    EXPECT_EQ(pack.Item(1).CardsFromTop, 0);
}

TEST_F(Pack, FixedSeedDealsTheSameOrder)
{
    colPack pack;
    pack.ResetPack();
    pack.Shuffle();
    EXPECT_EQ(DealAll(pack),
              "0_5,0_6,3_4,2_9,3_10,3_8,1_5,1_4,1_0,1_1,0_7,0_10,1_6,3_3,2_7,3_6,1_12,1_7,1_3,2_4,2_0,0_4,"
              "3_12,3_5,2_6,0_3,0_8,1_2,2_11,0_2,3_1,2_10,0_9,1_9,3_2,0_12,2_3,1_10,0_0,2_12,1_11,3_11,"
              "1_8,2_8,0_1,0_11,3_9,3_0,2_5,2_1,2_2,3_7");
    // The shuffle reseeds from the clock, which leaves a fixed seed alone.
    ProgramRandom().Seed(20261206);
    pack.ResetPack();
    pack.Shuffle();
    colPack again;
    ProgramRandom().Seed(20261206);
    again.ResetPack();
    again.Shuffle();
    EXPECT_EQ(Places(pack), Places(again));
}

TEST_F(Pack, ClockSeedGivesDifferentDeals)
{
    ProgramRandom().Unfix();
    colPack a, b;
    a.ResetPack();
    b.ResetPack();
    a.Shuffle();
    b.Shuffle();
    EXPECT_NE(Places(a), Places(b));
}

TEST_F(Pack, TakeACardWithoutTopCardDealsFirstInCollectionOrder)
{
    colPack pack;
    pack.Add(0, 4, 3);
    pack.Add(1, 5, 2);
    pack.Add(2, 6, 1);
    EXPECT_EQ(pack.TopCard(), std::nullopt);
    EXPECT_EQ(pack.TakeACard(), clsCard(0, 4, 0));
    EXPECT_EQ(Places(pack), (std::vector<std::int32_t>{1, 0}));
    EXPECT_EQ(pack.TopCard(), 2);
    EXPECT_EQ(pack.TakeACard(), clsCard(2, 6, 0));
}

TEST_F(Pack, TakeACardOnEmptyPackFails)
{
    colPack pack;
    try {
        pack.TakeACard();
        FAIL() << "dealt from an empty pack";
    } catch (const CollectionError& e) {
        EXPECT_EQ(e.GetKind(), CollectionError::Kind::InvalidPosition);
    }
}

TEST_F(Pack, AddACardGoesToTheBottom)
{
    colPack pack;
    pack.ResetPack();
    pack.Shuffle();
    pack.TakeACard();
    pack.TakeACard();
    ASSERT_EQ(pack.Count(), 50);
    pack.AddACard(clsCard(3, 12, 7));
    EXPECT_EQ(pack.Count(), 51);
    EXPECT_EQ(pack.Item(51), clsCard(3, 12, 50));
}

// Pearson's statistic over where each card lands, summed over all cards.
// For a uniform shuffle it stays near 51 * 51 = 2601 (spread about 72).
template <typename ShuffleFn> double LandingChiSquare(int shuffles, ShuffleFn shuffle)
{
    std::vector<std::array<int, 52>> counts(52);
    colPack pack;
    pack.ResetPack();
    for (int t = 0; t < shuffles; ++t) {
        shuffle(pack);
        int j = 0;
        for (const clsCard& card : pack)
            ++counts[j++][card.CardsFromTop];
    }
    const double expected = shuffles / 52.0;
    double chi = 0;
    for (const auto& row : counts)
        for (int n : row)
            chi += (n - expected) * (n - expected) / expected;
    return chi;
}

constexpr double ChiSquareLimit = 3100; // about seven spreads above the mean

TEST_F(Pack, ShufflePlacesEveryCardUniformly)
{
    const double chi = LandingChiSquare(100000, [](colPack& pack) { pack.Shuffle(); });
    EXPECT_LT(chi, ChiSquareLimit);
}

TEST_F(Pack, UniformityCheckCatchesTheSwapWithAnyShuffle)
{
    // The classic mistake: swap each place with any place. Its bias must fail the check above.
    Random& random = ProgramRandom();
    const double chi = LandingChiSquare(100000, [&](colPack& pack) {
        std::array<int, 52> places;
        std::iota(places.begin(), places.end(), 0);
        for (int i = 0; i < 52; ++i)
            std::swap(places[i], places[random.Below(52)]);
        for (int i = 0; i < 52; ++i)
            pack.Item(i + 1).CardsFromTop = places[i];
    });
    EXPECT_GT(chi, ChiSquareLimit);
}

} // namespace
} // namespace scrivo
