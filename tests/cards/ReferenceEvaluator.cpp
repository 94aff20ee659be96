#include "tests/cards/ReferenceEvaluator.h"

#include <algorithm>
#include <cmath>

namespace scrivo::cardstest {

Five SortedFive(const Five& cards)
{
    std::array<float, 5> key{};
    std::array<bool, 5> taken{};
    for (int i = 0; i < 5; ++i)
        key[i] = static_cast<float>(cards[i].facevalue + cards[i].suit / 10.0);
    Five descending;
    for (int round = 0; round < 5; ++round) {
        int pick = -1;
        for (int i = 0; i < 5; ++i) {
            if (taken[i]) continue;
            if (pick < 0 || key[i] > key[pick]) pick = i;
        }
        taken[pick] = true;
        descending[round] = clsCard(cards[pick].suit, cards[pick].facevalue);
    }
    Five ascending;
    for (int i = 0; i < 5; ++i)
        ascending[i] = descending[4 - i];
    return ascending;
}

HandRank RankFive(const Five& h)
{
    const int f1 = h[0].facevalue, f2 = h[1].facevalue, f3 = h[2].facevalue, f4 = h[3].facevalue,
              f5 = h[4].facevalue;
    const int s1 = h[0].suit;
    HandRank r{0, f5};
    const bool flush = h[1].suit == s1 && h[2].suit == s1 && h[3].suit == s1 && h[4].suit == s1;
    const bool straight =
        f1 + 1 == f2 && f2 + 1 == f3 && f3 + 1 == f4 && (f4 + 1 == f5 || (f1 == 0 && f5 == 12));
    if (flush && straight) {
        r.Category = 8;
        if (f1 == 0 && f5 == 12) r.HighCard = f4;
    } else if ((f1 == f2 && f2 == f3 && f3 == f4) || (f2 == f3 && f3 == f4 && f4 == f5)) {
        r.Category = 7;
        r.HighCard = f4 == f5 ? f5 : f4;
    } else if ((f1 == f2 && f2 == f3 && f4 == f5) || (f1 == f2 && f3 == f4 && f4 == f5)) {
        r.Category = 6;
        r.HighCard = f3;
    } else if (flush) {
        r.Category = 5;
    } else if (straight) {
        r.Category = 4;
        if (f1 == 0 && f5 == 12) r.HighCard = f4;
    } else if ((f1 == f2 && f2 == f3) || (f2 == f3 && f3 == f4) || (f3 == f4 && f4 == f5)) {
        r.Category = 3;
        r.HighCard = f1 == f2 ? f3 : (f4 == f5 ? f5 : f4);
    } else if ((f1 == f2 && f3 == f4) || (f1 == f2 && f4 == f5) || (f2 == f3 && f4 == f5)) {
        r.Category = 2;
        r.HighCard = (f1 == f2 && f3 == f4) ? f4 : f5;
    } else if (f1 == f2 || f2 == f3 || f3 == f4 || f4 == f5) {
        r.Category = 1;
        r.HighCard = f1 == f2 ? f2 : (f2 == f3 ? f3 : (f3 == f4 ? f4 : f5));
    }
    return r;
}

double ScoreFive(const HandRank& rank, const Five& h)
{
    static const std::array<double, 6> weight = [] {
        std::array<double, 6> w{};
        for (int i = 1; i <= 5; ++i)
            w[i] = std::pow(10.0, 2 * (i - 5));
        return w;
    }();
    std::array<int, 6> g{}; // g[1..5]
    for (int i = 1; i <= 5; ++i)
        g[i] = h[i - 1].facevalue;
    if (rank.Category == 2) {
        int high1, high2, low1, low2, fifth;
        if (g[1] == g[2] && g[3] == g[4]) {
            high1 = g[3];
            high2 = g[4];
            low1 = g[1];
            low2 = g[2];
            fifth = g[5];
        } else if (g[1] == g[2] && g[4] == g[5]) {
            high1 = g[4];
            high2 = g[5];
            low1 = g[1];
            low2 = g[2];
            fifth = g[3];
        } else {
            high1 = g[4];
            high2 = g[5];
            low1 = g[2];
            low2 = g[3];
            fifth = g[1];
        }
        g = {0, fifth, low2, low1, high2, high1};
    }
    double score = rank.Category * 10000 + rank.HighCard * 100;
    for (int i = 5; i >= 1; --i)
        score = score + weight[i] * g[i];
    return score;
}

double ScoreOfFive(const Five& cards)
{
    const Five sorted = SortedFive(cards);
    return ScoreFive(RankFive(sorted), sorted);
}

namespace {

// Binomial coefficients C(n, k) for n < 52, k <= 5.
const std::array<std::array<std::size_t, 6>, 52>& Binomials()
{
    static const auto table = [] {
        std::array<std::array<std::size_t, 6>, 52> c{};
        for (std::size_t n = 0; n < 52; ++n) {
            c[n][0] = 1;
            for (std::size_t k = 1; k <= 5; ++k)
                c[n][k] = n == 0 ? 0 : c[n - 1][k - 1] + c[n - 1][k];
        }
        return c;
    }();
    return table;
}

} // namespace

std::size_t FiveCardScores::IndexOf(const Five& cards)
{
    std::array<int, 5> codes{};
    for (int i = 0; i < 5; ++i)
        codes[i] = cards[i].suit * 13 + cards[i].facevalue;
    std::sort(codes.begin(), codes.end());
    const auto& c = Binomials();
    std::size_t index = 0;
    for (std::size_t i = 0; i < 5; ++i)
        index += c[static_cast<std::size_t>(codes[i])][i + 1];
    return index;
}

FiveCardScores::FiveCardScores() : m_scores(2598960)
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
                        m_scores[IndexOf(five)] = ScoreOfFive(five);
                    }
}

double FiveCardScores::Score(const Five& cards) const
{
    return m_scores[IndexOf(cards)];
}

ReferenceBest BestOfSeven(const std::array<clsCard, 2>& hole, const std::array<clsCard, 5>& board,
                          const FiveCardScores* scores)
{
    // The rows as written: H1, H2, B1..B5.
    static const char* const rows[21] = {
        "B1 B2 B3 B4 B5", "H2 B2 B3 B4 B5", "H2 B1 B3 B4 B5", "H2 B1 B2 B4 B5", "H2 B1 B2 B3 B5",
        "H2 B1 B2 B3 B4", "H1 B2 B3 B4 B5", "H1 B1 B3 B4 B5", "H1 B1 B2 B4 B5", "H1 B1 B2 B3 B5",
        "H1 B1 B2 B3 B4", "H1 H2 B3 B4 B5", "H1 H2 B2 B4 B5", "H1 H2 B2 B3 B5", "H1 H2 B2 B3 B4",
        "H1 H2 B1 B4 B5", "H1 H2 B1 B3 B5", "H1 H2 B1 B3 B4", "H1 H2 B1 B2 B5", "H1 H2 B1 B2 B4",
        "H1 H2 B1 B2 B3"};
    ReferenceBest best;
    for (int k = 1; k <= 21; ++k) {
        Five cards;
        const char* row = rows[k - 1];
        for (int i = 0; i < 5; ++i) {
            const char kind = row[3 * i];
            const int n = row[3 * i + 1] - '0';
            cards[i] = kind == 'H' ? hole[n - 1] : board[n - 1];
        }
        const double score = scores ? scores->Score(cards) : ScoreOfFive(cards);
        if (best.score == -1.0 || score > best.score) {
            best.score = score;
            best.k = k;
        }
    }
    return best;
}

} // namespace scrivo::cardstest
