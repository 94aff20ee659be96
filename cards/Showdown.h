#pragma once

#include <string>

#include "cards/Evaluator.h"
#include "cards/Hand.h"

namespace scrivo {

class Language;

// What the showdown needs of one player.
struct ShowdownResult {
    double Score = 0.0;      // BestScore: greater wins, equal ties; keep full precision
    std::string Description; // DescribeHand of the best hand
    std::string BestCards;   // the best five cards as a card list, in sorted order
};

// hole: the two hole cards (positions 1, 2); board: the five board cards.
// Neither is changed. Throws CollectionError when cards are missing.
ShowdownResult EvaluateShowdown(const colHand& hole, const colHand& board, const Language& language);

// Words for a hand ("One Pair (Kings)"); hand is the sorted five-card hand
// that rank was computed from, in the language's face names. Unknown categories give empty text.
std::string DescribeHand(const HandRank& rank, const colHand& hand, const Language& language);

} // namespace scrivo
