#include "cards/Hand.h"

#include <random>

#include <gtest/gtest.h>

#include "tests/cards/CardsTestSupport.h"

namespace scrivo {
namespace {

using cardstest::HandOf;

template <typename F> CollectionError::Kind FailureOf(F&& action)
{
    try {
        action();
    } catch (const CollectionError& e) {
        return e.GetKind();
    }
    ADD_FAILURE() << "no collection error";
    return CollectionError::Kind::InvalidKey;
}

TEST(CollectionError, CarriesTheCollectionsTextAndNumber)
{
    const CollectionError position(CollectionError::Kind::InvalidPosition);
    EXPECT_STREQ(position.what(), "Subscript out of range");
    EXPECT_EQ(position.Number(), 9);
    const CollectionError key(CollectionError::Kind::InvalidKey);
    EXPECT_STREQ(key.what(), "Invalid procedure call or argument");
    EXPECT_EQ(key.Number(), 5);
    const CollectionError duplicate(CollectionError::Kind::DuplicateKey);
    EXPECT_STREQ(duplicate.what(), "This key is already associated with an element of this collection");
    EXPECT_EQ(duplicate.Number(), 457);
    // Callers trap it as a run-time error.
    EXPECT_THROW(throw position, std::runtime_error);
}

TEST(Hand, PositionsRunFromOneInInsertionOrder)
{
    colHand hand;
    EXPECT_EQ(hand.Count(), 0);
    hand.Add(2, 11);
    hand.Add(3, 0, "second");
    hand.AddACard(clsCard(1, 7, 30));
    ASSERT_EQ(hand.Count(), 3);
    EXPECT_EQ(hand.Item(1), clsCard(2, 11));
    EXPECT_EQ(hand.Item(2), clsCard(3, 0));
    EXPECT_EQ(hand.Item("second"), clsCard(3, 0));
    // A card in a hand keeps position 0 in the pack sense.
    EXPECT_EQ(hand.Item(3), clsCard(1, 7, 0));
    std::vector<clsCard> seen;
    for (const clsCard& card : hand)
        seen.push_back(card);
    EXPECT_EQ(seen, hand.ToVector());
}

TEST(Hand, MissingPositionsAndKeysFail)
{
    colHand hand = HandOf("0_1,0_2");
    hand.Add(1, 1, "k");
    using Kind = CollectionError::Kind;
    for (int bad : {0, -1, 4, INT32_MAX}) {
        EXPECT_EQ(FailureOf([&] { hand.Item(bad); }), Kind::InvalidPosition) << bad;
        EXPECT_EQ(FailureOf([&] { hand.Remove(bad); }), Kind::InvalidPosition) << bad;
        EXPECT_EQ(FailureOf([&] { hand.TakeACard(bad); }), Kind::InvalidPosition) << bad;
    }
    EXPECT_EQ(FailureOf([&] { hand.Item("nope"); }), Kind::InvalidKey);
    EXPECT_EQ(FailureOf([&] { hand.Item(""); }), Kind::InvalidKey);
    EXPECT_EQ(FailureOf([&] { hand.Remove("nope"); }), Kind::InvalidKey);
    EXPECT_EQ(hand.Count(), 3); // nothing changed by the failures
}

TEST(Hand, KeysAreUniqueWithoutRegardToCaseAndOptional)
{
    colHand hand;
    hand.Add(0, 0, "Ace");
    hand.Add(0, 1);
    hand.Add(0, 2); // several cards without key are fine
    EXPECT_EQ(FailureOf([&] { hand.Add(1, 1, "Ace"); }), CollectionError::Kind::DuplicateKey);
    EXPECT_EQ(FailureOf([&] { hand.Add(1, 1, "aCE"); }), CollectionError::Kind::DuplicateKey);
    EXPECT_EQ(hand.Count(), 3);
    EXPECT_EQ(hand.Item("ACE"), clsCard(0, 0));
    // Keys follow their cards when earlier cards go.
    hand.Add(3, 3, "last");
    hand.Remove(1);
    EXPECT_EQ(hand.PositionOf("last"), 3);
    EXPECT_EQ(hand.PositionOf("ace"), 0);
    hand.Remove("last");
    EXPECT_EQ(hand.ToVector(), (std::vector<clsCard>{clsCard(0, 1), clsCard(0, 2)}));
    // After Clear a key is free again.
    hand.Add(2, 2, "x");
    hand.Clear();
    EXPECT_EQ(hand.Count(), 0);
    EXPECT_NO_THROW(hand.Add(2, 2, "x"));
}

TEST(Hand, CardsAreCopiedInAndOut)
{
    clsCard outside(1, 4);
    colHand hand;
    hand.AddACard(outside);
    outside.facevalue = 9;
    EXPECT_EQ(hand.Item(1).facevalue, 4);

    hand.Item(1).suit = 3; // Item gives the stored card
    EXPECT_EQ(hand.Item(1).suit, 3);

    const clsCard* stored = &hand.Item(1);
    clsCard taken = hand.TakeACard(1);
    EXPECT_NE(&taken, stored);
    EXPECT_EQ(taken, clsCard(3, 4));
    EXPECT_EQ(hand.Count(), 0);
}

struct SortCase {
    const char* cards;
    int primary;
    const char* sorted;
};

void PrintTo(const SortCase& c, std::ostream* os)
{
    *os << c.cards << " by " << c.primary;
}

class HandSort : public ::testing::TestWithParam<SortCase> {};

TEST_P(HandSort, OrdersAscendingByPrimaryThenSecondary)
{
    colHand hand = HandOf(GetParam().cards);
    hand.Sort(GetParam().primary);
    EXPECT_EQ(CardListText(hand.Cards()), GetParam().sorted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandSort,
    ::testing::Values(
        // king of spades, two of clubs, two of hearts
        SortCase{"2_11,3_0,0_0", 0, "0_0,3_0,2_11"}, SortCase{"2_11,3_0,0_0", 1, "0_0,2_11,3_0"},
        SortCase{"3_12,0_0,1_12,2_12,0_12,3_0,1_0", 0, "0_0,1_0,3_0,0_12,1_12,2_12,3_12"},
        SortCase{"3_12,0_0,1_12,2_12,0_12,3_0,1_0", 1, "0_0,0_12,1_0,1_12,2_12,3_0,3_12"},
        SortCase{"1_5", 0, "1_5"}, SortCase{"", 0, ""}));

// The sort as a literal selection sort: take the greatest key not yet
// taken (first wins among equal keys) into a temporary hand, then move
// the temporary hand back from its end.
std::vector<clsCard> SelectionSorted(const std::vector<clsCard>& cards, int primary)
{
    std::vector<float> key;
    for (const clsCard& c : cards)
        key.push_back(primary == 0 ? static_cast<float>(c.facevalue + c.suit / 10.0)
                                   : static_cast<float>(c.suit + c.facevalue / 100.0));
    std::vector<bool> taken(cards.size());
    std::vector<clsCard> temp;
    for (std::size_t round = 0; round < cards.size(); ++round) {
        std::size_t pick = cards.size();
        for (std::size_t i = 0; i < cards.size(); ++i)
            if (!taken[i] && (pick == cards.size() || key[i] > key[pick])) pick = i;
        taken[pick] = true;
        temp.emplace_back(cards[pick].suit, cards[pick].facevalue);
    }
    return {temp.rbegin(), temp.rend()};
}

TEST(Hand, SortGivesTheSelectionSortOrder)
{
    // Small random hands with repeated cards, colliding keys and odd values.
    std::mt19937 engine(5);
    const clsCard pool[] = {clsCard(0, 0),  clsCard(3, 12),        clsCard(1, 7),
                            clsCard(2, 7),  clsCard(0, 100000001), clsCard(1, 100000000),
                            clsCard(-1, 3), clsCard(4, -2),        clsCard(0, 16777217)};
    for (int round = 0; round < 3000; ++round) {
        std::vector<clsCard> cards(engine() % 20);
        for (auto& c : cards)
            c = pool[engine() % std::size(pool)];
        const int primary = static_cast<int>(engine() % 2);
        colHand hand(cards);
        hand.Sort(primary);
        ASSERT_EQ(hand.ToVector(), SelectionSorted(cards, primary))
            << CardListText(cards) << " by " << primary;
    }
}

TEST(Hand, SortOfEqualKeysKeepsEveryCard)
{
    // Values far outside the card range collide in single precision; the
    // sort must still keep each card once, in the selection sort's order.
    colHand hand;
    hand.Add(0, 100000001);
    hand.Add(1, 100000000);
    hand.Add(0, 5);
    hand.Sort(0);
    // Equal keys: the later position comes first.
    EXPECT_EQ(CardListText(hand.Cards()), "0_5,1_100000000,0_100000001");
}

} // namespace
} // namespace scrivo
