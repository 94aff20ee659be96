#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "gamefolder/TableOptions.h"
#include "platform/Currency.h"

namespace scrivo {

// Bets and raises in a limit game that make the cap of a betting round.
inline constexpr int LimitBetsPerRound = 4;

// What one seat sees of the betting when it is asked to act. Amounts are
// counted over the whole hand, like the records count them: the seat must
// put in minBet - myBet to call. Command entry fills it from the records,
// the host from its hand.
struct BetLimits {
    Currency myCash;
    Currency myBet;  // put in during this hand
    Currency minBet; // the level to call
    // Standard: the size of the largest bet or raise of this round (the big
    // blind before the flop, 0 before the first bet of a later round).
    // Classic: the largest single amount one request put in this round.
    Currency lastRaise;
    Currency pot; // everything in the middle, this round's bets included
    Currency bigBlind;
    std::string gameType; // "THLI", "THPL", "THNL"
    bool bigBet = false;  // the fourth board card is on show
    std::string currencySymbol;
    // False after a short all in: a player who has acted in this betting
    // round may then only call or fold.
    bool mayRaise = true;
    HandRules rules = HandRules::Standard;
    // Limit games: bets and raises made this round (the big blind counts as
    // the first before the flop), and players still in the hand; the cap
    // holds only while more than two are. -1 / 0: not known here.
    int betsThisRound = -1;
    int playersInHand = 0;
};

// Why a request may not be applied. Command entry, the bots and the host
// run every request through the same check.
enum class RequestFault {
    None,
    Unknown,     // no request this table knows
    Unreadable,  // "R" without an amount
    BelowCent,   // less than one cent, or a fraction of one
    AboveCash,   // more than the player has
    CallDue,     // a check while a call is due
    BelowCall,   // less than the call, and not all in
    LimitSize,   // off the fixed size of a limit game
    PotLimit,    // above the pot in a pot limit game
    MinRaise,    // a raise below the smallest one allowed
    NotReopened, // a raise after a short all in to a player who has acted
    MinBet,      // an opening bet below the big blind
    Capped,      // a raise after the last bet a limit round allows
    NotYourTurn, // a request from a seat that does not have the turn
};

// "C", "F" or "R<amount>" (the amount to put in now) for the seat described
// by limits.
RequestFault CheckRequest(std::string_view request, const BetLimits& limits);

// The amount to call (0 when nothing is due).
Currency CallAmount(const BetLimits& limits);
// The bet of a limit game in this round.
Currency LimitUnit(const BetLimits& limits);

// What a bet or raise may put in now. raise is false when the seat can only
// check, call or fold (or has no more than the call). Otherwise every amount
// from least to most passes the check, where the rules allow only one amount
// (limit) the two are equal, and an all in below least passes too.
struct RaiseRange {
    bool raise = false;
    Currency least;
    Currency most;
};
RaiseRange RaiseAmounts(const BetLimits& limits);

// The amount the fault's message names: the smallest raise, the largest pot
// limit amount, the limit size or the call.
Currency FaultAmount(RequestFault fault, const BetLimits& limits);

// What a player's last action in the betting round leaves behind: the level
// to call after it and the size a raise had to reach then. A later raise
// smaller than that does not reopen the betting for him.
struct RoundAction {
    bool acted = false;
    Currency level;
    Currency fullRaise;
};
// The record of an action that put amount in (0 for a check).
RoundAction ActionRecord(const BetLimits& limits, Currency amount);
bool MayRaise(const RoundAction& last, Currency minBet);

} // namespace scrivo
