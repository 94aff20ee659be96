#pragma once

// Internals of the evaluator shared by the plain and the fast paths. Not for
// use outside cards/ and its tests.

#include <array>
#include <cstdint>

#include "cards/Card.h"
#include "cards/Evaluator.h"

namespace scrivo::detail {

// Category * 10000 + HighCard * 100, then each face value of the scoring
// order added with its weight, highest first. The additions run one by one
// in this order so that every path gets the same Double bit for bit.
inline double ScoreFromFaces(std::int32_t base, std::int32_t g5, std::int32_t g4, std::int32_t g3,
                             std::int32_t g2, std::int32_t g1)
{
    double score = static_cast<double>(base);
    score = score + 1.0 * g5;
    score = score + 0.01 * g4;
    score = score + 0.0001 * g3;
    score = score + 0.000001 * g2;
    score = score + 0.00000001 * g1;
    return score;
}

// Classification and score of five cards sorted ascending by face value
// (f: face values, s: suits, position 1 first).
HandRank RankSortedFive(const std::array<std::int32_t, 5>& f, const std::array<std::int32_t, 5>& s);
double ScoreSortedFive(const HandRank& rank, const std::array<std::int32_t, 5>& f);

// The best score of five to seven cards given as 13-bit face masks, suit s
// in bits 16s..16s+12. Worked out from the masks, without tables.
double ScoreOfSuitMasks(std::uint64_t cards);

// The best score of 5..7 distinct cards with suits 0..3 and face values
// 0..12, without building hands. False (score untouched) when a card is out
// of range or appears twice: such input goes the plain way.
bool FastBestScore(const clsCard* cards, int count, double& score);
// Two hole cards and five board cards, on the tables of EvaluateSeven.
bool FastBestScore7(const clsCard* hole, const clsCard* board, double& score);

} // namespace scrivo::detail
