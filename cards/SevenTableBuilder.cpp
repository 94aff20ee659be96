// The tables of EvaluateSeven, made from the plain five-card rules: every
// pattern of face counts of seven cards and every flush is scored by trying
// each choice of five cards; the distinct scores in ascending order are the
// classes, and the face patterns are packed row by row into one array.

#include "cards/SevenTableBuilder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "cards/FastEvaluator.h"

namespace scrivo::detail {

namespace {

constexpr int FaceCount = SevenFaceCount;
constexpr auto& FaceKeys = SevenFaceKeys;
constexpr std::uint32_t Scramble = SevenScramble;
constexpr std::uint32_t FaceMask = SevenFaceMask;
constexpr int ColumnBits = SevenColumnBits;
constexpr std::uint32_t Columns = SevenColumns;
constexpr std::uint32_t Rows = SevenRows;
constexpr std::size_t SlotCount = SevenSlotCount;
constexpr std::uint32_t FlushMasks = SevenFlushMasks;
constexpr std::size_t MaxClasses = SevenMaxClasses;

// The best plain score of 5..7 cards sorted ascending by face value: every
// choice of five, scored by the five-card rules, the greatest kept.
double BestOfSorted(const std::array<std::int32_t, 7>& faces, const std::array<std::int32_t, 7>& suits,
                    std::size_t count)
{
    double best = -1.0;
    std::array<std::size_t, 5> at{};
    const auto choose = [&](auto&& self, std::size_t depth, std::size_t from) -> void {
        if (depth == 5) {
            std::array<std::int32_t, 5> f{}, s{};
            for (std::size_t i = 0; i < 5; ++i) {
                f[i] = faces[at[i]];
                s[i] = suits[at[i]];
            }
            const double score = ScoreSortedFive(RankSortedFive(f, s), f);
            if (best == -1.0 || score > best) best = score;
            return;
        }
        for (std::size_t i = from; i + (5 - depth) <= count; ++i) {
            at[depth] = i;
            self(self, depth + 1, i + 1);
        }
    };
    choose(choose, 0, 0);
    return best;
}

// Fills the tables: the class of every pattern of face counts of seven
// cards, of every flush, and the score of every class.
class Builder {
public:
    explicit Builder(SevenTableData& out)
        : rowStart(out.rowStart), slotClass(out.slotClass), flushClass(out.flushClass),
          classScore(out.classScore)
    {
    }

    void Build()
    {
        // Every pattern of face counts of seven cards with its score. Card n
        // of the sorted seven takes suit n mod 4: copies of a face differ in
        // suit, and no suit gets more than two cards, so no flush arises.
        std::vector<std::uint32_t> sums;
        std::vector<double> scores;
        std::array<int, FaceCount> counts{};
        const auto visit = [&](auto&& self, int face, int left) -> void {
            if (face == FaceCount) {
                if (left != 0) return;
                std::array<std::int32_t, 7> f{}, s{};
                std::uint32_t sum = 0;
                std::size_t n = 0;
                for (int v = 0; v < FaceCount; ++v)
                    for (int c = 0; c < counts[static_cast<std::size_t>(v)]; ++c, ++n) {
                        f[n] = v;
                        s[n] = static_cast<std::int32_t>(n % 4);
                        sum += FaceKeys[static_cast<std::size_t>(v)];
                    }
                sums.push_back(sum);
                scores.push_back(BestOfSorted(f, s, 7));
                return;
            }
            for (int c = 0; c <= std::min(4, left); ++c) {
                counts[static_cast<std::size_t>(face)] = c;
                self(self, face + 1, left - c);
            }
            counts[static_cast<std::size_t>(face)] = 0;
        };
        visit(visit, 0, 7);

        // Five to seven cards of one suit: nothing else among seven cards
        // can beat their flush (four of a kind or a full house would need
        // more cards of other suits), so their faces alone decide.
        std::vector<double> flushScores(FlushMasks, -1.0);
        for (std::uint32_t mask = 0; mask < FlushMasks; ++mask) {
            const int count = std::popcount(mask);
            if (count < 5 || count > 7) continue;
            std::array<std::int32_t, 7> f{}, s{};
            std::size_t n = 0;
            for (int v = 0; v < FaceCount; ++v)
                if (mask & (1u << v)) f[n++] = v;
            flushScores[mask] = BestOfSorted(f, s, static_cast<std::size_t>(count));
        }

        // Class numbers: the distinct scores in ascending order.
        std::vector<double> distinct = scores;
        for (double score : flushScores)
            if (score >= 0.0) distinct.push_back(score);
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        if (distinct.size() > MaxClasses) throw std::logic_error("too many hand classes");
        std::copy(distinct.begin(), distinct.end(), classScore.begin());
        const auto classOf = [&](double score) {
            return static_cast<std::uint16_t>(std::lower_bound(distinct.begin(), distinct.end(), score) -
                                              distinct.begin());
        };
        for (std::uint32_t mask = 0; mask < FlushMasks; ++mask)
            if (flushScores[mask] >= 0.0) flushClass[mask] = classOf(flushScores[mask]);

        std::vector<std::uint32_t> faceParts;
        std::vector<std::uint16_t> classes;
        for (std::size_t i = 0; i < sums.size(); ++i) {
            faceParts.push_back((sums[i] * Scramble) & FaceMask);
            classes.push_back(classOf(scores[i]));
        }
        PlaceRows(faceParts, classes);
    }

private:
    std::array<std::uint16_t, Rows>& rowStart;
    std::array<std::uint16_t, SlotCount>& slotClass;
    std::array<std::uint16_t, FlushMasks>& flushClass;
    std::array<double, MaxClasses>& classScore;

