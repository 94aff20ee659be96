// EvaluateSeven: the best score of seven cards from one sum of per-card keys.
//
// Each card adds a face key and a one to its suit's counter. The face keys
// are chosen so that every pattern of face counts of seven cards has its own
// sum; a displacement table maps the sum to a class number, and the class to
// the score. A suit counter reaching five sends the cards to a second table,
// indexed by the faces of that suit. Both tables are filled from the plain
// five-card rules, so the scores are the plain ones bit for bit.
//
// The fast paths for clsCard values read their cards here too, summing the
// same key as they go.

#include "cards/Evaluator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>
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

// Suit counters: one nibble per suit above the face sum, starting at 3 so
// that the fifth card of a suit sets the nibble's top bit. Seven cards take
// a nibble to 10 at most, and the face sum (below 2^24) never reaches them.
constexpr int SuitShift = 32;
constexpr std::uint64_t SuitStart = std::uint64_t{0x3333} << SuitShift;
constexpr std::uint64_t FlushBits = std::uint64_t{0x8888} << SuitShift;

// Per card id (4 * face + suit), over all 256 byte values: ids that are no
// card add nothing, so any bytes keep every index inside the tables.
constexpr std::array<std::uint64_t, 256> MakeIdKeys()
{
    std::array<std::uint64_t, 256> keys{};
    for (std::uint32_t id = 0; id < 4 * FaceCount; ++id)
        keys[id] = FaceKeys[id / 4] | (std::uint64_t{1} << (SuitShift + 4 * (id % 4)));
    return keys;
}
constexpr std::array<std::uint64_t, 256> IdKeys = MakeIdKeys();

constexpr std::array<std::uint16_t, 256> MakeIdFaceBits()
{
    std::array<std::uint16_t, 256> bits{};
    for (std::uint32_t id = 0; id < 4 * FaceCount; ++id)
        bits[id] = static_cast<std::uint16_t>(1u << (id / 4));
    return bits;
}
constexpr std::array<std::uint16_t, 256> IdFaceBits = MakeIdFaceBits();

// The face sum splits into a row (high bits) and a column (low bits); each
// row is placed at its own start in one shared slot array so that no two
// sums of seven cards share a slot. 512 columns keep rows and slots small
// together (about 80 KB of row starts, 180 KB of slots).
constexpr int RowShift = 9;
constexpr std::uint32_t Columns = 1u << RowShift;
constexpr std::uint32_t MaxFaceSum = 7 * FaceKeys[FaceCount - 1]; // any seven bytes
constexpr std::uint32_t Rows = (MaxFaceSum >> RowShift) + 1;
constexpr std::uint32_t FlushMasks = 1u << FaceCount;

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
    std::vector<std::uint32_t> rowStart = std::vector<std::uint32_t>(Rows, 0);
    std::vector<std::uint16_t> slotClass;
    std::vector<std::uint16_t> flushClass = std::vector<std::uint16_t>(FlushMasks, 0);
    std::vector<double> classScore;

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
        classScore = scores;
        for (double score : flushScores)
            if (score >= 0.0) classScore.push_back(score);
        std::sort(classScore.begin(), classScore.end());
        classScore.erase(std::unique(classScore.begin(), classScore.end()), classScore.end());
        if (classScore.size() >= 0xFFFF) throw std::logic_error("too many hand classes");
        const auto classOf = [&](double score) {
            return static_cast<std::uint16_t>(std::lower_bound(classScore.begin(), classScore.end(), score) -
                                              classScore.begin());
        };
        for (std::uint32_t mask = 0; mask < FlushMasks; ++mask)
            if (flushScores[mask] >= 0.0) flushClass[mask] = classOf(flushScores[mask]);

        PlaceRows(sums, scores, classOf);
    }

    // First fit, fullest rows first: each row goes to the lowest start where
    // its columns meet only free slots.
    template <typename ClassOf>
    void PlaceRows(const std::vector<std::uint32_t>& sums, const std::vector<double>& scores,
                   const ClassOf& classOf)
    {
        std::vector<std::vector<std::size_t>> byRow(Rows);
        for (std::size_t i = 0; i < sums.size(); ++i)
            byRow[sums[i] >> RowShift].push_back(i);
        std::vector<std::uint32_t> order;
        for (std::uint32_t row = 0; row < Rows; ++row)
            if (!byRow[row].empty()) order.push_back(row);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return byRow[a].size() > byRow[b].size(); });

        constexpr std::uint16_t Free = 0xFFFF; // no class reaches it: checked above
        slotClass.assign(Columns, Free);
        std::size_t firstFree = 0;
        std::size_t sameSizeStart = 0; // where the last row of this size went
        std::size_t lastSize = 0;
        for (const std::uint32_t row : order) {
            const auto& members = byRow[row];
            if (members.size() != lastSize) sameSizeStart = 0;
            lastSize = members.size();
            const auto column = [&](std::size_t member) { return sums[member] & (Columns - 1); };
            const std::uint32_t lead = column(members.front());
            // Candidate starts put the row's first column on a free slot. A
            // row goes no lower than the last row of its size: the space
            // below rarely fits, and searching it again made the build slow.
            for (std::size_t slot = std::max({firstFree, std::size_t{lead}, sameSizeStart + lead});; ++slot) {
                if (slot + Columns > slotClass.size()) slotClass.resize(slot + Columns, Free);
                if (slotClass[slot] != Free) continue;
                const std::size_t start = slot - lead;
                const bool fits = std::all_of(members.begin(), members.end(), [&](std::size_t m) {
                    return slotClass[start + column(m)] == Free;
                });
                if (!fits) continue;
                for (const std::size_t m : members) {
                    std::uint16_t& cell = slotClass[start + column(m)];
                    if (cell != Free) throw std::logic_error("two face patterns share a key");
                    cell = classOf(scores[m]);
                }
                rowStart[row] = static_cast<std::uint32_t>(start);
                sameSizeStart = start;
                break;
            }
            while (firstFree < slotClass.size() && slotClass[firstFree] != Free)
                ++firstFree;
        }
        // Slots no seven cards reach stay inside the class table; the last
        // row's columns always have room behind it.
        for (std::uint16_t& cell : slotClass)
            if (cell == Free) cell = 0;
        slotClass.shrink_to_fit();
    }
};

