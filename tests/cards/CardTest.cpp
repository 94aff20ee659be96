#include "cards/Card.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "cards/CardNames.h"
#include "cards/Pack.h"
#include "platform/Random.h"
#include "tests/cards/CardsTestSupport.h"

namespace scrivo {
namespace {

using cardstest::HandOf;

TEST(CardText, EveryCardRoundTripsAndBadTextIsRefused)
{
    std::vector<clsCard> all;
    for (int code = 0; code < 52; ++code)
        all.emplace_back(code / 13, code % 13);
    EXPECT_EQ(CardListText({all[51], all[11]}), "3_12,0_11");
    EXPECT_EQ(ParseCardList(CardListText(all)).cards, all);
    EXPECT_EQ(ParseCard(" 1_9  ").card, all[22]);
    EXPECT_EQ(ParseCardList(" 0_0, 2_11 ").cards, (std::vector<clsCard>{all[0], all[37]}));
    EXPECT_TRUE(ParseCardList("   ").ok);
    for (const char* bad : {"", "3", "3_", "_12", "3-12", "3_12_1", "a_1", "1_b", "-1_2", "1_-2", "4_0",
                            "0_13", "1_ 2", "+1_2", "1.0_2", "99999999999_1"}) {
        const auto one = ParseCard(bad);
        EXPECT_FALSE(one.ok) << bad;
        EXPECT_NE(one.error.find(bad), std::string::npos) << one.error;
        const auto list = ParseCardList(std::string("0_1,") + bad);
        EXPECT_FALSE(list.ok) << bad;
        EXPECT_TRUE(list.cards.empty());
        EXPECT_NE(list.error.find("card 2"), std::string::npos) << list.error;
    }
    EXPECT_FALSE(ParseCardList("0_1,,0_2").ok || ParseCardList("0_1,").ok);
}

using CardNames = cardstest::EnglishTexts;

TEST_F(CardNames, ComeFromTheShippedLanguageFile)
{
    // Face names and plurals are checked with the showdown descriptions.
    EXPECT_EQ(SuitName(language, 1) + SuitName(language, 3), "DiamondsClubs");
    EXPECT_EQ(modCards::CardText(language, clsCard(2, 11)), "King of Spades");
    language.LangText[Msg::CardName] = "$: %"; // the wording decides the order
    EXPECT_EQ(modCards::CardText(language, clsCard(0, 12)), "Hearts: Ace");
    // Values out of range have no name rather than reading past the table.
    for (int bad : {-1, 4, 13, INT32_MIN})
        EXPECT_EQ(SuitName(language, bad), "") << bad;
    for (int bad : {-1, 13, 69, INT32_MAX})
        EXPECT_EQ(FaceName(language, bad) + FaceNamePlural(language, bad), "") << bad;
}

// Number and text of the collection error that action fails with.
template <typename F> std::string FailureOf(F&& action)
{
    try {
        action();
    } catch (const CollectionError& e) {
        return std::to_string(e.Number()) + " " + e.what();
    }
    return "no collection error";
}

const std::string NoPosition = "9 Subscript out of range";

// Positions count from one; the program's cards carry no keys.
TEST(Collection, PositionsFromOneAndBadOnesFailChangingNothing)
{
    colHand hand;
    hand.Add(2, 11);
    hand.AddACard(clsCard(1, 7, 30)); // a hand keeps no pack place
    hand.Add(0, 1);
    EXPECT_EQ(hand.ToVector(), (std::vector<clsCard>{{2, 11}, {1, 7}, {0, 1}}));
    for (int bad : {0, -1, 4, INT32_MAX}) {
        EXPECT_EQ(FailureOf([&] { hand.Item(bad); }), NoPosition) << bad;
        EXPECT_EQ(FailureOf([&] { hand.Remove(bad); }), NoPosition) << bad;
        EXPECT_EQ(FailureOf([&] { hand.TakeACard(bad); }), NoPosition) << bad;
    }
    EXPECT_EQ(hand.Count(), 3); // the failures changed nothing
    // Cards are copied in and out; Item gives the stored card.
    clsCard outside(1, 4);
    hand.AddACard(outside);
    outside.facevalue = 9;
    hand.Item(4).suit = 3;
    EXPECT_EQ(hand.TakeACard(4), clsCard(3, 4));
    EXPECT_EQ(hand.ToVector(), (std::vector<clsCard>{{2, 11}, {1, 7}, {0, 1}}));
}

// The sort as written takes the greatest single-precision key left (the first
// of equal keys) into a temporary hand, then reads that hand backwards.
std::vector<clsCard> SelectionSorted(std::vector<clsCard> cards, int primary)
{
    const auto key = [primary](const clsCard& c) {
        return primary == 0 ? static_cast<float>(c.facevalue + c.suit / 10.0)
                            : static_cast<float>(c.suit + c.facevalue / 100.0);
    };
    std::stable_sort(cards.begin(), cards.end(), [&](auto& a, auto& b) { return key(a) > key(b); });
    return {cards.rbegin(), cards.rend()};
}

TEST(Collection, SortGivesTheSelectionSortOrder)
{
    const std::tuple<int, const char*> rows[] = {{0, "0_0,1_0,3_0,0_12,1_12,2_12,3_12"},
                                                 {1, "0_0,0_12,1_0,1_12,2_12,3_0,3_12"}};
    for (const auto& [primary, sorted] : rows) {
        colHand hand = HandOf("3_12,0_0,1_12,2_12,0_12,3_0,1_0");
        hand.Sort(primary);
        EXPECT_EQ(CardListText(hand.Cards()), sorted) << primary;
    }
    // Random small hands with repeated cards, colliding keys and odd values.
    std::mt19937 engine(5);
    const clsCard pool[] = {{0, 0},         {3, 12}, {1, 7},  {2, 7},       {0, 100000001},
                            {1, 100000000}, {-1, 3}, {4, -2}, {0, 16777217}};
    for (int round = 0; round < 3000; ++round) {
        std::vector<clsCard> cards(engine() % 20);
        for (auto& c : cards)
            c = pool[engine() % std::size(pool)];
        const int primary = static_cast<int>(engine() % 2);
        colHand hand(cards);
        hand.Sort(primary);
        ASSERT_EQ(hand.ToVector(), SelectionSorted(cards, primary)) << CardListText(cards) << " " << primary;
    }
}

std::vector<std::int32_t> Places(const colPack& pack)
{
    std::vector<std::int32_t> places;
    for (const clsCard& card : pack)
        places.push_back(card.CardsFromTop);
    return places;
}

class Pack : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramRandom().Seed(20261206);
        pack.ResetPack();
    }
    void TearDown() override { ProgramRandom().Unfix(); }
    colPack pack;
};

