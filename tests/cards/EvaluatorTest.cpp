#include "cards/Evaluator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "cards/Showdown.h"
#include "tests/cards/CardsTestSupport.h"

namespace scrivo {
namespace {

using cardstest::HandOf;

// ---- the rules written out plainly: sort, classify, add up, best of 21 ----

using Five = std::array<clsCard, 5>;
using Seven = std::array<clsCard, 7>;

// h sorted ascending by face value.
HandRank RankFive(const Five& h)
{
    const int f1 = h[0].facevalue, f2 = h[1].facevalue, f3 = h[2].facevalue, f4 = h[3].facevalue,
              f5 = h[4].facevalue, s1 = h[0].suit;
    const bool flush = h[1].suit == s1 && h[2].suit == s1 && h[3].suit == s1 && h[4].suit == s1;
    const bool wheel = f1 == 0 && f5 == 12;
    const bool straight = f1 + 1 == f2 && f2 + 1 == f3 && f3 + 1 == f4 && (f4 + 1 == f5 || wheel);
    if (flush && straight) return {8, wheel ? f4 : f5};
    if ((f1 == f2 && f2 == f3 && f3 == f4) || (f2 == f3 && f3 == f4 && f4 == f5))
        return {7, f4 == f5 ? f5 : f4};
    if ((f1 == f2 && f2 == f3 && f4 == f5) || (f1 == f2 && f3 == f4 && f4 == f5)) return {6, f3};
    if (flush) return {5, f5};
    if (straight) return {4, wheel ? f4 : f5};
    if ((f1 == f2 && f2 == f3) || (f2 == f3 && f3 == f4) || (f3 == f4 && f4 == f5))
        return {3, f1 == f2 ? f3 : (f4 == f5 ? f5 : f4)};
    if ((f1 == f2 && f3 == f4) || (f1 == f2 && f4 == f5) || (f2 == f3 && f4 == f5))
        return {2, (f1 == f2 && f3 == f4) ? f4 : f5};
    if (f1 == f2 || f2 == f3 || f3 == f4 || f4 == f5)
        return {1, f1 == f2 ? f2 : (f2 == f3 ? f3 : (f3 == f4 ? f4 : f5))};
    return {0, f5};
}

double ScoreFive(const HandRank& rank, const Five& h)
{
    static const std::array<double, 5> weight = {std::pow(10.0, -8), std::pow(10.0, -6), std::pow(10.0, -4),
                                                 std::pow(10.0, -2), std::pow(10.0, 0)};
    std::array<int, 5> g;
    for (int i = 0; i < 5; ++i)
        g[i] = h[i].facevalue;
    if (rank.Category == 2) { // fifth card, lower pair, higher pair
        const int fifth = g[0] != g[1] ? g[0] : (g[2] != g[3] ? g[2] : g[4]);
        g = {fifth, g[1], g[1], g[3], g[3]};
    }
    double score = rank.Category * 10000 + rank.HighCard * 100;
    for (int i = 4; i >= 0; --i)
        score = score + weight[i] * g[i];
    return score;
}

// Position of five distinct cards among all five-card hands (colex order).
std::size_t IndexOf(const Five& cards)
{
    static const auto choose = [] { // choose[n][k] = n over k
        std::array<std::array<std::size_t, 6>, 52> c{};
        for (std::size_t n = 0; n < 52; ++n)
            for (std::size_t k = 0; k <= 5; ++k)
                c[n][k] = k == 0 ? 1 : n == 0 ? 0 : c[n - 1][k - 1] + c[n - 1][k];
        return c;
    }();
    std::array<int, 5> codes;
    for (int i = 0; i < 5; ++i)
        codes[i] = cards[i].suit * 13 + cards[i].facevalue;
    std::sort(codes.begin(), codes.end());
    std::size_t index = 0;
    for (std::size_t i = 0; i < 5; ++i)
        index += choose[static_cast<std::size_t>(codes[i])][i + 1];
    return index;
}

template <typename Visit> void ForEachFive(Visit&& visit, Five h = {}, int from = 0, int depth = 0)
{
    if (depth == 5) return visit(h);
    for (int code = from; code < 52; ++code) {
        h[depth] = clsCard(code / 13, code % 13);
        ForEachFive(visit, h, code + 1, depth + 1);
    }
}

// The plain score of every five-card hand, worked out once, so that the
// 21-combination loop runs on a million hands quickly even under sanitizers.
double PlainScore(const Five& cards)
{
    static const std::vector<double> table = [] {
        std::vector<double> t(2598960);
        // Sorted by the single-precision key face + suit / 10.
        const auto key = [](const clsCard& c) { return static_cast<float>(c.facevalue + c.suit / 10.0); };
        ForEachFive([&](const Five& five) {
            Five sorted = five;
            std::sort(sorted.begin(), sorted.end(), [&](auto& a, auto& b) { return key(a) < key(b); });
            t[IndexOf(five)] = ScoreFive(RankFive(sorted), sorted);
        });
        return t;
    }();
    return table[IndexOf(cards)];
}

// The combination table over H1 H2 B1 .. B5 numbered 0 .. 6.
const char* const Rows[21] = {"23456", "13456", "12456", "12356", "12346", "12345", "03456",
                              "02456", "02356", "02346", "02345", "01456", "01356", "01346",
                              "01345", "01256", "01246", "01245", "01236", "01235", "01234"};

// The best score and the first combination k that reaches it; with sixOnly,
// of the first six cards (the rows without B5).
std::pair<double, int> BestOfSeven(const Seven& seven, bool sixOnly = false)
{
    std::pair<double, int> best{-1.0, 0};
    for (int k = 1; k <= 21; ++k) {
        if (sixOnly && std::string_view(Rows[k - 1]).find('6') != std::string_view::npos) continue;
        Five five;
        for (int i = 0; i < 5; ++i)
            five[i] = seven[Rows[k - 1][i] - '0'];
        const double score = PlainScore(five);
        if (best.first == -1.0 || score > best.first) best = {score, k};
    }
    return best;
}

TEST(Evaluator, CombinationsFollowTheTableAndNeedEveryCard)
{
    // Distinct faces 0..6 in the order H1 H2 B1 .. B5.
    const colHand hole = HandOf("0_0,0_1"), board = HandOf("0_2,0_3,0_4,0_5,0_6");
    for (int k = 1; k <= 21; ++k) {
        std::string faces;
        for (const clsCard& card : MakeCombination(k, hole, board))
            faces += static_cast<char>('0' + card.facevalue);
        EXPECT_EQ(faces, Rows[k - 1]) << "k=" << k;
    }
    // Each combination comes sorted.
    const colHand mixed = MakeCombination(12, HandOf("2_12,1_3"), HandOf("0_9,3_9,0_0,1_5,3_1"));
    EXPECT_EQ(CardListText(mixed.Cards()), "0_0,3_1,1_3,1_5,2_12");
    EXPECT_THROW(MakeCombination(0, hole, board), std::out_of_range);
    EXPECT_THROW(MakeCombination(22, hole, board), std::out_of_range);
    // Missing cards fail with the collection error.
    const colHand oneHole = HandOf("0_1"), shortBoard = HandOf("0_2,0_3,0_4,0_5");
    EXPECT_NO_THROW(MakeCombination(1, oneHole, board)); // the board alone needs no hole card
    for (const auto& [h, b] : {std::pair{&oneHole, &board}, std::pair{&hole, &shortBoard}}) {
        EXPECT_THROW(BestScore(*h, *b), CollectionError);
        EXPECT_THROW(BestHand(*h, *b), CollectionError);
        EXPECT_THROW(BestScoreReference(*h, *b), CollectionError);
        EXPECT_THROW(EvaluateShowdown(*h, *b, Language()), CollectionError);
    }
    EXPECT_THROW(RankHand(shortBoard), CollectionError);
    // A rank no hand can have must not overflow silently.
    EXPECT_THROW(ScoreHand(HandRank{0, INT32_MAX}, board), std::overflow_error);
    EXPECT_THROW(BestScoreOfCards(std::vector<clsCard>(4)), std::invalid_argument);
}

TEST(Evaluator, CardsTheFastPathRefusesGoThePlainWay)
{
    // The same card twice, and values outside the card range put at one place. A suit of 4 with a
    // seven, or a face of 24 in suit 0, would pass for the missing ten of the royal flush if only
    // 4 * face + suit counted, or its low bits.
    const std::tuple<const char*, int, clsCard> odd[] = {
        {"0_12,0_12,0_12,0_11,0_10,0_9,0_8", -1, {}},
        {"2_5,2_5,2_5,2_5,1_5,0_0,0_1", -1, {}},
        {"0_1,0_2,0_3,0_4,0_5,0_6,0_6", -1, {}},
        {"0_1,0_2,0_3,0_4,0_5,0_6,0_7", 0, clsCard(0, 13)},
        {"0_1,0_2,0_3,0_4,0_5,0_6,0_7", 3, clsCard(-1, 4)},
        {"0_1,0_2,0_3,0_4,0_5,0_6,0_7", 6, clsCard(0, -1)},
        {"0_12,0_11,0_10,0_9,1_2,2_3,3_4", 4, clsCard(4, 7)},
        {"0_12,0_11,0_10,0_9,1_2,2_3,3_4", 4, clsCard(0, 24)},
    };
    for (const auto& [cards, at, replacement] : odd) {
        std::vector<clsCard> seven = HandOf(cards).ToVector();
        if (at >= 0) seven[static_cast<std::size_t>(at)] = replacement;
        const colHand hole({seven.begin(), seven.begin() + 2}), board({seven.begin() + 2, seven.end()});
        const double expected = BestScoreReference(hole, board);
        if (at == 4) { // no royal flush there
            EXPECT_LT(expected, 80000.0) << cards;
        }
        EXPECT_EQ(BestScore(hole, board), expected) << cards << " at " << at;
        EXPECT_EQ(BestScoreOfCards(seven), expected) << cards << " at " << at;
        EXPECT_EQ(BestHand(hole, board).ToVector(), BestHandReference(hole, board).ToVector()) << cards;
    }
}

// ---- the fast path against the plain rules ----

TEST(EvaluatorExhaustive, EveryFiveCardHandScoresAsThePlainRules)
{
    std::array<int, 9> perCategory{};
    int hands = 0;
    ForEachFive([&](const Five& five) {
        if (HasFailure()) return; // one report is enough
        const double expected = PlainScore(five);
        ++perCategory[static_cast<std::size_t>(expected / 10000)];
        const Five turned = {five[4], five[2], five[0], five[3], five[1]}; // not in pack order
        ASSERT_EQ(BestScoreOfCards(turned), expected) << CardListText({five.begin(), five.end()});
        if (++hands % 61 == 0) { // the program's sort, rank and score on a spread-out share
            colHand hand({turned.begin(), turned.end()});
            hand.Sort(0);
            ASSERT_EQ(ScoreHand(RankHand(hand), hand), expected) << CardListText(hand.Cards());
        }
    });
    EXPECT_EQ(hands, 2598960);
    // The well-known counts of each class.
    EXPECT_EQ(perCategory, (std::array<int, 9>{1302540, 1098240, 123552, 54912, 10200, 5108, 3744, 624, 40}));
}

// A random deal from a fixed-seed engine apart from the program's generator,
// also put into hole and board.
Seven Deal(std::mt19937_64& engine, colHand& hole, colHand& board)
{
    std::array<int, 52> pack;
    std::iota(pack.begin(), pack.end(), 0);
    Seven seven;
    for (int i = 0; i < 7; ++i) {
        std::swap(pack[i], pack[std::uniform_int_distribution<int>(i, 51)(engine)]);
        seven[i] = clsCard(pack[i] / 13, pack[i] % 13);
        (i < 2 ? hole.Item(i + 1) : board.Item(i - 1)) = seven[i];
    }
    return seven;
}

using Ids = std::array<std::uint8_t, 7>;

Ids IdsOf(const Seven& seven)
{
    Ids ids;
    for (std::size_t i = 0; i < 7; ++i)
        ids[i] = static_cast<std::uint8_t>(4 * seven[i].facevalue + seven[i].suit);
    return ids;
}

TEST(EvaluatorSample, AMillionSevenCardHandsScoreAsThePlainLoop)
{
    std::mt19937_64 engine(7);
    colHand hole = HandOf("0_0,0_1"), board = HandOf("0_2,0_3,0_4,0_5,0_6");
    std::array<int, 9> categories{};
    for (int n = 0; n < 1000000; ++n) {
        const Seven seven = Deal(engine, hole, board);
        const double expected = BestOfSeven(seven).first;
        ASSERT_EQ(BestScore(hole, board), expected) << CardListText({seven.begin(), seven.end()});
        if (n % 3 == 0) { // the same cards as ids
            ASSERT_EQ(EvaluateSeven(IdsOf(seven).data()), expected);
        }
        ++categories[static_cast<int>(expected / 10000)];
        if (n % 8 == 0) { // any order of the seven rates the same
            Seven turned = seven;
            std::rotate(turned.begin(), turned.begin() + n % 7, turned.end());
            ASSERT_EQ(BestScoreOfCards(turned), expected);
        } else if (n % 8 == 1) { // six cards
            ASSERT_EQ(BestScoreOfCards(std::span(seven).first(6)), BestOfSeven(seven, true).first);
        }
    }
    EXPECT_EQ(std::count(categories.begin(), categories.end(), 0), 0); // every class shows up
}

TEST(EvaluatorSample, CardIdsScoreAsThePlainLoopInEveryOrder)
{
    // clang-format off
    const char* const hands[] = {
        "0_12,1_0,2_1,3_2,0_3,1_7,2_9",     // the wheel, mixed suits
        "2_12,2_0,2_1,2_2,2_3,2_10,2_11",   // the wheel in one suit beats the king-high flush beside it
        "0_0,1_1,2_2,3_3,0_4,1_5,2_6",      // seven in a row: the top five count
        "0_12,1_12,2_12,0_11,1_11,2_11,3_0", // two trips: the higher full of the lower
        "0_9,1_9,0_7,1_7,0_5,1_5,2_0",      // three pairs: the third pair beats the single card
        "0_4,1_4,2_4,3_4,0_10,1_10,2_10"};  // four of a kind beside three of a kind
    // clang-format on
    for (const char* cards : hands) {
        const std::vector<clsCard> dealt = HandOf(cards).ToVector();
        Seven seven;
        std::copy(dealt.begin(), dealt.end(), seven.begin());
        const double expected = BestOfSeven(seven).first;
        Ids ids = IdsOf(seven);
        std::sort(ids.begin(), ids.end());
        do { // all 5040 orders
            ASSERT_EQ(EvaluateSeven(ids.data()), expected) << cards;
        } while (std::next_permutation(ids.begin(), ids.end()));
    }
}

TEST(EvaluatorSample, BytesThatAreNoSevenCardsStayInsideTheTables)
{
    // Repeated cards, bytes past the last card, and random bytes: any score
    // will do, but no read may leave the tables (the sanitizers watch).
    std::vector<Ids> odd = {{0, 0, 0, 0, 0, 0, 0},
                            {51, 51, 51, 51, 51, 51, 51},
                            {255, 255, 255, 255, 255, 255, 255},
                            {48, 49, 50, 51, 48, 49, 50},
                            {52, 60, 100, 200, 254, 0, 1}};
    std::mt19937_64 engine(13);
    for (int n = 0; n < 100000; ++n) {
        Ids ids;
        for (auto& id : ids)
            id = static_cast<std::uint8_t>(engine() % (n % 2 == 0 ? 256 : 52));
        odd.push_back(ids);
    }
    for (const Ids& ids : odd)
        ASSERT_GE(EvaluateSeven(ids.data()), 0.0);
}

TEST(EvaluatorSample, BestHandPicksTheFirstBestCombination)
{
    // Deals where several combinations tie come first: quads with the kicker anywhere, a board
    // straight over lower ones, a wheel beside a six-high straight, the board playing (k = 1).
    const char* ties[] = {"0_9,1_9,2_9,3_9,0_0,1_0,2_0",   "0_5,1_4,2_6,3_7,0_8,1_9,2_10",
                          "0_12,1_12,2_0,3_1,0_2,1_3,2_4", "0_0,1_1,2_12,3_12,0_11,1_11,2_10",
                          "3_2,2_2,0_2,1_2,3_5,2_5,1_5",   "1_8,2_0,0_4,0_5,1_6,2_7,3_8"};
    std::mt19937_64 engine(11);
    colHand hole = HandOf("0_0,0_1"), board = HandOf("0_2,0_3,0_4,0_5,0_6");
    for (int n = 0; n < 20000; ++n) {
        Seven seven = Deal(engine, hole, board);
        if (n < static_cast<int>(std::size(ties))) {
            const std::vector<clsCard> cards = HandOf(ties[n]).ToVector();
            std::copy(cards.begin(), cards.end(), seven.begin());
            hole = colHand({cards.begin(), cards.begin() + 2});
            board = colHand({cards.begin() + 2, cards.end()});
        }
        const auto [score, k] = BestOfSeven(seven);
        const auto wanted = MakeCombination(k, hole, board).ToVector();
        ASSERT_EQ(BestHand(hole, board).ToVector(), wanted) << CardListText(wanted);
        if (n % 10 == 0) {
            ASSERT_EQ(BestScoreReference(hole, board), score);
            ASSERT_EQ(BestHandReference(hole, board).ToVector(), wanted);
        }
    }
}

// ---- showdown results ----

using Showdown = cardstest::EnglishTexts;

TEST_F(Showdown, DescribesAndScoresEveryCategory)
{
    // Scores as written in decimal; the computed Double is within rounding of them.
    const std::tuple<const char*, const char*, const char*, double> rows[] = {
        {"0_12,1_9", "2_0,3_2,0_4,1_6,2_7", "Ace high", 1212.09070604},
        {"0_5,1_5", "2_0,3_2,0_4,1_9,2_11", "One Pair (Sevens)", 10511.09050504},
        {"0_11,1_0", "2_11,3_0,0_4,1_6,2_12", "Two Pairs (Kings and Twos)", 21111.11000012},
        {"0_11,1_11", "2_3,3_3,0_2,1_0,2_0", "Two Pairs (Kings and Fives)", 21111.11030302},
        {"0_2,1_11", "2_11,3_0,0_1,1_0,2_7", "Two Pairs (Kings and Twos)", 21111.11000007},
        {"0_9,1_9", "2_9,3_0,0_4,1_6,2_12", "Three of a kind (Jacks)", 30912.09090906},
        {"0_12,1_1", "2_0,3_2,0_3,1_9,2_11", "Straight (Five high)", 40312.030201},
        {"0_8,1_9", "2_10,3_11,0_12,1_0,2_0", "Straight (Ace high)", 41212.11100908},
        {"0_0,0_5", "0_9,0_11,0_3,1_6,2_12", "Flush (King high)", 51111.090503},
        {"0_3,1_3", "2_3,3_11,0_11,1_0,2_7", "Full House (Two Kings and Three Fives)", 60311.11030303},
        {"0_11,1_11", "2_11,3_3,0_3,1_0,2_7", "Full House (Three Kings and Two Fives)", 61111.11110303},
        {"0_4,1_4", "2_4,3_4,0_7,1_0,2_1", "Four of a kind (Sixes)", 70407.04040404},
        {"3_12,3_0", "3_1,3_2,3_3,1_9,2_11", "Straight Flush (Five high)", 80312.030201},
        {"3_4,3_0", "3_1,3_2,3_3,3_12,2_11", "Straight Flush (Six high)", 80404.030201}};
    for (const auto& [hole, board, description, score] : rows) {
        const ShowdownResult r = EvaluateShowdown(HandOf(hole), HandOf(board), language);
        EXPECT_EQ(r.Description, description) << hole << " " << board;
        EXPECT_DOUBLE_EQ(r.Score, score) << hole << " " << board;
    }
    EXPECT_EQ(EvaluateShowdown(HandOf("0_11,2_11"), HandOf("1_0,3_5,0_12,1_7,2_2"), language).BestCards,
              "3_5,1_7,0_11,2_11,0_12");
    // Ranks no hand has give no text rather than a crash.
    EXPECT_EQ(DescribeHand(HandRank{9, 0}, colHand(), language) +
                  DescribeHand(HandRank{-1, 0}, colHand(), language),
              "");
    EXPECT_EQ(DescribeHand(HandRank{1, 99}, colHand(), language), "One Pair ()");
}

} // namespace
} // namespace scrivo