const SevenTables& Tables()
{
    static const SevenTables tables;
    return tables;
}

// Kept out of line: the common case then needs no saved registers.
[[gnu::noinline]] double FlushScore(const SevenTables& t, const std::uint8_t* ids, std::uint64_t key)
{
    // The lowest suit at five or more; seven cards have only one.
    const auto suit = static_cast<std::uint32_t>((std::countr_zero(key & FlushBits) - SuitShift) / 4);
    std::uint32_t mask = 0;
    for (int i = 0; i < 7; ++i)
        mask |= (ids[i] & 3u) == suit ? IdFaceBits[ids[i]] : 0u;
    return t.classScore[t.flushClass[mask]];
}

inline double ScoreKey(std::uint64_t key, const std::uint8_t* ids)
{
    const SevenTables& t = Tables();
    if ((key & FlushBits) != 0) [[unlikely]]
        return FlushScore(t, ids, key);
    const auto faces = static_cast<std::uint32_t>(key);
    return t.classScore[t.slotClass[t.rowStart[faces >> RowShift] + (faces & (Columns - 1))]];
}

// Reads cards into suit masks (suit s in bits 16s..16s+12) and card ids
// (4 * face + suit). Out-of-range values and repeated cards make it refuse
// the cards.
struct CardReader {
    std::uint64_t cards = 0;
    std::uint64_t repeated = 0;
    std::uint64_t range = 0;       // bits above the low four: a value out of range
    std::uint64_t key = SuitStart; // as EvaluateSeven sums it
    std::array<std::uint8_t, 7> ids{};
    std::size_t count = 0;

    void Add(const clsCard& card)
    {
        const auto suit = static_cast<std::uint32_t>(card.suit);
        const auto face = static_cast<std::uint32_t>(card.facevalue);
        range |= (std::uint64_t{face} + 3) | (std::uint64_t{suit} << 2);
        const std::uint32_t index = ((suit & 3) << 4) | (face & 15);
        const std::uint64_t bit = std::uint64_t{1} << index;
        repeated |= cards & bit;
        cards |= bit;
        const auto id = static_cast<std::uint8_t>(((face & 15) << 2) | (suit & 3));
        ids[count++] = id;
        key += IdKeys[id];
    }

    bool Refused() const { return ((range & ~std::uint64_t{15}) | repeated) != 0; }
};

} // namespace

double EvaluateSeven(const std::uint8_t* ids)
{
    const std::uint64_t key = ((SuitStart + IdKeys[ids[0]]) + (IdKeys[ids[1]] + IdKeys[ids[2]])) +
                              ((IdKeys[ids[3]] + IdKeys[ids[4]]) + (IdKeys[ids[5]] + IdKeys[ids[6]]));
    return ScoreKey(key, ids);
}

namespace detail {

bool FastBestScore(const clsCard* cards, int count, double& score)
{
    if (count < 5 || count > 7) return false;
    CardReader reader;
    for (int i = 0; i < count; ++i)
        reader.Add(cards[i]);
    if (reader.Refused()) return false;
    score = count == 7 ? ScoreKey(reader.key, reader.ids.data()) : ScoreOfSuitMasks(reader.cards);
    return true;
}

bool FastBestScore7(const clsCard* hole, const clsCard* board, double& score)
{
    CardReader reader;
    reader.Add(hole[0]);
    reader.Add(hole[1]);
    for (int i = 0; i < 5; ++i)
        reader.Add(board[i]);
    if (reader.Refused()) return false;
    score = ScoreKey(reader.key, reader.ids.data());
    return true;
}

} // namespace detail

} // namespace scrivo
