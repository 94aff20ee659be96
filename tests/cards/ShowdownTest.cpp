#include "cards/Showdown.h"

#include <gtest/gtest.h>

#include "tests/cards/CardsTestSupport.h"

namespace scrivo {
namespace {

using cardstest::HandOf;

class Showdown : public cardstest::EnglishCardNames {};

TEST_F(Showdown, PairOfKingsInTheHole)
{
    const ShowdownResult r = EvaluateShowdown(HandOf("0_11,2_11"), HandOf("1_0,3_5,0_12,1_7,2_2"));
    EXPECT_EQ(r.Description, "One Pair (Kings)");
    EXPECT_EQ(r.BestCards, "3_5,1_7,0_11,2_11,0_12");
    EXPECT_EQ(r.Score, BestScore(HandOf("0_11,2_11"), HandOf("1_0,3_5,0_12,1_7,2_2")));
    EXPECT_DOUBLE_EQ(r.Score, 11112.11110705);
}

TEST_F(Showdown, ScoreMatchesTheBestHandsOwnScore)
{
    const colHand hole = HandOf("3_3,2_9");
    const colHand board = HandOf("0_3,1_3,2_11,3_11,0_0");
    const ShowdownResult r = EvaluateShowdown(hole, board);
    const colHand best = BestHand(hole, board);
    EXPECT_EQ(r.Score, ScoreHand(RankHand(best), best));
    EXPECT_EQ(r.BestCards, CardListText(best.Cards()));
}

TEST_F(Showdown, SharedBoardGivesEqualResults)
{
    const colHand board = HandOf("0_8,0_9,0_10,0_11,0_12");
    const ShowdownResult a = EvaluateShowdown(HandOf("1_0,2_5"), board);
    const ShowdownResult b = EvaluateShowdown(HandOf("3_1,2_3"), board);
    EXPECT_EQ(a.Score, b.Score);
    EXPECT_EQ(a.Description, "Straight Flush (Ace high)");
    EXPECT_EQ(a.Description, b.Description);
    EXPECT_EQ(a.BestCards, "0_8,0_9,0_10,0_11,0_12");
    EXPECT_EQ(a.BestCards, b.BestCards);
}

TEST_F(Showdown, MissingCardsFail)
{
    EXPECT_THROW(EvaluateShowdown(HandOf("1_0"), HandOf("0_8,0_9,0_10,0_11,0_12")), CollectionError);
    EXPECT_THROW(EvaluateShowdown(HandOf("1_0,1_1"), HandOf("0_8,0_9")), CollectionError);
}

struct DescribeCase {
    const char* hole;
    const char* board;
    const char* description;
};

void PrintTo(const DescribeCase& c, std::ostream* os)
{
    *os << c.hole << " | " << c.board;
}

class DescribeEveryHand : public Showdown, public ::testing::WithParamInterface<DescribeCase> {};

TEST_P(DescribeEveryHand, NamesTheHand)
{
    const ShowdownResult r = EvaluateShowdown(HandOf(GetParam().hole), HandOf(GetParam().board));
    EXPECT_EQ(r.Description, GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
    Categories, DescribeEveryHand,
    ::testing::Values(
        DescribeCase{"0_12,1_9", "2_0,3_2,0_4,1_6,2_7", "Ace high"},
        DescribeCase{"0_5,1_5", "2_0,3_2,0_4,1_9,2_11", "One Pair (Sevens)"},
        DescribeCase{"0_11,1_0", "2_11,3_0,0_4,1_6,2_12", "Two Pairs (Kings and Twos)"},
        DescribeCase{"0_11,1_12", "2_11,3_0,0_4,1_0,2_1", "Two Pairs (Kings and Twos)"},
        DescribeCase{"0_2,1_11", "2_11,3_0,0_1,1_0,2_7", "Two Pairs (Kings and Twos)"},
        DescribeCase{"0_9,1_9", "2_9,3_0,0_4,1_6,2_12", "Three of a kind (Jacks)"},
        DescribeCase{"0_12,1_1", "2_0,3_2,0_3,1_9,2_11", "Straight (Five high)"},
        DescribeCase{"0_8,1_9", "2_10,3_11,0_12,1_0,2_0", "Straight (Ace high)"},
        DescribeCase{"0_0,0_5", "0_9,0_11,0_3,1_6,2_12", "Flush (King high)"},
        DescribeCase{"0_3,1_3", "2_3,3_11,0_11,1_0,2_7", "Full House (Two Kings and Three Fives)"},
        DescribeCase{"0_11,1_11", "2_11,3_3,0_3,1_0,2_7", "Full House (Three Kings and Two Fives)"},
        DescribeCase{"0_4,1_4", "2_4,3_4,0_7,1_0,2_1", "Four of a kind (Sixes)"},
        DescribeCase{"3_12,3_0", "3_1,3_2,3_3,1_9,2_11", "Straight Flush (Five high)"},
        DescribeCase{"3_4,3_0", "3_1,3_2,3_3,3_12,2_11", "Straight Flush (Six high)"}));

TEST_F(Showdown, DescriptionOfOddRanks)
{
    const colHand hand = HandOf("0_0,1_0,2_1,3_1,0_2");
    EXPECT_EQ(DescribeHand(HandRank{9, 0}, hand), "");
    EXPECT_EQ(DescribeHand(HandRank{-1, 0}, hand), "");
    EXPECT_EQ(DescribeHand(HandRank{0, 13}, hand), " high");
    EXPECT_EQ(DescribeHand(HandRank{1, 99}, hand), "One Pair ()");
}

} // namespace
} // namespace scrivo
