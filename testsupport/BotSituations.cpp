#include "testsupport/BotSituations.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "platform/Random.h"

namespace scrivo::test {

namespace {

Currency Cents(long long cents)
{
    return Currency::FromRaw(cents * (Currency::Scale / 100));
}

long long CentsOf(Currency c)
{
    return c.Raw() / (Currency::Scale / 100);
}

// Whole cents from low to high, both included.
Currency Between(Random& random, Currency low, Currency high)
{
    const long long span = CentsOf(high) - CentsOf(low) + 1;
    if (span <= 1) return low;
    return low + Cents(static_cast<long long>(random.Next() * static_cast<double>(span)));
}

// Cash from a few cents to deep, sometimes less than the call.
Currency RandomCash(Random& random, Currency bigBlind, Currency toCall)
{
    switch (random.Below(4)) {
    case 0:
        return Between(random, Cents(1), std::max(Cents(1), toCall));
    case 1:
        return Between(random, Cents(1), bigBlind * 5);
    case 2:
        return Between(random, bigBlind, bigBlind * 40);
    default:
        return Between(random, bigBlind * 40, bigBlind * 400);
    }
}

} // namespace

BotSituation RandomSituation(Random& random, const std::string& gameType)
{
    BotSituation s;
    s.gameType = gameType;
    s.dealtIn = 2 + random.Below(8);
    s.position = random.Below(s.dealtIn);

    std::array<int, 52> deck;
    std::iota(deck.begin(), deck.end(), 0);
    for (int i = 51; i > 0; --i)
        std::swap(deck[static_cast<std::size_t>(i)], deck[static_cast<std::size_t>(random.Below(i + 1))]);
    auto card = [&, next = 0]() mutable {
        const int id = deck[static_cast<std::size_t>(next++)];
        return clsCard(id % 4, id / 4);
    };
    s.hole = {card(), card()};
    static constexpr int BoardSizes[] = {0, 3, 4, 5};
    const int boardCards = BoardSizes[random.Below(4)];
    for (int i = 0; i < boardCards; ++i)
        s.board.push_back(card());
    s.bigBet = boardCards >= 4;

    static constexpr long long BigBlinds[] = {2, 10, 50, 100, 200, 1000, 5000};
    s.bigBlind = Cents(BigBlinds[random.Below(7)]);
    static constexpr int Levels[] = {1, 1, 1, 2, 3, 4, 6, 10, 25, 80};
    s.level = s.bigBlind * Levels[random.Below(10)];
    if (random.Below(4) == 0) s.level = Between(random, s.bigBlind, s.level * 2);
    s.stake = random.Below(3) == 0 ? s.level : Between(random, Currency(), s.level);
    s.lastRaise = random.Below(3) == 0 ? Currency() : Between(random, Cents(1), s.level);
    s.cash = RandomCash(random, s.bigBlind, s.level - s.stake);

    Currency pot = s.stake;
    bool anyLive = false;
    for (int position = 0; position < s.dealtIn; ++position) {
        if (position == s.position) continue;
        BotOpponent o;
        o.position = position;
        o.live = random.Below(3) != 0 || (!anyLive && position == s.dealtIn - 1);
        anyLive = anyLive || o.live;
        o.allIn = o.live && random.Below(6) == 0;
        o.stake = o.live && !o.allIn && random.Below(2) == 0 ? s.level : Between(random, Currency(), s.level);
        o.cash = o.allIn ? Currency() : RandomCash(random, s.bigBlind, s.level - o.stake);
        o.did.preFlopRaises = random.Below(3);
        o.did.preFlopCalls = random.Below(3);
        if (boardCards > 0) {
            o.did.laterBets = random.Below(4);
            o.did.laterCalls = random.Below(3);
            o.did.laterChecks = random.Below(3);
        }
        o.history.handsDealt = random.Below(200);
        o.history.handsPlayed = random.Below(o.history.handsDealt + 1);
        o.history.betsFaced = random.Below(100);
        o.history.foldsToBets = random.Below(o.history.betsFaced + 1);
        pot += o.stake;
        s.opponents.push_back(o);
    }
    s.pot = pot;
    return s;
}

} // namespace scrivo::test
