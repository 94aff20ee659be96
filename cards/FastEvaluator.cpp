#include "cards/FastEvaluator.h"

#include <bit>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace scrivo::detail {

// ---- the plain five-card rules ----

HandRank RankSortedFive(const std::array<std::int32_t, 5>& f, const std::array<std::int32_t, 5>& s)
{
    // 64-bit comparisons of f + 1, so that face values stored as given
    // cannot overflow.
    const std::int64_t f1 = f[0], f2 = f[1], f3 = f[2], f4 = f[3], f5 = f[4];
    const bool flushShape = s[1] == s[0] && s[2] == s[0] && s[3] == s[0] && s[4] == s[0];
    const bool fiveHigh = f1 == 0 && f5 == 12;
    const bool straight = f1 + 1 == f2 && f2 + 1 == f3 && f3 + 1 == f4 && (f4 + 1 == f5 || fiveHigh);
    const auto hand = [](std::int32_t category, std::int64_t high) {
        return HandRank{category, static_cast<std::int32_t>(high)};
    };

    if (flushShape && straight) return hand(8, fiveHigh ? f4 : f5);
    if ((f1 == f2 && f2 == f3 && f3 == f4) || (f2 == f3 && f3 == f4 && f4 == f5))
        return hand(7, f4 == f5 ? f5 : f4);
    if ((f1 == f2 && f2 == f3 && f4 == f5) || (f1 == f2 && f3 == f4 && f4 == f5)) return hand(6, f3);
    if (flushShape) return hand(5, f5);
    if (straight) return hand(4, fiveHigh ? f4 : f5);
    if ((f1 == f2 && f2 == f3) || (f2 == f3 && f3 == f4) || (f3 == f4 && f4 == f5))
        return hand(3, f1 == f2 ? f3 : (f4 == f5 ? f5 : f4));
    if ((f1 == f2 && f3 == f4) || (f1 == f2 && f4 == f5) || (f2 == f3 && f4 == f5))
        return hand(2, (f1 == f2 && f3 == f4) ? f4 : f5);
    if (f1 == f2 || f2 == f3 || f3 == f4 || f4 == f5)
        return hand(1, f1 == f2 ? f2 : (f2 == f3 ? f3 : (f3 == f4 ? f4 : f5)));
    return hand(0, f5);
}

double ScoreSortedFive(const HandRank& rank, const std::array<std::int32_t, 5>& f)
{
    const std::int64_t base = std::int64_t{rank.Category} * 10000 + std::int64_t{rank.HighCard} * 100;
    if (base < INT32_MIN || base > INT32_MAX) throw std::overflow_error("Overflow");
    const auto b = static_cast<std::int32_t>(base);
    if (rank.Category == 2) {
        // Higher pair, lower pair, then the fifth card.
        if (f[0] == f[1] && f[2] == f[3]) return ScoreFromFaces(b, f[2], f[3], f[0], f[1], f[4]);
        if (f[0] == f[1] && f[3] == f[4]) return ScoreFromFaces(b, f[3], f[4], f[0], f[1], f[2]);
        if (f[1] == f[2] && f[3] == f[4]) return ScoreFromFaces(b, f[3], f[4], f[1], f[2], f[0]);
        // A rank that does not fit the cards: plain order.
    }
    return ScoreFromFaces(b, f[4], f[3], f[2], f[1], f[0]);
}

// ---- the fast path ----

