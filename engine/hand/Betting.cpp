#include "engine/hand/Betting.h"

#include <algorithm>

namespace scrivo {

namespace {

constexpr std::int64_t Cent = Currency::Scale / 100;

bool IsLimit(const BetLimits& limits)
{
    return limits.gameType == "THLI";
}

bool IsPotLimit(const BetLimits& limits)
{
    return limits.gameType == "THPL";
}

// A limit round is capped after its fourth bet, unless only two players are
// left to fight it out.
bool Capped(const BetLimits& limits)
{
    return IsLimit(limits) && limits.betsThisRound >= LimitBetsPerRound && limits.playersInHand > 2;
}

// The most a pot limit raise may put in now: the call, and then the pot as
// it is after the call.
Currency PotLimitMost(const BetLimits& limits)
{
    const Currency call = CallAmount(limits);
    if (limits.rules == HandRules::Classic) return std::max(limits.pot, call);
    return limits.pot + call + call;
}

// The smallest step above the level that counts as a full raise.
Currency SmallestRaise(const BetLimits& limits)
{
    if (limits.rules == HandRules::Classic) return std::max(limits.lastRaise, Currency::FromRaw(Cent));
    return std::max(limits.lastRaise, limits.bigBlind);
}

} // namespace

Currency CallAmount(const BetLimits& limits)
{
    return limits.minBet > limits.myBet ? limits.minBet - limits.myBet : Currency();
}

Currency LimitUnit(const BetLimits& limits)
{
    return limits.bigBet ? limits.bigBlind * 2 : limits.bigBlind;
}

RequestFault CheckRequest(std::string_view request, const BetLimits& limits)
{
    if (request == "F") return RequestFault::None;
    if (request == "C") return limits.myBet < limits.minBet ? RequestFault::CallDue : RequestFault::None;
    if (request.empty() || request[0] != 'R') return RequestFault::Unknown;
    const std::optional<Currency> parsed = Currency::Parse(request.substr(1));
    if (!parsed) return RequestFault::Unreadable;
    const Currency amount = *parsed;
    if (amount.Raw() < Cent || amount.Raw() % Cent != 0) return RequestFault::BelowCent;
    if (amount > limits.myCash) return RequestFault::AboveCash;
    const bool allIn = amount == limits.myCash;
    const Currency call = CallAmount(limits);
    if (amount < call) return allIn ? RequestFault::None : RequestFault::BelowCall;
    const Currency raise = amount - call;
    if (raise.IsZero()) return RequestFault::None;
    if (!limits.mayRaise) return RequestFault::NotReopened;

    if (IsLimit(limits)) {
        if (Capped(limits)) return RequestFault::Capped;
        // One unit above the call; all in for less is a short bet.
        const Currency full = call + LimitUnit(limits);
        if (amount != full && !(allIn && amount < full)) return RequestFault::LimitSize;
        return RequestFault::None;
    }
    if (IsPotLimit(limits) && amount > PotLimitMost(limits)) return RequestFault::PotLimit;
    if (!allIn && raise < SmallestRaise(limits)) {
        const bool opening = call.IsZero() && limits.lastRaise.IsZero();
        return opening && limits.rules == HandRules::Standard ? RequestFault::MinBet : RequestFault::MinRaise;
    }
    return RequestFault::None;
}

RaiseRange RaiseAmounts(const BetLimits& limits)
{
    RaiseRange range;
    const Currency call = CallAmount(limits);
    if (!limits.mayRaise || limits.myCash <= call) return range;
    if (IsLimit(limits)) {
        if (Capped(limits)) return range;
        range.least = range.most = std::min(call + LimitUnit(limits), limits.myCash);
    } else {
        range.least = std::min(call + SmallestRaise(limits), limits.myCash);
        range.most = IsPotLimit(limits) ? std::min(PotLimitMost(limits), limits.myCash) : limits.myCash;
        range.most = std::max(range.most, range.least);
    }
    range.raise = range.most > call;
    return range;
}

Currency FaultAmount(RequestFault fault, const BetLimits& limits)
{
    switch (fault) {
    case RequestFault::AboveCash:
        return limits.myCash;
    case RequestFault::CallDue:
    case RequestFault::BelowCall:
        return CallAmount(limits);
    case RequestFault::LimitSize:
        return CallAmount(limits) + LimitUnit(limits);
    case RequestFault::PotLimit:
        return PotLimitMost(limits);
    case RequestFault::MinRaise:
        // Classic names the raise part, Standard what to put in now.
        return limits.rules == HandRules::Classic ? limits.lastRaise : RaiseAmounts(limits).least;
    case RequestFault::MinBet:
        return limits.bigBlind;
    default:
        return Currency();
    }
}

RoundAction ActionRecord(const BetLimits& limits, Currency amount)
{
    RoundAction a;
    a.acted = true;
    a.level = std::max(limits.minBet, limits.myBet + amount);
    if (IsLimit(limits)) {
        // A limit bet of half a unit or more counts as a full one.
        const Currency unit = LimitUnit(limits);
        a.fullRaise = Currency::FromRaw((unit.Raw() + 1) / 2);
    } else if (limits.rules == HandRules::Classic) {
        a.fullRaise = std::max({limits.lastRaise, amount, limits.bigBlind});
    } else {
        const Currency raised =
            limits.myBet + amount > limits.minBet ? limits.myBet + amount - limits.minBet : Currency();
        a.fullRaise = std::max({limits.lastRaise, raised, limits.bigBlind});
    }
    return a;
}

bool MayRaise(const RoundAction& last, Currency minBet)
{
    return !last.acted || minBet - last.level >= last.fullRaise;
}

} // namespace scrivo
