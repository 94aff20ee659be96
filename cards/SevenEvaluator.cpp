// EvaluateSeven: the best score of seven cards from one sum of per-card keys.
//
// Each card adds a face key and a one to its suit's counter. The face keys
// are chosen so that every pattern of face counts of seven cards has its own
// sum; the keys are stored premultiplied by an odd constant, so the top bits
// of the total are that sum scrambled (a one-to-one map, as the sums stay
// below 2^23). Those bits split into a row and a column; a small table of
// row starts places every row in one array of class numbers, and a class
// gives the score. A suit counter reaching five sends the cards to a second
// table, indexed by the faces of that suit. Both tables are filled from the
// plain five-card rules, so the scores are the plain ones bit for bit.
//
// The fast paths for clsCard values turn their cards into the same key.

#include "cards/Evaluator.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "cards/FastEvaluator.h"

namespace scrivo {

namespace {

// Face keys, two up to ace: each is the smallest number above the one
// before such that every choice of at most seven faces (each at most four
// times) has a sum of its own. A greedy search found them; the table build
// below checks the property again for seven cards.
constexpr std::array<std::uint32_t, FaceCount> FaceKeys = {0,    1,     5,      24,     112,    521,    2247,
                                                           9244, 30823, 103066, 250154, 667453, 1526359};

// Suit counters: one nibble per suit at the bottom of the key, starting at
// 3 so that the fifth card of a suit sets the nibble's top bit. Seven cards
// take a nibble to 10 at most, so nothing carries into the face part.
constexpr std::uint64_t SuitStart = 0x3333;
constexpr std::uint64_t FlushBits = 0x8888;

// The face part: the top 23 bits hold the face sum times Scramble, modulo
// 2^23 (the additions wrap at 2^64, which is that modulo). The scrambled
// sums spread evenly over the rows, so that rows pack densely; this odd
// multiplier was picked by trying many for the smallest class array.
constexpr int FaceBits = 23;
constexpr int FaceShift = 64 - FaceBits;
constexpr std::uint32_t FaceMask = (1u << FaceBits) - 1;
constexpr std::uint32_t Scramble = 8165863;
constexpr int ColumnBits = 10;
constexpr std::uint32_t Columns = 1u << ColumnBits;
constexpr std::uint32_t Rows = 1u << (FaceBits - ColumnBits);
constexpr std::size_t SlotCount = 49 * Columns; // the packed rows need 49872
constexpr std::uint32_t FlushMasks = 1u << FaceCount;
constexpr std::size_t MaxClasses = 4864; // seven cards make 4824

constexpr std::uint64_t FaceKeyOf(std::uint32_t face)
{
    return std::uint64_t{(FaceKeys[face] * Scramble) & FaceMask} << FaceShift;
}

// Per card id (4 * face + suit), over all 256 byte values: ids that are no
// card add nothing, so any bytes keep every index inside the tables.
constexpr std::array<std::uint64_t, 256> MakeIdKeys()
{
    std::array<std::uint64_t, 256> keys{};
    for (std::uint32_t id = 0; id < 4 * FaceCount; ++id)
        keys[id] = FaceKeyOf(id / 4) | (std::uint64_t{1} << (4 * (id % 4)));
    return keys;
}
constexpr std::array<std::uint64_t, 256> IdKeys = MakeIdKeys();

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
            const double score = detail::ScoreSortedFive(detail::RankSortedFive(f, s), f);
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

struct SevenTables {
    // Fixed arrays inside one object: a lookup needs no pointer loads.
    std::array<std::uint16_t, Rows> rowStart{};
    std::array<std::uint16_t, SlotCount> slotClass{};
    std::array<std::uint16_t, FlushMasks> flushClass{};
    std::array<double, MaxClasses> classScore{};

