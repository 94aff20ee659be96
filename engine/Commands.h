#pragma once

#include <string>
#include <string_view>

#include "platform/Currency.h"

namespace scrivo {

class Language;
class Table;

// What command entry sees of the table when it checks an amount: the own
// seat as last drawn and the engine's copies of the game record.
struct BetLimits {
    Currency myCash;
    Currency myBet;
    Currency minBet; // the level to call
    Currency lastRaise;
    Currency pot;
    Currency bigBlind;
    std::string gameType; // "THLI", "THPL", "THNL"
    bool bigBet = false;  // the fourth board card is on show
    std::string currencySymbol;
    // False after a short all in: a player who has acted in this betting
    // round may then only call or fold.
    bool mayRaise = true;
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
};
// "C", "F" or "R<amount>" for the seat described by limits.
RequestFault CheckRequest(std::string_view request, const BetLimits& limits);

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

BetLimits LimitsOf(const Table& table);

// The outcome of a betting command: the request to write ("C", "F",
// "R<amount>") or nothing when refused, and the text left on the status
// line (empty: clear it).
struct CommandOutcome {
    bool accepted = false;
    std::string request;
    std::string status;
};

// "C": check, or call the difference; refused when the call is more than
// the cash.
CommandOutcome CheckOrCall(const BetLimits& limits, const Language& language);
// "F"
CommandOutcome Fold(const Language& language);
// "A": the whole cash.
CommandOutcome AllIn(const BetLimits& limits, const Language& language);
// The amount typed into the amount box, run through all the checks in
// order; the last failing check's message is the one kept.
CommandOutcome EnterAmount(const std::string& typed, const BetLimits& limits, const Language& language);

// The request text for an amount: "R" and the plain decimal text.
std::string BetRequest(Currency amount);

// Writes an accepted outcome's request into the own Action of the table's
// session and clears the my-turn flag; nothing happens unless it is this
// client's turn and the outcome is accepted. False when nothing was written
// (a failed write is reported with "Error writing player status: ").
bool WriteRequest(Table& table, const CommandOutcome& outcome);

} // namespace scrivo
