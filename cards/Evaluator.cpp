#include "cards/Evaluator.h"

#include <array>
#include <stdexcept>

#include "cards/FastEvaluator.h"

namespace scrivo {

namespace {

// Cards of each combination: 0, 1 are hole positions 1, 2; 2..6 are board
// positions 1..5.
// clang-format off
constexpr std::array<std::array<std::int8_t, 5>, CombinationCount> Combinations{{
    {2, 3, 4, 5, 6},                                                        // 1: the board
    {1, 3, 4, 5, 6}, {1, 2, 4, 5, 6}, {1, 2, 3, 5, 6}, {1, 2, 3, 4, 6}, {1, 2, 3, 4, 5},   // 2..6
    {0, 3, 4, 5, 6}, {0, 2, 4, 5, 6}, {0, 2, 3, 5, 6}, {0, 2, 3, 4, 6}, {0, 2, 3, 4, 5},   // 7..11
    {0, 1, 4, 5, 6}, {0, 1, 3, 5, 6}, {0, 1, 3, 4, 6}, {0, 1, 3, 4, 5}, {0, 1, 2, 5, 6},   // 12..16
    {0, 1, 2, 4, 6}, {0, 1, 2, 4, 5}, {0, 1, 2, 3, 6}, {0, 1, 2, 3, 5}, {0, 1, 2, 3, 4},   // 17..21
}};
// clang-format on

const clsCard& CardOf(std::int8_t code, const colHand& hole, const colHand& board)
{
    return code < 2 ? hole.Item(code + 1) : board.Item(code - 1);
}

} // namespace

colHand MakeCombination(std::int32_t k, const colHand& hole, const colHand& board)
{
    if (k < 1 || k > CombinationCount) throw std::out_of_range("combination number out of range 1..21");
    colHand hand;
    hand.Reserve(5);
    for (const auto code : Combinations[static_cast<std::size_t>(k - 1)]) {
        const clsCard& card = CardOf(code, hole, board);
        hand.Add(card.suit, card.facevalue);
    }
    hand.Sort(0);
    return hand;
}

HandRank RankHand(const colHand& hand)
{
    std::array<std::int32_t, 5> f{};
    std::array<std::int32_t, 5> s{};
    for (std::int32_t i = 0; i < 5; ++i) {
        const clsCard& card = hand.Item(i + 1);
        f[static_cast<std::size_t>(i)] = card.facevalue;
        s[static_cast<std::size_t>(i)] = card.suit;
    }
    return detail::RankSortedFive(f, s);
}

double ScoreHand(const HandRank& rank, const colHand& hand)
{
    std::array<std::int32_t, 5> f{};
    for (std::int32_t i = 0; i < 5; ++i)
        f[static_cast<std::size_t>(i)] = hand.Item(i + 1).facevalue;
    return detail::ScoreSortedFive(rank, f);
}

double BestScoreReference(const colHand& hole, const colHand& board)
{
    double best = -1.0;
    for (std::int32_t k = 1; k <= CombinationCount; ++k) {
        const colHand hand = MakeCombination(k, hole, board);
        const double score = ScoreHand(RankHand(hand), hand);
        if (best == -1.0 || score > best) best = score;
    }
    return best;
}

colHand BestHandReference(const colHand& hole, const colHand& board)
{
    double best = -1.0;
    std::int32_t bestK = 0;
    for (std::int32_t k = 1; k <= CombinationCount; ++k) {
        const colHand hand = MakeCombination(k, hole, board);
        const double score = ScoreHand(RankHand(hand), hand);
        if (best == -1.0 || score > best) {
            best = score;
            bestK = k;
        }
    }
    return MakeCombination(bestK, hole, board);
}

namespace {

// The seven cards in combination code order, when hole and board hold
// enough cards.
bool GatherSeven(const colHand& hole, const colHand& board, std::array<clsCard, 7>& seven)
{
    if (hole.Count() < 2 || board.Count() < 5) return false;
    const auto& h = hole.Cards();
    const auto& b = board.Cards();
    seven = {h[0], h[1], b[0], b[1], b[2], b[3], b[4]};
    return true;
}

} // namespace

double BestScore(const colHand& hole, const colHand& board)
{
    if (hole.Count() >= 2 && board.Count() >= 5) {
        const clsCard* h = hole.Cards().data();
        const clsCard* b = board.Cards().data();
        double score = 0.0;
        if (detail::FastBestScore7(h, b, score)) return score;
    }
    // Missing cards (the plain path reports them), or cards the fast path
    // does not take: out of range or the same card twice.
    return BestScoreReference(hole, board);
}

colHand BestHand(const colHand& hole, const colHand& board)
{
    std::array<clsCard, 7> seven;
    double best = 0.0;
    if (GatherSeven(hole, board, seven) && detail::FastBestScore7(&seven[0], &seven[2], best)) {
        // Same choice as the plain loop: the first combination reaching the best score.
        for (std::int32_t k = 1; k <= CombinationCount; ++k) {
            std::array<clsCard, 5> five;
            const auto& row = Combinations[static_cast<std::size_t>(k - 1)];
            for (std::size_t i = 0; i < 5; ++i)
                five[i] = seven[static_cast<std::size_t>(row[i])];
            double score = 0.0;
            if (detail::FastBestScore(five.data(), 5, score) && score == best)
                return MakeCombination(k, hole, board);
        }
    }
    return BestHandReference(hole, board);
}

double BestScoreOfCards(std::span<const clsCard> cards)
{
    const std::size_t n = cards.size();
    if (n < 5 || n > 7) throw std::invalid_argument("a hand is rated from 5 to 7 cards");
    double score = 0.0;
    if (detail::FastBestScore(cards.data(), static_cast<int>(n), score)) return score;
    // Plain search over every five-card choice.
    double best = -1.0;
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = a + 1; b < n; ++b)
            for (std::size_t c = b + 1; c < n; ++c)
                for (std::size_t d = c + 1; d < n; ++d)
                    for (std::size_t e = d + 1; e < n; ++e) {
                        colHand hand({cards[a], cards[b], cards[c], cards[d], cards[e]});
                        hand.Sort(0);
                        const double s = ScoreHand(RankHand(hand), hand);
                        if (best == -1.0 || s > best) best = s;
                    }
    return best;
}

} // namespace scrivo
