#pragma once

#include <string>
#include <string_view>

#include "engine/hand/Betting.h"
#include "platform/Currency.h"

namespace scrivo {

class Language;
class Table;

BetLimits LimitsOf(const Table& table);

// The message that says why the check refused a request (empty for a
// request that is no request at all).
std::string RefusalText(RequestFault fault, const BetLimits& limits, const Language& language);

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
// The amount typed into the amount box: digits with a decimal point or
// comma (after the currency symbol, if typed); anything else is refused
// with a message that says so. An amount is then run through the rules'
// checks.
CommandOutcome EnterAmount(const std::string& typed, const BetLimits& limits, const Language& language);

// The bet-size buttons: what to type for a minimum raise, a raise of half
// the pot and one of the pot (call first, then raise by the pot after the
// call), each kept within what the rules allow now. Zero when no raise is
// allowed.
enum class BetSize { MinRaise, HalfPot, Pot };
Currency SuggestedBet(const BetLimits& limits, BetSize size);

// The request text for an amount: "R" and the plain decimal text.
std::string BetRequest(Currency amount);

// Writes an accepted outcome's request into the own Action of the table's
// session and clears the my-turn flag; nothing happens unless it is this
// client's turn and the outcome is accepted. False when nothing was written
// (a failed write is reported with "Error writing player status: ").
bool WriteRequest(Table& table, const CommandOutcome& outcome);

} // namespace scrivo