    // First fit, fullest rows first: each row goes to the lowest start where
    // its columns meet only free slots or slots of the same class.
    void PlaceRows(const std::vector<std::uint32_t>& faceParts, const std::vector<std::uint16_t>& classes)
    {
        struct Cell {
            std::uint32_t column;
            std::uint16_t klass;
        };
        std::vector<std::vector<Cell>> byRow(Rows);
        for (std::size_t i = 0; i < faceParts.size(); ++i)
            byRow[faceParts[i] >> ColumnBits].push_back({faceParts[i] & (Columns - 1), classes[i]});
        std::vector<std::uint32_t> order;
        for (std::uint32_t row = 0; row < Rows; ++row) {
            auto& cells = byRow[row];
            if (cells.empty()) continue;
            std::sort(cells.begin(), cells.end(),
                      [](const Cell& x, const Cell& y) { return x.column < y.column; });
            for (std::size_t i = 1; i < cells.size(); ++i)
                if (cells[i].column == cells[i - 1].column)
                    throw std::logic_error("two face patterns share a key");
            order.push_back(row);
        }
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t x, std::uint32_t y) { return byRow[x].size() > byRow[y].size(); });

        constexpr std::uint16_t Free = 0xFFFF; // no class reaches it: checked above
        std::vector<std::uint16_t> slots(SlotCount, Free);
        // nextFree[p]: the first free slot at or above p, once followed to
        // its end (paths are shortened as they are followed).
        std::vector<std::uint32_t> nextFree(SlotCount + 1);
        for (std::uint32_t p = 0; p <= SlotCount; ++p)
            nextFree[p] = p;
        const auto findFree = [&](std::uint32_t p) {
            std::uint32_t end = p;
            while (nextFree[end] != end)
                end = nextFree[end];
            while (nextFree[p] != end)
                p = std::exchange(nextFree[p], end);
            return end;
        };
        for (const std::uint32_t row : order) {
            const std::vector<Cell>& cells = byRow[row];
            const std::uint32_t low = cells.front().column;
            // Candidate starts put the lowest column on a free slot.
            for (std::uint32_t slot = findFree(low);; slot = findFree(slot + 1)) {
                const std::size_t start = slot - low;
                if (start + Columns > SlotCount) throw std::logic_error("hand classes overflow their table");
                const std::uint16_t* at = &slots[start];
                const bool fits = std::all_of(cells.begin() + 1, cells.end(), [&](const Cell& cell) {
                    return at[cell.column] == Free || at[cell.column] == cell.klass;
                });
                if (!fits) continue;
                for (const Cell& cell : cells) {
                    slots[start + cell.column] = cell.klass;
                    nextFree[start + cell.column] = static_cast<std::uint32_t>(start + cell.column + 1);
                }
                rowStart[row] = static_cast<std::uint16_t>(start);
                break;
            }
        }
        // Slots no seven cards reach (rows no pattern uses start at 0) hold
        // class 0: any key still reads inside the tables.
        for (std::size_t i = 0; i < SlotCount; ++i)
            slotClass[i] = slots[i] == Free ? 0 : slots[i];
    }
};

} // namespace

std::unique_ptr<SevenTableData> BuildSevenTables()
{
    auto tables = std::make_unique<SevenTableData>();
    Builder(*tables).Build();
    return tables;
}

} // namespace scrivo::detail