namespace {

constexpr std::uint8_t NoStraight = 0xFF;

// Top face value of the best straight in a 13-bit face mask, the five (3)
// for ace-two-three-four-five, NoStraight when there is none.
constexpr std::array<std::uint8_t, 8192> MakeStraightTops()
{
    std::array<std::uint8_t, 8192> tops{};
    for (std::uint32_t mask = 0; mask < 8192; ++mask) {
        tops[mask] = NoStraight;
        for (int top = 12; top >= 4; --top) {
            const std::uint32_t run = 0x1Fu << (top - 4);
            if ((mask & run) == run) {
                tops[mask] = static_cast<std::uint8_t>(top);
                break;
            }
        }
        constexpr std::uint32_t wheel = 0x100Fu; // ace, two, three, four, five
        if (tops[mask] == NoStraight && (mask & wheel) == wheel) tops[mask] = 3;
    }
    return tops;
}

constexpr std::array<std::uint8_t, 8192> StraightTops = MakeStraightTops();

inline std::int32_t HighBit(std::uint32_t x)
{
    return static_cast<std::int32_t>(std::bit_width(x)) - 1;
}

inline std::int32_t Base(std::int32_t category, std::int32_t high)
{
    return category * 10000 + high * 100;
}

// Straight or straight flush with this top face.
inline double StraightScore(std::int32_t category, std::int32_t top)
{
    if (top == 3) return ScoreFromFaces(Base(category, 3), 12, 3, 2, 1, 0);
    return ScoreFromFaces(Base(category, top), top, top - 1, top - 2, top - 3, top - 4);
}

// Flush or high card: the five highest faces of the mask.
inline double TopFiveScore(std::int32_t category, std::uint32_t mask)
{
    const std::int32_t a = HighBit(mask);
    mask ^= 1u << a;
    const std::int32_t b = HighBit(mask);
    mask ^= 1u << b;
    const std::int32_t c = HighBit(mask);
    mask ^= 1u << c;
    const std::int32_t d = HighBit(mask);
    mask ^= 1u << d;
    const std::int32_t e = HighBit(mask);
    return ScoreFromFaces(Base(category, a), a, b, c, d, e);
}

// The best score given the cards as 16-bit face masks per suit (suit s in
// bits 16s..16s+12) and the suit counts in nibbles.
double Evaluate(std::uint64_t cards, std::uint32_t suitCounts)
{
    const auto m0 = static_cast<std::uint32_t>(cards & 0x1FFF);
    const auto m1 = static_cast<std::uint32_t>((cards >> 16) & 0x1FFF);
    const auto m2 = static_cast<std::uint32_t>((cards >> 32) & 0x1FFF);
    const auto m3 = static_cast<std::uint32_t>((cards >> 48) & 0x1FFF);

    // A count of five or more in some suit: adding 3 sets the nibble's top bit.
    const std::uint32_t flushBits = (suitCounts + 0x3333u) & 0x8888u;
    if (flushBits != 0) {
        const int suit = std::countr_zero(flushBits) / 4;
        const auto fm = static_cast<std::uint32_t>((cards >> (16 * suit)) & 0x1FFF);
        const std::uint8_t top = StraightTops[fm];
        if (top != NoStraight) return StraightScore(8, top);
        // Five cards of one suit leave too few for four of a kind or a full house.
        return TopFiveScore(5, fm);
    }

    // Per face, how many suits hold it, as three bit planes.
    const std::uint32_t all = m0 | m1 | m2 | m3;
    const std::uint32_t a = m0 ^ m1, b = m0 & m1, c = m2 ^ m3, d = m2 & m3;
    const std::uint32_t ones = a ^ c;
    const std::uint32_t twos = b ^ d ^ (a & c);
    const std::uint32_t quads = m0 & m1 & m2 & m3;
    const std::uint32_t trips = ones & twos;
    const std::uint32_t pairs = twos & ~ones;

    if (quads != 0) {
        const std::int32_t q = HighBit(quads);
        const std::int32_t k = HighBit(all ^ (1u << q));
        return k > q ? ScoreFromFaces(Base(7, q), k, q, q, q, q) : ScoreFromFaces(Base(7, q), q, q, q, q, k);
    }
    if (trips != 0) {
        const std::int32_t t = HighBit(trips);
        const std::uint32_t rest = (trips ^ (1u << t)) | pairs;
        if (rest != 0) {
            const std::int32_t p = HighBit(rest);
            return p > t ? ScoreFromFaces(Base(6, t), p, p, t, t, t)
                         : ScoreFromFaces(Base(6, t), t, t, t, p, p);
        }
    }
    const std::uint8_t top = StraightTops[all];
    if (top != NoStraight) return StraightScore(4, top);
    if (trips != 0) {
        const std::int32_t t = HighBit(trips);
        std::uint32_t kickers = all ^ (1u << t);
        const std::int32_t k1 = HighBit(kickers);
        kickers ^= 1u << k1;
        const std::int32_t k2 = HighBit(kickers);
        const std::int32_t base = Base(3, t);
        if (k1 < t) return ScoreFromFaces(base, t, t, t, k1, k2);
        if (k2 < t) return ScoreFromFaces(base, k1, t, t, t, k2);
        return ScoreFromFaces(base, k1, k2, t, t, t);
    }
    if (pairs != 0) {
        const std::int32_t p = HighBit(pairs);
        const std::uint32_t lowerPairs = pairs ^ (1u << p);
        if (lowerPairs != 0) {
            const std::int32_t l = HighBit(lowerPairs);
            const std::int32_t k = HighBit(all ^ (1u << p) ^ (1u << l));
            return ScoreFromFaces(Base(2, p), p, p, l, l, k);
        }
        std::uint32_t kickers = all ^ (1u << p);
        const std::int32_t k1 = HighBit(kickers);
        kickers ^= 1u << k1;
        const std::int32_t k2 = HighBit(kickers);
        kickers ^= 1u << k2;
        const std::int32_t k3 = HighBit(kickers);
        const std::int32_t base = Base(1, p);
        if (k1 < p) return ScoreFromFaces(base, p, p, k1, k2, k3);
        if (k2 < p) return ScoreFromFaces(base, k1, p, p, k2, k3);
        if (k3 < p) return ScoreFromFaces(base, k1, k2, p, p, k3);
        return ScoreFromFaces(base, k1, k2, k3, p, p);
    }
    return TopFiveScore(0, all);
}

// Seven cards without a flush score by their face counts alone. The counts
// are summed as a base-5 number while the cards are read: faces 0..6 in the
// low 17 bits, faces 7..12 above them (no digit passes 4, so no carries).
// LowPart and HighPart turn the two halves into a dense index of all count
// patterns of seven cards, where Scores holds the score Evaluate gives.
constexpr int LowFaces = 7;
constexpr int HighShift = 17;
constexpr int LowPatterns = 78125;  // 5^7
constexpr int HighPatterns = 15625; // 5^6

constexpr std::array<std::uint32_t, 16> MakeFaceDigits()
{
    std::array<std::uint32_t, 16> digits{};
    std::uint32_t power = 1;
    for (int face = 0; face < 13; ++face) {
        if (face == LowFaces) power = 1;
        digits[static_cast<std::size_t>(face)] = face < LowFaces ? power : power << HighShift;
        power *= 5;
    }
    return digits; // faces 13..15 stay 0: such cards are refused anyway
}

constexpr std::array<std::uint32_t, 16> FaceDigits = MakeFaceDigits();

struct SevenCardTables {
    std::vector<std::uint16_t> lowPart = std::vector<std::uint16_t>(LowPatterns);
    std::vector<std::uint16_t> highPart = std::vector<std::uint16_t>(HighPatterns);
    std::vector<double> scores;

