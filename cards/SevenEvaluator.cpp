// The seven-card paths on the tables of cards/SevenTables.h: the flush case
// of EvaluateSeven, and the fast paths for clsCard values, which turn their
// cards into the same key.

#include "cards/Evaluator.h"

#include <array>
#include <bit>
#include <cstdint>

#include "cards/FastEvaluator.h"

namespace scrivo {

namespace {

static_assert(detail::SevenFaceCount == FaceCount);
constexpr std::uint64_t SuitStart = detail::SevenSuitStart;
constexpr std::uint64_t FlushBits = detail::SevenFlushBits;
constexpr auto& IdKeys = detail::SevenIdKeys;

// Cards as one bit each at 4 * face + suit. The flush is in the suit whose
// counter reached five; seven cards have only one such suit.
[[gnu::noinline]] double FlushScore(std::uint64_t cards, std::uint64_t key)
{
    const auto suit = static_cast<unsigned>(std::countr_zero(key & FlushBits) / 4);
    std::uint32_t mask = 0;
    for (unsigned face = 0; face < FaceCount; ++face)
        mask |= static_cast<std::uint32_t>((cards >> (4 * face + suit)) & 1) << face;
    const detail::SevenTableData& t = detail::SevenTables;
    return t.classScore[t.flushClass[mask]];
}

inline double ScoreOfKey(std::uint64_t key, std::uint64_t cards)
{
    if ((key & FlushBits) != 0) [[unlikely]]
        return FlushScore(cards, key);
    return detail::SevenScoreOfFaces(key);
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

// Per card id over all 256 byte values, the card's face as a bit in its
// suit's 16 bits; ids that are no card give nothing.
constexpr std::array<std::uint64_t, 256> MakeIdSuitFaceBits()
{
    std::array<std::uint64_t, 256> bits{};
    for (std::uint32_t id = 0; id < 4 * FaceCount; ++id)
        bits[id] = std::uint64_t{1} << (16 * (id % 4) + id / 4);
    return bits;
}
constexpr std::array<std::uint64_t, 256> IdSuitFaceBits = MakeIdSuitFaceBits();

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

namespace detail {

[[gnu::noinline]] double SevenFlushScoreOfIds(const std::uint8_t* ids, std::uint64_t key)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < 7; ++i)
        bits |= IdSuitFaceBits[ids[i]];
    const auto suit = static_cast<unsigned>(std::countr_zero(key & FlushBits) / 4);
    const auto mask = static_cast<std::uint32_t>(bits >> (16 * suit)) & (SevenFlushMasks - 1);
    return SevenTables.classScore[SevenTables.flushClass[mask]];
}

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