TEST_F(Pack, FreshPackDealsSuitBySuitTwoToAce)
{
    EXPECT_EQ(pack.TopCard(), 1);
    EXPECT_EQ(pack.Item(52), clsCard(3, 12, 51));
    for (int code = 0; code < 52; ++code)
        EXPECT_EQ(pack.TakeACard(), clsCard(code / 13, code % 13, 0));
    EXPECT_EQ(pack.TopCard(), std::nullopt);
    EXPECT_EQ(FailureOf([&] { pack.TakeACard(); }), NoPosition);
    EXPECT_NO_THROW(pack.Shuffle());
    pack.Add(2, 2, 5);
    pack.Shuffle();
    EXPECT_EQ(pack.Item(1).CardsFromTop, 0);
}

TEST_F(Pack, ShuffleMovesPlacesNotCardsAndDealingKeepsThemWhole)
{
    const std::vector<std::int32_t> fresh = Places(pack);
    pack.Shuffle();
    EXPECT_NE(Places(pack), fresh);
    for (int i = 0; i < 52; ++i)
        EXPECT_TRUE(pack.Item(i + 1).SameCard(clsCard(i / 13, i % 13))) << i;
    for (int dealt = 0; dealt <= 10; ++dealt, pack.TakeACard()) { // the places stay 0 .. Count() - 1
        std::vector<std::int32_t> places = Places(pack), all(places.size());
        std::iota(all.begin(), all.end(), 0);
        ASSERT_TRUE(std::is_permutation(all.begin(), all.end(), places.begin(), places.end())) << dealt;
    }
    pack.AddACard(clsCard(3, 12, 7)); // to the bottom
    EXPECT_EQ(pack.Item(42), clsCard(3, 12, 41));
    // Without a card on top, the first card in collection order goes.
    colPack loose;
    loose.Add(0, 4, 3);
    loose.Add(1, 5, 2);
    loose.Add(2, 6, 1);
    EXPECT_EQ(loose.TopCard(), std::nullopt);
    EXPECT_EQ(loose.TakeACard(), clsCard(0, 4, 0));
    EXPECT_EQ(Places(loose), (std::vector<std::int32_t>{1, 0}));
}

TEST_F(Pack, FixedSeedDealsTheSameOrderAndTheClockDoesNot)
{
    pack.Shuffle();
    std::vector<clsCard> dealt;
    while (pack.Count() > 0)
        dealt.push_back(pack.TakeACard());
    EXPECT_EQ(CardListText(dealt),
              "0_5,0_6,3_4,2_9,3_10,3_8,1_5,1_4,1_0,1_1,0_7,0_10,1_6,3_3,2_7,3_6,1_12,1_7,1_3,2_4,2_0,0_4,"
              "3_12,3_5,2_6,0_3,0_8,1_2,2_11,0_2,3_1,2_10,0_9,1_9,3_2,0_12,2_3,1_10,0_0,2_12,1_11,3_11,"
              "1_8,2_8,0_1,0_11,3_9,3_0,2_5,2_1,2_2,3_7");
    // The shuffle reseeds from the clock: fresh deals differ once the seed is free.
    ProgramRandom().Unfix();
    pack.ResetPack();
    colPack other = pack;
    other.Shuffle();
    pack.Shuffle();
    EXPECT_NE(Places(pack), Places(other));
}

// Pearson's statistic over where each card lands in 100,000 shuffles, summed
// over all cards. For a uniform shuffle it stays near 51 * 51 = 2601 (spread
// about 72); the limit is about seven spreads above.
template <typename ShuffleFn> bool LandsUniformly(colPack& pack, ShuffleFn shuffle)
{
    std::vector<std::array<int, 52>> counts(52);
    for (int t = 0; t < 100000; ++t) {
        shuffle();
        int j = 0;
        for (const clsCard& card : pack)
            ++counts[j++][card.CardsFromTop];
    }
    double chi = 0;
    for (const auto& row : counts)
        for (int n : row)
            chi += (n - 100000 / 52.0) * (n - 100000 / 52.0) / (100000 / 52.0);
    return chi < 3100;
}

TEST_F(Pack, ShufflePlacesEveryCardUniformly)
{
    EXPECT_TRUE(LandsUniformly(pack, [&] { pack.Shuffle(); }));
    // The classic mistake, swapping each place with any place, must fail the check.
    EXPECT_FALSE(LandsUniformly(pack, [&] {
        std::array<int, 52> places;
        std::iota(places.begin(), places.end(), 0);
        for (int i = 0; i < 52; ++i)
            std::swap(places[i], places[ProgramRandom().Below(52)]);
        for (int i = 0; i < 52; ++i)
            pack.Item(i + 1).CardsFromTop = places[i];
    }));
}

} // namespace
} // namespace scrivo
