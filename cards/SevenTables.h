#pragma once

// The tables behind EvaluateSeven and the inline lookup on them. Not for use
// outside cards/ and its tests; callers use EvaluateSeven from Evaluator.h.
//
// Each card adds a face key and a one to its suit's counter. The face keys
// are chosen so that every pattern of face counts of seven cards has its own
// sum; the keys are stored premultiplied by an odd constant, so the top bits
// of the total are that sum scrambled (a one-to-one map, as the sums stay
// below 2^23). Those bits split into a row and a column; a small table of
// row starts places every row in one array of class numbers, and a class
// gives the score. A suit counter reaching five sends the cards to a second
// table, indexed by the faces of that suit. The tables are made from the
// plain five-card rules when the program is built (cards/MakeSevenTables),
// so the scores are the plain ones bit for bit and nothing is made at run
// time.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace scrivo::detail {

inline constexpr int SevenFaceCount = 13;

// Face keys, two up to ace: each is the smallest number above the one
// before such that every choice of at most seven faces (each at most four
// times) has a sum of its own. A greedy search found them; the table build
// checks the property again for seven cards.
inline constexpr std::array<std::uint32_t, SevenFaceCount> SevenFaceKeys = {
    0, 1, 5, 24, 112, 521, 2247, 9244, 30823, 103066, 250154, 667453, 1526359};

// Suit counters: one nibble per suit at the bottom of the key, starting at
// 3 so that the fifth card of a suit sets the nibble's top bit. Seven cards
// take a nibble to 10 at most, so nothing carries into the face part.
inline constexpr std::uint64_t SevenSuitStart = 0x3333;
inline constexpr std::uint64_t SevenFlushBits = 0x8888;

// The face part: the top 23 bits hold the face sum times the scramble,
// modulo 2^23 (the additions wrap at 2^64, which is that modulo). The
// scrambled sums spread evenly over the rows, so that rows pack densely;
// this odd multiplier was picked by trying many for the smallest class array.
inline constexpr int SevenFaceBits = 23;
inline constexpr int SevenFaceShift = 64 - SevenFaceBits;
inline constexpr std::uint32_t SevenFaceMask = (1u << SevenFaceBits) - 1;
inline constexpr std::uint32_t SevenScramble = 8165863;
inline constexpr int SevenColumnBits = 10;
inline constexpr std::uint32_t SevenColumns = 1u << SevenColumnBits;
inline constexpr std::uint32_t SevenRows = 1u << (SevenFaceBits - SevenColumnBits);
inline constexpr std::size_t SevenSlotCount = 49 * SevenColumns; // the packed rows need 49872
inline constexpr std::uint32_t SevenFlushMasks = 1u << SevenFaceCount;
inline constexpr std::size_t SevenMaxClasses = 4864; // seven cards make 4824

constexpr std::uint64_t SevenFaceKeyOf(std::uint32_t face)
{
    return std::uint64_t{(SevenFaceKeys[face] * SevenScramble) & SevenFaceMask} << SevenFaceShift;
}

// Per card id (4 * face + suit), over all 256 byte values: ids that are no
// card add nothing, so any bytes keep every index inside the tables.
constexpr std::array<std::uint64_t, 256> MakeSevenIdKeys()
{
    std::array<std::uint64_t, 256> keys{};
    for (std::uint32_t id = 0; id < 4 * SevenFaceCount; ++id)
        keys[id] = SevenFaceKeyOf(id / 4) | (std::uint64_t{1} << (4 * (id % 4)));
    return keys;
}
inline constexpr std::array<std::uint64_t, 256> SevenIdKeys = MakeSevenIdKeys();

// Fixed arrays inside one object: one base address reaches them all.
struct SevenTableData {
    std::array<std::uint16_t, SevenRows> rowStart;
    std::array<std::uint16_t, SevenSlotCount> slotClass;
    std::array<std::uint16_t, SevenFlushMasks> flushClass;
    std::array<double, SevenMaxClasses> classScore;
};

// Made when the program is built; constant from the first instruction on.
extern const SevenTableData SevenTables;

// The score of a key without five cards of one suit.
inline double SevenScoreOfFaces(std::uint64_t key)
{
    const auto row = static_cast<std::uint32_t>(key >> (SevenFaceShift + SevenColumnBits));
    const auto column = static_cast<std::uint32_t>(key >> SevenFaceShift) & (SevenColumns - 1);
    return SevenTables.classScore[SevenTables.slotClass[SevenTables.rowStart[row] + column]];
}

// Five or more cards of one suit: out of line, as only a few hands in a
// hundred get here.
double SevenFlushScoreOfIds(const std::uint8_t* ids, std::uint64_t key);

static_assert(std::endian::native == std::endian::little,
              "the id reads below take the bytes in memory order");

inline double EvaluateSevenIds(const std::uint8_t* ids)
{
    // Two overlapping four-byte reads instead of seven byte reads: the
    // loads, not the additions, limit how fast hands go through.
    std::uint32_t low = 0, high = 0;
    std::memcpy(&low, ids, 4);
    std::memcpy(&high, ids + 3, 4);
    const auto& k = SevenIdKeys;
    const std::uint64_t key =
        ((SevenSuitStart + k[low & 255]) + (k[(low >> 8) & 255] + k[(low >> 16) & 255])) +
        ((k[high & 255] + k[(high >> 8) & 255]) + (k[(high >> 16) & 255] + k[high >> 24]));
    if ((key & SevenFlushBits) != 0) [[unlikely]]
        return SevenFlushScoreOfIds(ids, key);
    return SevenScoreOfFaces(key);
}

} // namespace scrivo::detail
