#include "cards/Evaluator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "tests/cards/CardsTestSupport.h"
#include "tests/cards/ReferenceEvaluator.h"

namespace scrivo {
namespace {

using cardstest::Five;
using cardstest::HandOf;

colHand Sorted(std::string_view cards)
{
    colHand hand = HandOf(cards);
    hand.Sort(0);
    return hand;
}

double ScoreOf(std::string_view cards)
{
    const colHand hand = Sorted(cards);
    return ScoreHand(RankHand(hand), hand);
}

Five FiveOf(const colHand& hand)
{
    Five five;
    for (int i = 0; i < 5; ++i)
        five[i] = hand.Item(i + 1);
    return five;
}

// ---- five-card classification ----

struct RankCase {
    const char* cards;
    int category;
    int highCard;
    double score; // as written in decimal; the computed Double is within rounding of it
};

void PrintTo(const RankCase& c, std::ostream* os)
{
    *os << c.cards;
}

class FiveCardRank : public ::testing::TestWithParam<RankCase> {};

TEST_P(FiveCardRank, ClassifiesAndScores)
{
    const colHand hand = Sorted(GetParam().cards);
    const HandRank rank = RankHand(hand);
    EXPECT_EQ(rank.Category, GetParam().category);
    EXPECT_EQ(rank.HighCard, GetParam().highCard);
    const double score = ScoreHand(rank, hand);
    EXPECT_DOUBLE_EQ(score, GetParam().score);
    // Bit for bit what the plain additions with powers of ten give.
    EXPECT_EQ(score, cardstest::ScoreFive(rank, FiveOf(hand)));
    EXPECT_EQ(BestScoreOfCards(FiveOf(hand)), score);
}

INSTANTIATE_TEST_SUITE_P(
    Hands, FiveCardRank,
    ::testing::Values(RankCase{"0_0,1_5,2_11,3_11,0_12", 1, 11, 11112.111105},    // two seven king king ace
                      RankCase{"0_0,1_1,2_2,3_3,0_12", 4, 3, 40312.030201},       // five-high straight
                      RankCase{"2_12,2_0,2_1,2_2,2_3", 8, 3, 80312.030201},       // five-high straight flush
                      RankCase{"2_4,2_0,2_1,2_2,2_3", 8, 4, 80404.030201},        // six-high straight flush
                      RankCase{"1_8,1_9,1_10,1_11,1_12", 8, 12, 81212.11100908},  // ace-high straight flush
                      RankCase{"0_10,1_11,2_12,3_0,0_1", 0, 12, 1212.111001},     // no wrap-around straight
                      RankCase{"0_3,1_3,2_3,0_11,1_11", 6, 3, 60311.11030303},    // three fives, two kings
                      RankCase{"0_10,1_10,2_10,0_0,1_0", 6, 10, 61010.101},       // three queens, two twos
                      RankCase{"0_1,0_10,1_10,0_11,1_11", 2, 11, 21111.11101001}, // kings, queens, three
                      RankCase{"0_0,1_0,0_11,1_11,0_12", 2, 11, 21111.11000012},  // kings, twos, ace
                      RankCase{"0_3,1_0,1_3,2_5,2_0", 2, 3, 20303.03000005},      // fives, twos, seven
                      RankCase{"0_3,1_3,2_3,3_3,0_9", 7, 3, 70309.03030303},      // four fives, jack
                      RankCase{"0_1,0_3,1_3,2_3,3_3", 7, 3, 70303.03030301},      // four fives, three
                      RankCase{"0_9,1_9,2_9,0_1,0_12", 3, 9, 30912.09090901},     // three jacks
                      RankCase{"0_0,1_0,2_0,0_1,0_2", 3, 0, 30002.0100000000},    // three twos
                      RankCase{"0_4,0_9,0_2,0_11,0_6", 5, 11, 51111.09060402},    // flush
                      RankCase{"0_4,1_5,2_6,3_7,0_8", 4, 8, 40808.07060504},      // eight-high straight
                      RankCase{"0_0,1_2,2_4,3_6,0_8", 0, 8, 808.06040200}));

TEST(Evaluator, ScoreWeightsArePowersOfTen)
{
    // The fast path writes the weights as decimals; they must be the very
    // Doubles that 10 to the power gives.
    const double weights[] = {1.0, 0.01, 0.0001, 0.000001, 0.00000001};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(weights[i], std::pow(10.0, -2 * i));
}

TEST(Evaluator, HandsOrderByPokerRules)
{
    // Each hand beats the one before it: the weakest and strongest of every
    // category, wheels, two pairs by higher pair, lower pair, then kicker.
    const char* ascending[] = {
        "0_0,1_1,2_2,3_3,0_5",      // seven high
        "0_12,1_11,2_10,3_9,0_7",   // ace king queen jack nine
        "0_0,1_0,2_1,3_2,0_3",      // pair of twos, five four three
        "0_12,1_12,2_11,3_10,0_9",  // pair of aces, king queen jack
        "0_1,1_1,2_0,3_0,0_2",      // threes and twos, four
        "0_1,1_1,2_0,3_0,0_12",     // threes and twos, ace
        "0_2,1_2,2_0,3_0,0_1",      // fours and twos
        "0_2,1_2,2_1,3_1,0_0",      // fours and threes
        "0_12,1_12,2_11,3_11,0_10", // aces and kings, queen
        "0_0,1_0,2_0,3_1,0_2",      // three twos
        "0_12,1_12,2_12,3_11,0_10", // three aces
        "0_12,1_0,2_1,3_2,0_3",     // five-high straight
        "0_0,1_1,2_2,3_3,0_4",      // six-high straight
        "0_8,1_9,2_10,3_11,0_12",   // ace-high straight
        "0_0,0_1,0_2,0_3,0_5",      // seven-high flush
        "0_12,0_11,0_10,0_9,0_7",   // ace-high flush
        "0_0,1_0,2_0,3_1,0_1",      // twos full of threes
        "0_0,1_0,2_1,3_1,0_1",      // threes full of twos
        "0_12,1_12,2_12,3_11,0_11", // aces full of kings
        "0_0,1_0,2_0,3_0,0_1",      // four twos
        "0_12,1_12,2_12,3_12,0_11", // four aces
        "1_12,1_0,1_1,1_2,1_3",     // five-high straight flush
        "1_0,1_1,1_2,1_3,1_4",      // six-high straight flush
        "1_8,1_9,1_10,1_11,1_12",   // ace-high straight flush
    };
    for (std::size_t i = 1; i < std::size(ascending); ++i)
        EXPECT_LT(ScoreOf(ascending[i - 1]), ScoreOf(ascending[i]))
            << ascending[i - 1] << " vs " << ascending[i];
}

TEST(Evaluator, EqualFacesInOtherSuitsTie)
{
    EXPECT_EQ(ScoreOf("0_0,1_5,2_11,3_11,0_12"), ScoreOf("3_0,2_5,1_11,0_11,2_12"));
    EXPECT_EQ(ScoreOf("0_4,1_5,2_6,3_7,0_8"), ScoreOf("1_4,1_5,2_6,3_7,0_8"));
    EXPECT_EQ(BestScore(HandOf("0_12,0_11"), HandOf("2_2,3_2,1_7,0_8,3_9")),
              BestScore(HandOf("3_12,2_11"), HandOf("2_2,3_2,1_7,0_8,3_9")));
}

// ---- combinations and the best of seven ----

TEST(Evaluator, CombinationsFollowTheTable)
{
    // Distinct faces: hole 0 and 1 (H1, H2), board 2..6 (B1..B5), all hearts.
    const colHand hole = HandOf("0_0,0_1");
    const colHand board = HandOf("0_2,0_3,0_4,0_5,0_6");
    const char* rows[21] = {"23456", "13456", "12456", "12356", "12346", "12345", "03456",
                            "02456", "02356", "02346", "02345", "01456", "01356", "01346",
                            "01345", "01256", "01246", "01245", "01236", "01235", "01234"};
    for (int k = 1; k <= 21; ++k) {
        const colHand hand = MakeCombination(k, hole, board);
        std::string faces;
        for (const clsCard& card : hand)
            faces += static_cast<char>('0' + card.facevalue);
        EXPECT_EQ(faces, rows[k - 1]) << "k=" << k;
    }
    // Each combination comes sorted.
    const colHand mixed = MakeCombination(12, HandOf("2_12,1_3"), HandOf("0_9,3_9,0_0,1_5,3_1"));
    EXPECT_EQ(CardListText(mixed.Cards()), "0_0,3_1,1_3,1_5,2_12");
    EXPECT_THROW(MakeCombination(0, hole, board), std::out_of_range);
    EXPECT_THROW(MakeCombination(22, hole, board), std::out_of_range);
}

TEST(Evaluator, BoardAloneWinsTiesWithHoleCards)
{
    // The board is a straight; the ten in the hole makes the same straight.
    const colHand hole = HandOf("1_8,2_0");
    const colHand board = HandOf("0_4,0_5,1_6,2_7,3_8");
    EXPECT_EQ(CardListText(BestHand(hole, board).Cards()), "0_4,0_5,1_6,2_7,3_8");
    EXPECT_EQ(CardListText(BestHandReference(hole, board).Cards()), "0_4,0_5,1_6,2_7,3_8");
}

TEST(Evaluator, MissingCardsFailWithTheCollectionError)
{
    const colHand oneHole = HandOf("0_1");
    const colHand fullBoard = HandOf("0_2,0_3,0_4,0_5,0_6");
    const colHand shortBoard = HandOf("0_2,0_3,0_4,0_5");
    const colHand twoHoles = HandOf("1_1,1_2");
    EXPECT_NO_THROW(MakeCombination(1, oneHole, fullBoard)); // the board alone needs no hole card
    for (const auto& [hole, board] : {std::pair{&oneHole, &fullBoard}, std::pair{&twoHoles, &shortBoard}}) {
        EXPECT_THROW(BestScore(*hole, *board), CollectionError);
        EXPECT_THROW(BestHand(*hole, *board), CollectionError);
        EXPECT_THROW(BestScoreReference(*hole, *board), CollectionError);
    }
    EXPECT_THROW(RankHand(shortBoard), CollectionError);
    // A rank no hand can have must not overflow silently.
    EXPECT_THROW(ScoreHand(HandRank{0, INT32_MAX}, fullBoard), std::overflow_error);
    EXPECT_THROW(BestScoreOfCards(std::vector<clsCard>(4)), std::invalid_argument);
}

TEST(Evaluator, CardsTheFastPathRefusesGoThePlainWay)
{
    // The same card twice, and values outside the card range.
    const std::pair<const char*, const char*> odd[] = {
        {"0_12,0_12", "0_12,0_11,0_10,0_9,0_8"},
        {"2_5,2_5", "2_5,2_5,1_5,0_0,0_1"},
        {"0_1,0_2", "0_3,0_4,0_5,0_6,0_6"},
    };
    for (const auto& [hole, board] : odd) {
        const colHand h = HandOf(hole), b = HandOf(board);
        EXPECT_EQ(BestScore(h, b), BestScoreReference(h, b)) << hole << " " << board;
        EXPECT_EQ(BestHand(h, b).ToVector(), BestHandReference(h, b).ToVector());
    }
    colHand hole = HandOf("0_1,0_2");
    colHand board = HandOf("0_3,0_4,0_5,0_6,0_7");
    hole.Item(1).facevalue = 13;
    board.Item(2).suit = -1;
    EXPECT_EQ(BestScore(hole, board), BestScoreReference(hole, board));
    EXPECT_EQ(BestHand(hole, board).ToVector(), BestHandReference(hole, board).ToVector());
    std::vector<clsCard> seven = hole.ToVector();
    for (const clsCard& card : board)
        seven.push_back(card);
    EXPECT_EQ(BestScoreOfCards(seven), BestScoreReference(hole, board));
}

// ---- the fast path against the plain transcription ----

const cardstest::FiveCardScores& PlainScores()
{
    static const cardstest::FiveCardScores scores;
    return scores;
}

TEST(EvaluatorExhaustive, EveryFiveCardHandScoresAsThePlainRules)
{
    std::array<int, 9> perCategory{};
    long long hands = 0, mismatches = 0, plainChecked = 0;
    PlainScores().ForEach([&](const Five& five, double expected) {
        ++hands;
        ++perCategory[static_cast<std::size_t>(expected / 10000)];
        const Five turned = {five[4], five[2], five[0], five[3], five[1]}; // not in pack order
        if (BestScoreOfCards(turned) != expected && ++mismatches < 10)
            ADD_FAILURE() << CardListText({five.begin(), five.end()});
        // The program's own card-hand path, on a spread-out share.
        if (hands % 61 == 0) {
            colHand hand({turned.begin(), turned.end()});
            hand.Sort(0);
            const Five sorted = cardstest::SortedFive(turned);
            ASSERT_EQ(hand.ToVector(), std::vector<clsCard>(sorted.begin(), sorted.end()));
            ASSERT_EQ(RankHand(hand), cardstest::RankFive(sorted));
            ASSERT_EQ(ScoreHand(RankHand(hand), hand), expected);
            ++plainChecked;
        }
    });
    EXPECT_EQ(hands, 2598960);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(plainChecked, 40000);
    // The well-known counts of each class.
    EXPECT_EQ(perCategory, (std::array<int, 9>{1302540, 1098240, 123552, 54912, 10200, 5108, 3744, 624, 40}));
}

// Random deals from a fixed seed, independent of the program's generator.
class Deals {
public:
    explicit Deals(std::uint64_t seed) : m_engine(seed) { std::iota(m_pack.begin(), m_pack.end(), 0); }
    std::array<clsCard, 7> Next()
    {
        std::array<clsCard, 7> seven;
        for (int i = 0; i < 7; ++i) {
            std::uniform_int_distribution<int> pick(i, 51);
            std::swap(m_pack[i], m_pack[pick(m_engine)]);
            seven[i] = clsCard(m_pack[i] / 13, m_pack[i] % 13);
        }
        return seven;
    }

private:
    std::mt19937_64 m_engine;
    std::array<int, 52> m_pack;
};

void Fill(colHand& hole, colHand& board, const std::array<clsCard, 7>& seven)
{
    for (int i = 0; i < 2; ++i)
        hole.Item(i + 1) = seven[i];
    for (int i = 0; i < 5; ++i)
        board.Item(i + 1) = seven[i + 2];
}

TEST(EvaluatorSample, AMillionSevenCardHandsScoreAsThePlainLoop)
{
    Deals deals(7);
    colHand hole = HandOf("0_0,0_1");
    colHand board = HandOf("0_2,0_3,0_4,0_5,0_6");
    std::array<int, 9> categories{};
    long long mismatches = 0;
    for (int n = 0; n < 1000000; ++n) {
        const auto seven = deals.Next();
        Fill(hole, board, seven);
        const auto expected = cardstest::BestOfSeven(
            {seven[0], seven[1]}, {seven[2], seven[3], seven[4], seven[5], seven[6]}, &PlainScores());
        const double score = BestScore(hole, board);
        if (score != expected.score && ++mismatches < 10)
            ADD_FAILURE() << CardListText({seven.begin(), seven.end()}) << " " << score << " vs "
                          << expected.score;
        ++categories[static_cast<int>(expected.score / 10000)];
        if (n % 1000 == 0) {
            const auto direct = cardstest::BestOfSeven({seven[0], seven[1]},
                                                       {seven[2], seven[3], seven[4], seven[5], seven[6]});
            ASSERT_EQ(direct.score, expected.score);
            ASSERT_EQ(direct.k, expected.k);
        }
        // Any order of the seven cards rates the same.
        if (n % 8 == 0) {
            std::array<clsCard, 7> turned = seven;
            std::rotate(turned.begin(), turned.begin() + n % 7, turned.end());
            ASSERT_EQ(BestScoreOfCards(turned), expected.score);
        }
        // Six cards: the best of the six ways to leave one out.
        if (n % 8 == 1) {
            const std::array<clsCard, 6> six = {seven[0], seven[1], seven[2], seven[3], seven[4], seven[5]};
            double best = -1.0;
            for (int out = 0; out < 6; ++out) {
                Five five;
                for (int i = 0, j = 0; i < 6; ++i)
                    if (i != out) five[j++] = six[i];
                best = std::max(best, PlainScores().Score(five));
            }
            ASSERT_EQ(BestScoreOfCards(six), best) << CardListText({six.begin(), six.end()});
        }
    }
    EXPECT_EQ(mismatches, 0);
    // Every class shows up in a million deals.
    for (int c = 0; c < 9; ++c)
        EXPECT_GT(categories[c], 0) << c;
}

TEST(EvaluatorSample, BestHandAndPlainLoopPickTheFirstBestCombination)
{
    Deals deals(11);
    colHand hole = HandOf("0_0,0_1");
    colHand board = HandOf("0_2,0_3,0_4,0_5,0_6");
    for (int n = 0; n < 20000; ++n) {
        const auto seven = deals.Next();
        Fill(hole, board, seven);
        const auto expected =
            cardstest::BestOfSeven({seven[0], seven[1]}, {seven[2], seven[3], seven[4], seven[5], seven[6]});
        const auto wanted = MakeCombination(expected.k, hole, board).ToVector();
        ASSERT_EQ(BestHand(hole, board).ToVector(), wanted) << CardListText({seven.begin(), seven.end()});
        if (n % 10 == 0) {
            ASSERT_EQ(BestScoreReference(hole, board), expected.score);
            ASSERT_EQ(BestHandReference(hole, board).ToVector(), wanted);
        }
    }
}

TEST(EvaluatorSample, TiesPreferTheLowestCombination)
{
    // Boards where several combinations tie: many straights, paired boards,
    // the board playing. The first best combination must match in all.
    const std::pair<const char*, const char*> deals[] = {
        {"0_9,1_9", "2_9,3_9,0_0,1_0,2_0"},   // quads jacks, kicker two from anywhere
        {"0_5,1_4", "2_6,3_7,0_8,1_9,2_10"},  // the board straight wins over lower ones
        {"0_12,1_12", "2_0,3_1,0_2,1_3,2_4"}, // six-high straight on board, ace makes the wheel too
        {"0_0,1_1", "2_12,3_12,0_11,1_11,2_10"}, {"3_2,2_2", "0_2,1_2,3_5,2_5,1_5"},
    };
    for (const auto& [h, b] : deals) {
        const colHand hole = HandOf(h), board = HandOf(b);
        std::array<clsCard, 7> seven;
        for (int i = 0; i < 2; ++i)
            seven[i] = hole.Item(i + 1);
        for (int i = 0; i < 5; ++i)
            seven[i + 2] = board.Item(i + 1);
        const auto expected =
            cardstest::BestOfSeven({seven[0], seven[1]}, {seven[2], seven[3], seven[4], seven[5], seven[6]});
        EXPECT_EQ(BestScore(hole, board), expected.score) << h << " " << b;
        EXPECT_EQ(BestHand(hole, board).ToVector(), MakeCombination(expected.k, hole, board).ToVector())
            << h << " " << b;
    }
}

} // namespace
} // namespace scrivo
