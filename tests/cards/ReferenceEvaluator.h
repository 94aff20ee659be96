#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "cards/Card.h"
#include "cards/Evaluator.h"

namespace scrivo::cardstest {

// A plain transcription of the 21-combination evaluator on arrays: sort each
// combination with single-precision keys, classify it with the nine pattern
// tests in order, add the face values with powers of ten. Kept apart from
// the program's code so that the program's fast and plain paths are both
// checked against it, and cheap enough to run a million hands in a test.
using Five = std::array<clsCard, 5>;

Five SortedFive(const Five& cards);
HandRank RankFive(const Five& sorted);
double ScoreFive(const HandRank& rank, const Five& sorted);
double ScoreOfFive(const Five& cards); // sort, rank, score

// The plain five-card score of every five-card hand, worked out once with
// ScoreOfFive, so that the 21-combination loop can be run on a million
// seven-card hands in little time even in sanitizer builds.
class FiveCardScores {
public:
    FiveCardScores();
    // Five distinct cards with suit 0..3 and face value 0..12, any order.
    double Score(const Five& cards) const;
    // Calls visit(cards, score) for every five-card hand.
    template <typename Visit> void ForEach(Visit&& visit) const;

private:
    static std::size_t IndexOf(const Five& cards);
    std::vector<double> m_scores;
};

template <typename Visit> void FiveCardScores::ForEach(Visit&& visit) const
{
    Five five;
    for (int a = 0; a < 52; ++a)
        for (int b = a + 1; b < 52; ++b)
            for (int c = b + 1; c < 52; ++c)
                for (int d = c + 1; d < 52; ++d)
                    for (int e = d + 1; e < 52; ++e) {
                        const int codes[5] = {a, b, c, d, e};
                        for (int i = 0; i < 5; ++i)
                            five[i] = clsCard(codes[i] / 13, codes[i] % 13);
                        visit(five, m_scores[IndexOf(five)]);
                    }
}

struct ReferenceBest {
    double score = -1.0;
    int k = 0; // first combination reaching the score
};
// hole: two cards, board: five cards.
// With scores, the five-card scores are looked up there instead of worked out.
ReferenceBest BestOfSeven(const std::array<clsCard, 2>& hole, const std::array<clsCard, 5>& board,
                          const FiveCardScores* scores = nullptr);

} // namespace scrivo::cardstest