    SevenCardTables()
    {
        // Digit sums and dense ranks of each half, per digit sum.
        const auto digitSum = [](int pattern) {
            int sum = 0;
            for (; pattern > 0; pattern /= 5)
                sum += pattern % 5;
            return sum;
        };
        std::array<int, 8> lowCount{}, highCount{};
        std::vector<int> lowRank(LowPatterns, -1), highRank(HighPatterns, -1);
        for (int p = 0; p < LowPatterns; ++p) {
            const int sum = digitSum(p);
            if (sum <= 7) lowRank[static_cast<std::size_t>(p)] = lowCount[static_cast<std::size_t>(sum)]++;
        }
        for (int p = 0; p < HighPatterns; ++p) {
            const int sum = digitSum(p);
            if (sum <= 7) {
                highRank[static_cast<std::size_t>(p)] = highCount[static_cast<std::size_t>(sum)]++;
                highPart[static_cast<std::size_t>(p)] =
                    static_cast<std::uint16_t>(highRank[static_cast<std::size_t>(p)]);
            }
        }
        // Block of low digit sum t: every low pattern of sum t times every high pattern of sum 7 - t.
        std::array<int, 8> blockStart{};
        int total = 0;
        for (int t = 0; t <= 7; ++t) {
            blockStart[static_cast<std::size_t>(t)] = total;
            total += lowCount[static_cast<std::size_t>(t)] * highCount[static_cast<std::size_t>(7 - t)];
        }
        for (int p = 0; p < LowPatterns; ++p) {
            const int sum = digitSum(p);
            if (sum <= 7)
                lowPart[static_cast<std::size_t>(p)] = static_cast<std::uint16_t>(
                    blockStart[static_cast<std::size_t>(sum)] +
                    lowRank[static_cast<std::size_t>(p)] * highCount[static_cast<std::size_t>(7 - sum)]);
        }
        scores.assign(static_cast<std::size_t>(total), 0.0);
        // Score of each pattern: copy j of a face goes to suit j. No suit
        // counts are passed, so Evaluate takes it as no flush.
        std::array<std::vector<int>, 8> highBySum;
        for (int p = 0; p < HighPatterns; ++p) {
            const int sum = digitSum(p);
            if (sum <= 7) highBySum[static_cast<std::size_t>(sum)].push_back(p);
        }
        const auto addFaces = [](std::uint64_t& cards, int pattern, int firstFace, int faces) {
            for (int face = firstFace; face < firstFace + faces; ++face, pattern /= 5)
                for (int copy = 0; copy < pattern % 5; ++copy)
                    cards |= std::uint64_t{1} << (16 * copy + face);
        };
        for (int low = 0; low < LowPatterns; ++low) {
            const int lowSum = digitSum(low);
            if (lowSum > 7) continue;
            std::uint64_t lowCards = 0;
            addFaces(lowCards, low, 0, LowFaces);
            for (int high : highBySum[static_cast<std::size_t>(7 - lowSum)]) {
                std::uint64_t cards = lowCards;
                addFaces(cards, high, LowFaces, 13 - LowFaces);
                scores[std::size_t{lowPart[static_cast<std::size_t>(low)]} +
                       highPart[static_cast<std::size_t>(high)]] = Evaluate(cards, 0);
            }
        }
    }
};

const SevenCardTables& Tables()
{
    static const SevenCardTables tables;
    return tables;
}

// What one card adds to the running counts: its base-5 face digit in the
// low 32 bits and one in its suit's nibble above them. Indexed by
// 16 * suit + face value.
constexpr std::array<std::uint64_t, 64> MakeCardCounts()
{
    std::array<std::uint64_t, 64> counts{};
    for (std::uint32_t suit = 0; suit < 4; ++suit)
        for (std::uint32_t face = 0; face < 16; ++face)
            counts[16 * suit + face] = FaceDigits[face] | (std::uint64_t{1} << (32 + 4 * suit));
    return counts;
}

constexpr std::array<std::uint64_t, 64> CardCounts = MakeCardCounts();

// Reads cards into suit masks (suit s in bits 16s..16s+12), and the counts
// above. Out-of-range values and repeated cards make it refuse the cards.
struct CardReader {
    std::uint64_t cards = 0;
    std::uint64_t repeated = 0;
    std::uint64_t range = 0; // bits above the low four: a value out of range
    std::uint64_t counts = 0;