    SevenTables()
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

// Set once the tables are made. The hot paths test it instead of a guarded
// static, so that building the tables stays out of their code: they keep no
// values across a call and save no registers.
std::atomic<const SevenTables*> ready{nullptr};

[[gnu::noinline, gnu::cold]] const SevenTables& MakeTables()
{
    static const SevenTables tables;
    ready.store(&tables, std::memory_order_release);
    return tables;
}

inline const SevenTables* ReadyTables()
{
    return ready.load(std::memory_order_acquire);
}

inline const SevenTables& Tables()
{
    const SevenTables* t = ReadyTables();
    return t != nullptr ? *t : MakeTables();
}

// Cards as one bit each at 4 * face + suit. The flush is in the suit whose
// counter reached five; seven cards have only one such suit.
[[gnu::noinline]] double FlushScore(std::uint64_t cards, std::uint64_t key)
{
    const auto suit = static_cast<unsigned>(std::countr_zero(key & FlushBits) / 4);
    std::uint32_t mask = 0;
    for (unsigned face = 0; face < FaceCount; ++face)
        mask |= static_cast<std::uint32_t>((cards >> (4 * face + suit)) & 1) << face;
    const SevenTables& t = Tables();
    return t.classScore[t.flushClass[mask]];
}

[[gnu::noinline]] double FlushScoreOfIds(const std::uint8_t* ids, std::uint64_t key)
{
    std::uint64_t cards = 0;
    for (int i = 0; i < 7; ++i)
        cards |= ids[i] < 4 * FaceCount ? std::uint64_t{1} << ids[i] : 0;
    return FlushScore(cards, key);
}

inline double ScoreOfFaces(const SevenTables& t, std::uint64_t key)
{
    const auto row = static_cast<std::uint32_t>(key >> (FaceShift + ColumnBits));
    const auto column = static_cast<std::uint32_t>(key >> FaceShift) & (Columns - 1);
    return t.classScore[t.slotClass[t.rowStart[row] + column]];
}

inline double ScoreOfKey(std::uint64_t key, std::uint64_t cards)
{
    const SevenTables* t = ReadyTables();
    if (t == nullptr || (key & FlushBits) != 0) [[unlikely]]
        return (key & FlushBits) != 0 ? FlushScore(cards, key) : ScoreOfFaces(MakeTables(), key);
    return ScoreOfFaces(*t, key);
}

// Five or six cards: read into suit masks (suit s in bits 16s..16s+12).
// Out-of-range values and repeated cards make it refuse the cards.
bool ScoreOfFewCards(const clsCard* cards, int count, double& score)
{
    std::uint64_t masks = 0, repeated = 0, range = 0;
    for (int i = 0; i < count; ++i) {
        const auto suit = static_cast<std::uint32_t>(cards[i].suit);
        const auto face = static_cast<std::uint32_t>(cards[i].facevalue);
        range |= (std::uint64_t{face} + 3) | (std::uint64_t{suit} + 12);
        const std::uint64_t bit = std::uint64_t{1} << (((suit & 3) << 4) | (face & 15));
        repeated |= masks & bit;
        masks |= bit;
    }
    if (range > 15 || repeated != 0) return false;
    score = detail::ScoreOfSuitMasks(masks);
    return true;
}

constexpr std::array<std::uint64_t, 64> MakeIdBits()
{
    std::array<std::uint64_t, 64> bits{};
    for (std::uint32_t id = 0; id < 4 * FaceCount; ++id)
        bits[id] = std::uint64_t{1} << id;
    return bits;
}
constexpr std::array<std::uint64_t, 64> IdBits = MakeIdBits();

// Seven cards: the key and a bit per card (at its id), both as an or and as
// a sum, which differ when a card comes twice. A face above 12 or a suit
// above 3 (negatives read as huge unsigned) sets a bit above the low six of
// range.
struct SevenReader {
    std::uint64_t key = SuitStart;
    std::uint64_t cards = 0;
    std::uint64_t cardSum = 0;
    std::uint64_t range = 0;

    void Add(const clsCard& card)
    {
        const std::uint64_t suit = static_cast<std::uint32_t>(card.suit);
        const std::uint64_t id = 4 * std::uint64_t{static_cast<std::uint32_t>(card.facevalue)} + suit;
        range |= (id + 12) | (suit + 60);
        const std::uint64_t bit = IdBits[id & 63];
        cards |= bit;
        cardSum += bit;
        key += IdKeys[id & 63];
    }

    // Any key reads inside the tables, so the score is looked up before the
    // check: the key is then summed as the cards are read, not held back.
    bool Score(double& score) const
    {
        const double result = ScoreOfKey(key, cards);
        if ((range > 63) | (cards != cardSum)) return false;
        score = result;
        return true;
    }
};

} // namespace

double EvaluateSeven(const std::uint8_t* ids)
{
    const std::uint64_t key = ((SuitStart + IdKeys[ids[0]]) + (IdKeys[ids[1]] + IdKeys[ids[2]])) +
                              ((IdKeys[ids[3]] + IdKeys[ids[4]]) + (IdKeys[ids[5]] + IdKeys[ids[6]]));
    const SevenTables* t = ReadyTables();
    if (t == nullptr || (key & FlushBits) != 0) [[unlikely]]
        return (key & FlushBits) != 0 ? FlushScoreOfIds(ids, key) : ScoreOfFaces(MakeTables(), key);
    return ScoreOfFaces(*t, key);
}

namespace detail {

bool FastBestScore(const clsCard* cards, int count, double& score)
{
    if (count == 7) {
        SevenReader reader;
#pragma GCC unroll 1
        for (int i = 0; i < 7; ++i)
            reader.Add(cards[i]);
        return reader.Score(score);
    }
    if (count < 5 || count > 7) return false;
    return ScoreOfFewCards(cards, count, score);
}

bool FastBestScore7(const clsCard* hole, const clsCard* board, double& score)
{
    SevenReader reader;
    reader.Add(hole[0]);
    reader.Add(hole[1]);
    // Rolled up on purpose (here and above): unrolled, the compiler
    // interleaves the cards and runs out of registers.
#pragma GCC unroll 1
    for (int i = 0; i < 5; ++i)
        reader.Add(board[i]);
    return reader.Score(score);
}

} // namespace detail

} // namespace scrivo
