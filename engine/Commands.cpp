#include "engine/Commands.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "engine/FormatCash.h"
#include "engine/Lobby.h"
#include "engine/Table.h"
#include "gamefolder/RecordFile.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

// Typed amounts beyond this are far above any cash; keeping them finite
// keeps the conversion exact and the "above your cash" check meaningful.
constexpr double LargestTypedAmount = 1e12;

bool EndsWithPointAndTwoDigits(const std::string& text)
{
    const std::size_t n = text.size();
    return n >= 3 && text[n - 3] == '.' && std::isdigit(static_cast<unsigned char>(text[n - 2])) &&
           std::isdigit(static_cast<unsigned char>(text[n - 1]));
}

} // namespace

std::string RefusalText(RequestFault fault, const BetLimits& limits, const Language& language)
{
    const std::string amount = FormatCash(FaultAmount(fault, limits), limits.currencySymbol);
    switch (fault) {
    case RequestFault::None:
    case RequestFault::Unknown:
    case RequestFault::Unreadable:
    case RequestFault::NotYourTurn:
        return "";
    case RequestFault::BelowCent:
        return language.LangText[Msg::TwoDecimals];
    case RequestFault::AboveCash:
        return language.FormatText(Msg::BetAboveCash, amount);
    case RequestFault::CallDue:
    case RequestFault::BelowCall:
        return language.FormatText(Msg::CallAtLeast, amount);
    case RequestFault::LimitSize:
        return language.FormatText(Msg::LimitBetExact, amount);
    case RequestFault::PotLimit:
        return limits.rules == HandRules::Classic ? language.LangText[Msg::PotLimitExceeded]
                                                  : language.FormatText(Msg::PotLimitMost, amount);
    case RequestFault::MinRaise:
        return language.FormatText(Msg::MinRaise, amount);
    case RequestFault::MinBet:
        return language.FormatText(Msg::SmallestBet, amount);
    case RequestFault::NotReopened:
        return language.LangText[Msg::OnlyCallOrFold];
    case RequestFault::Capped:
        return language.LangText[Msg::BettingCapped];
    }
    return "";
}

namespace {

// An outcome that command entry accepted, once more through the shared check.
CommandOutcome Confirmed(CommandOutcome out, const BetLimits& limits, const Language& language)
{
    if (!out.accepted) return out;
    const RequestFault fault = CheckRequest(out.request, limits);
    if (fault == RequestFault::None) return out;
    out.accepted = false;
    out.request.clear();
    out.status = RefusalText(fault, limits, language);
    return out;
}

} // namespace

BetLimits LimitsOf(const Table& table)
{
    return table.OwnLimits();
}

std::string BetRequest(Currency amount)
{
    return "R" + amount.ToString();
}

static CommandOutcome PlainCheckOrCall(const BetLimits& limits, const Language& language)
{
    CommandOutcome out;
    if (limits.myBet < limits.minBet) {
        const Currency call = limits.minBet - limits.myBet;
        if (call <= limits.myCash) {
            out.accepted = true;
            out.request = BetRequest(call);
            out.status = language.LangText[Msg::YouCall];
        } else {
            out.status =
                language.FormatText(Msg::BetAboveCash, FormatCash(limits.myCash, limits.currencySymbol));
        }
        return out;
    }
    out.accepted = true;
    out.request = "C";
    out.status = language.LangText[Msg::YouCheck];
    return out;
}

CommandOutcome CheckOrCall(const BetLimits& limits, const Language& language)
{
    return Confirmed(PlainCheckOrCall(limits, language), limits, language);
}

CommandOutcome Fold(const Language& language)
{
    CommandOutcome out;
    out.accepted = true;
    out.request = "F";
    out.status = language.LangText[Msg::YouFold];
    return out;
}

CommandOutcome AllIn(const BetLimits& limits, const Language& language)
{
    CommandOutcome out;
    if (limits.myCash.IsZero()) return out;
    out.accepted = true;
    out.request = BetRequest(limits.myCash);
    out.status = language.FormatText(Msg::YouAllIn, FormatCash(limits.myCash, limits.currencySymbol));
    return Confirmed(out, limits, language);
}

CommandOutcome EnterAmount(const std::string& typed, const BetLimits& limits, const Language& language)
{
    const auto cash = [&](Currency c) { return FormatCash(c, limits.currencySymbol); };
    double value = Val(typed);
    if (value > LargestTypedAmount) value = LargestTypedAmount;
    if (value < -LargestTypedAmount) value = -LargestTypedAmount;
    const Currency amount = Currency::FromDouble(value);

    CommandOutcome out;
    bool accepted = true;
    auto refuse = [&](std::string text) {
        accepted = false;
        out.status = std::move(text);
    };

    if (amount <= Currency()) {
        // Nothing typed that is an amount: say what is due, if anything.
        const Currency call = CallAmount(limits);
        refuse(call.IsZero() ? "" : language.FormatText(Msg::CallAtLeast, cash(call)));
    }
    if (amount.Raw() % Currency::Scale != 0 && !EndsWithPointAndTwoDigits(typed))
        refuse(language.LangText[Msg::TwoDecimals]);
    // Everything else is the rules' own check, the one the host makes.
    if (accepted) {
        out.accepted = true;
        out.request = BetRequest(amount);
        out.status = language.FormatText(Msg::YouBet, cash(amount));
    }
    return Confirmed(out, limits, language);
}

bool WriteRequest(Table& table, const CommandOutcome& outcome)
{
    if (!outcome.accepted || outcome.request.empty() || !table.MyTurn()) return false;
    // The turn is given up before the write so that a second key press
    // cannot write a second request for the same turn.
    table.ClearMyTurn();
    const BetLimits limits = LimitsOf(table);
    const GameSession& session = table.Session();
    const FolderStatus written = WritePlayerRecord(session.GameFolder, outcome.request, session.MyPlayerNo);
    if (!written) {
        ReportFailure("Error writing player status: ", written);
        table.RestoreMyTurn();
        return false;
    }
    const Currency amount = outcome.request[0] == 'R'
                                ? Currency::Parse(outcome.request.substr(1)).value_or(Currency())
                                : Currency();
    table.RequestWritten(outcome.request == "F" ? RoundAction{} : ActionRecord(limits, amount));
    return true;
}

} // namespace scrivo
