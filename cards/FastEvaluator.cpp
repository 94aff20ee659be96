#include "cards/FastEvaluator.h"

#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>

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

} // namespace

double ScoreOfSuitMasks(std::uint64_t cards)
{
    const auto m0 = static_cast<std::uint32_t>(cards & 0x1FFF);
    const auto m1 = static_cast<std::uint32_t>((cards >> 16) & 0x1FFF);
    const auto m2 = static_cast<std::uint32_t>((cards >> 32) & 0x1FFF);
    const auto m3 = static_cast<std::uint32_t>((cards >> 48) & 0x1FFF);

    std::uint32_t fm = 0;
    for (const std::uint32_t m : {m0, m1, m2, m3})
        if (std::popcount(m) >= 5) fm = m;
    if (fm != 0) {
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

} // namespace scrivo::detail
