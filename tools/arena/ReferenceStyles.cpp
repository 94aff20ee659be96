#include "tools/arena/ReferenceStyles.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "cards/Evaluator.h"
#include "engine/Commands.h"
#include "engine/hand/Betting.h"
#include "platform/Random.h"

namespace scrivo::arena {

namespace {

Currency ToCall(const BotSituation& s)
{
    return s.level > s.stake ? s.level - s.stake : Currency();
}

std::string Call(const BotSituation& s)
{
    const Currency due = ToCall(s);
    return due > Currency() ? BetRequest(std::min(due, s.cash)) : std::string("C");
}

std::string Fold(const BotSituation& s)
{
    return ToCall(s) > Currency() ? std::string("F") : std::string("C");
}

// A bet or raise putting in about `amount` now, inside what the rules allow;
// a call when they allow no raise.
std::string Raise(const BotSituation& s, Currency amount)
{
    const RaiseRange range = RaiseAmounts(LimitsOf(s));
    if (!range.raise) return Call(s);
    return BetRequest(std::min(std::max(amount, range.least), range.most));
}

// The amount that raises by the pot: the call, then the pot after it.
Currency PotRaise(const BotSituation& s)
{
    const Currency due = std::min(ToCall(s), s.cash);
    return due + s.pot + due;
}

int LiveOpponents(const BotSituation& s)
{
    return static_cast<int>(
        std::count_if(s.opponents.begin(), s.opponents.end(), [](const BotOpponent& o) { return o.live; }));
}

// ---- the tight-aggressive chart ----

// 1: raise and re-raise; 2: call a raise; 3: open from any seat; 4: open
// from the last three seats; 5: open heads-up; 6: fold. Faces 0 (two) to
// 12 (ace).
int Tier(int a, int b, bool suited)
{
    const int high = std::max(a, b), low = std::min(a, b);
    constexpr int A = 12, K = 11, Q = 10, J = 9, T = 8;
    if (high == low) return low >= T ? 1 : low >= 5 ? 2 : low >= 3 ? 3 : 4;
    if (high == A) {
        if (low == K || (low == Q && suited)) return 1;
        if (low == Q || (low >= T && suited)) return 2;
        if (low == J) return 3;
        if (suited || low >= 6) return 4;
        return 5;
    }
    if (high == K) {
        if (low == Q && suited) return 2;
        if (low == Q || (low == J && suited)) return 3;
        if ((suited && low >= 7) || low >= T) return 4;
        return low >= 3 ? 5 : 6;
    }
    if (high == Q) {
        if (low == J && suited) return 3;
        if ((suited && low >= T) || low == J) return 4;
        return low >= 6 ? 5 : 6;
    }
    if (high == J) {
        if (low == T && suited) return 3;
        return low >= 6 ? 5 : 6;
    }
    if (suited && high - low == 1 && low >= 5) return 4;
    if (high == T && low >= 6) return 5;
    if (suited && high - low <= 2 && low >= 3) return 5;
    return 6;
}

// Share of the pot won against one random hand per live opponent.
double EquityAgainstRandom(const BotSituation& s, Random& random, int trials)
{
    std::array<bool, 52> seen{};
    std::vector<std::uint8_t> known;
    auto idOf = [](const clsCard& c) { return static_cast<std::uint8_t>(c.facevalue * 4 + c.suit); };
    for (const clsCard& c : s.hole)
        known.push_back(idOf(c));
    for (const clsCard& c : s.board)
        known.push_back(idOf(c));
    for (std::uint8_t id : known)
        if (id >= 52 || seen[id])
            return 0.0;
        else
            seen[id] = true;
    std::vector<std::uint8_t> rest;
    for (int id = 0; id < 52; ++id)
        if (!seen[static_cast<std::size_t>(id)]) rest.push_back(static_cast<std::uint8_t>(id));
    const int opponents = std::max(1, LiveOpponents(s));
    const int needed = 2 * opponents + 5 - static_cast<int>(s.board.size());
    if (needed > static_cast<int>(rest.size())) return 0.0;
    double won = 0.0;
    for (int t = 0; t < trials; ++t) {
        // A partial shuffle draws the cards needed.
        for (int i = 0; i < needed; ++i)
            std::swap(rest[static_cast<std::size_t>(i)],
                      rest[static_cast<std::size_t>(i + random.Below(static_cast<int>(rest.size()) - i))]);
        std::array<std::uint8_t, 7> mine{};
        mine[0] = known[0];
        mine[1] = known[1];
        int next = 2 * opponents;
        for (int i = 0; i < 5; ++i)
            mine[static_cast<std::size_t>(2 + i)] = i < static_cast<int>(s.board.size())
                                                        ? known[static_cast<std::size_t>(2 + i)]
                                                        : rest[static_cast<std::size_t>(next++)];
        const double score = EvaluateSeven(mine.data());
        int tied = 1;
        bool lost = false;
        for (int j = 0; j < opponents && !lost; ++j) {
            std::array<std::uint8_t, 7> theirs = mine;
            theirs[0] = rest[static_cast<std::size_t>(2 * j)];
            theirs[1] = rest[static_cast<std::size_t>(2 * j + 1)];
            const double other = EvaluateSeven(theirs.data());
            if (other > score)
                lost = true;
            else if (other == score)
                ++tied;
        }
        if (!lost) won += 1.0 / tied;
    }
    return won / trials;
}

std::string TagPreFlop(const BotSituation& s)
{
    const int tier = Tier(s.hole[0].facevalue, s.hole[1].facevalue, s.hole[0].suit == s.hole[1].suit);
    const Currency bb = s.bigBlind;
    const int dealt = std::max(2, s.dealtIn);
    // Seats to act after this one before the flop (the blinds act last).
    const int order = ((s.position - 3) % dealt + dealt) % dealt;
    const int behind = dealt - 1 - order;
    bool shove = false;
    int limpers = 0;
    for (const BotOpponent& o : s.opponents) {
        if (!o.live) continue;
        if (o.allIn && o.stake > bb) shove = true;
        if (o.did.preFlopCalls > 0 && o.did.preFlopRaises == 0) ++limpers;
    }
    if (s.level <= bb) {
        const int open = dealt == 2 ? 5 : behind <= 2 ? 4 : 3;
        if (tier <= open) return Raise(s, bb * (3 + limpers) - s.stake);
        return Fold(s);
    }
    const Currency due = ToCall(s);
    // Facing all in, a big raise or a re-raise: the best hands only.
    if (shove || s.level > bb * 10 || s.stake > bb) {
        if (tier == 1) return Raise(s, s.cash);
        if (tier == 2 && due * 4 <= s.cash + s.stake) return Call(s);
        return Fold(s);
    }
    if (tier == 1) return Raise(s, s.level * 3 - s.stake);
    if (tier == 2) return Call(s);
    // Heads-up the big blind defends a small open wider.
    if (dealt == 2 && s.stake == bb && s.level <= bb * 4 && tier <= 4) return Call(s);
    return Fold(s);
}

std::string TagLater(const BotSituation& s, Random& random)
{
    const double equity = EquityAgainstRandom(s, random, 300);
    const Currency due = ToCall(s);
    if (due.IsZero()) {
        if (equity >= 0.6) return Raise(s, Currency::FromDouble(s.pot.ToDouble() * 2 / 3));
        return "C";
    }
    const Currency call = std::min(due, s.cash);
    const double potOdds = call.ToDouble() / (s.pot + call).ToDouble();
    if (equity >= 0.8) return Raise(s, due * 3);
    if (equity >= potOdds) return Call(s);
    return "F";
}

} // namespace

std::string StationDecide(const BotSituation& s, Random&)
{
    return Call(s);
}

std::string ManiacDecide(const BotSituation& s, Random& random)
{
    const double r = random.Next();
    if (r < 0.3) return Raise(s, s.cash);
    if (r < 0.9) return Raise(s, PotRaise(s));
    return Call(s);
}

std::string TagDecide(const BotSituation& s, Random& random)
{
    return s.board.empty() ? TagPreFlop(s) : TagLater(s, random);
}

} // namespace scrivo::arena