    void Add(const clsCard& card)
    {
        const auto suit = static_cast<std::uint32_t>(card.suit);
        const auto face = static_cast<std::uint32_t>(card.facevalue);
        range |= (std::uint64_t{face} + 3) | (std::uint64_t{suit} << 2);
        const std::uint32_t index = ((suit & 3) << 4) | (face & 15);
        const std::uint64_t bit = std::uint64_t{1} << index;
        repeated |= cards & bit;
        cards |= bit;
        counts += CardCounts[index];
    }

    bool Refused() const { return ((range & ~std::uint64_t{15}) | repeated) != 0; }
    std::uint32_t SuitCounts() const { return static_cast<std::uint32_t>(counts >> 32); }
    std::uint32_t FaceDigits() const { return static_cast<std::uint32_t>(counts); }
    bool HasFlush() const { return ((SuitCounts() + 0x3333u) & 0x8888u) != 0; }
};

inline double ScoreSeven(const CardReader& reader)
{
    if (reader.HasFlush()) return Evaluate(reader.cards, reader.SuitCounts());
    const SevenCardTables& t = Tables();
    const std::uint32_t digits = reader.FaceDigits();
    return t
        .scores[std::size_t{t.lowPart[digits & ((1u << HighShift) - 1)]} + t.highPart[digits >> HighShift]];
}

} // namespace

bool FastBestScore(const clsCard* cards, int count, double& score)
{
    CardReader reader;
    for (int i = 0; i < count; ++i)
        reader.Add(cards[i]);
    if (reader.Refused()) return false;
    score = count == 7 ? ScoreSeven(reader) : Evaluate(reader.cards, reader.SuitCounts());
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
    score = ScoreSeven(reader);
    return true;
}

} // namespace scrivo::detail
