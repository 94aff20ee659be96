#pragma once

#include <cstdint>
#include <span>

#include "cards/Hand.h"
#include "cards/SevenTables.h"

namespace scrivo {

// Class of a five-card hand and the face value that names it.
//   Category: 0 high card, 1 one pair, 2 two pairs, 3 three of a kind,
//             4 straight, 5 flush, 6 full house, 7 four of a kind,
//             8 straight flush
struct HandRank {
    std::int32_t Category = 0;
    std::int32_t HighCard = 0;
    bool operator==(const HandRank&) const = default;
};

inline constexpr int CombinationCount = 21;

// Combination k (1..21) of two hole cards and five board cards: a new hand
// of five copies sorted by face value. k = 1 is the board alone, 2..6 use the
// second hole card, 7..11 the first, 12..21 both. Throws CollectionError when
// the hole has fewer than two cards or the board fewer than five.
colHand MakeCombination(std::int32_t k, const colHand& hole, const colHand& board);

// Class of a five-card hand sorted ascending by face value (Sort(0)).
HandRank RankHand(const colHand& hand);

// The score of a ranked, sorted five-card hand: Category * 10000 +
// HighCard * 100 + the face values from the highest down, two decimal digits
// each (for two pairs: higher pair, lower pair, fifth card). Greater is
// better; equal is a tie.
double ScoreHand(const HandRank& rank, const colHand& hand);

// The greatest score of the 21 combinations, through EvaluateSeven; cards
// out of range or repeated go through BestScoreReference instead.
double BestScore(const colHand& hole, const colHand& board);
// The first combination (lowest k) that reaches the best score.
colHand BestHand(const colHand& hole, const colHand& board);

// The plain 21-combination computation of BestScore, card hands and all.
// Gives the same results as BestScore, only slower.
double BestScoreReference(const colHand& hole, const colHand& board);
colHand BestHandReference(const colHand& hole, const colHand& board);

// BestScore of seven card ids (id = 4 * facevalue + suit, 0..51), in any
// order: exactly the Double BestScore gives for those cards. The ids must be
// seven distinct cards; other bytes give some score, never a read outside
// the tables (about 170 KB of constant data). Inline: a caller that rates
// many hands keeps several in flight at once.
inline double EvaluateSeven(const std::uint8_t* ids)
{
    return detail::EvaluateSevenIds(ids);
}

// The best score among all five-card choices of 5..7 cards, for code that
// rates many hands. Equal to BestScore for two hole cards plus five board
// cards in any order. Throws std::invalid_argument for fewer than 5 or more
// than 7 cards.
double BestScoreOfCards(std::span<const clsCard> cards);

} // namespace scrivo
