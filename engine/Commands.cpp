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

constexpr std::int64_t Cent = Currency::Scale / 100;

Currency LimitSize(const BetLimits& limits)
{
    return limits.bigBet ? limits.bigBlind * 2 : limits.bigBlind;
}

// The status text for a request the shared check refuses.
std::string FaultText(RequestFault fault, const BetLimits& limits, const Language& language)
{
    const auto cash = [&](Currency c) { return FormatCash(c, limits.currencySymbol); };
    switch (fault) {
    case RequestFault::None:
    case RequestFault::Unknown:
    case RequestFault::Unreadable:
        return "";
    case RequestFault::BelowCent:
        return language.LangText[Msg::TwoDecimals];
    case RequestFault::AboveCash:
        return language.FormatText(Msg::BetAboveCash, cash(limits.myCash));
    case RequestFault::CallDue:
    case RequestFault::BelowCall:
        return language.FormatText(Msg::CallAtLeast, cash(limits.minBet - limits.myBet));
    case RequestFault::LimitSize:
        return language.FormatText(Msg::LimitBetExact, cash(LimitSize(limits)));
    case RequestFault::PotLimit:
        return language.LangText[Msg::PotLimitExceeded];
    case RequestFault::MinRaise:
        return language.FormatText(Msg::MinRaise, cash(limits.lastRaise));
    case RequestFault::NotReopened:
        return language.FormatText(Msg::OnlyCallOrFold);
    }
    return "";
}

// An outcome that command entry accepted, once more through the shared check.
CommandOutcome Confirmed(CommandOutcome out, const BetLimits& limits, const Language& language)
{
    if (!out.accepted) return out;
    const RequestFault fault = CheckRequest(out.request, limits);
    if (fault == RequestFault::None) return out;
    out.accepted = false;
    out.request.clear();
    out.status = FaultText(fault, limits, language);
    return out;
}

} // namespace

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
    const Currency call = limits.minBet > limits.myBet ? limits.minBet - limits.myBet : Currency();
    if (amount < call) return allIn ? RequestFault::None : RequestFault::BelowCall;
    if (limits.gameType == "THLI") {
        const Currency size = LimitSize(limits);
        // The fixed size, a call, or all in for less than the size.
        if (amount != size && amount != call && !(allIn && amount < size)) return RequestFault::LimitSize;
    }
    if (limits.gameType == "THPL" && amount > limits.pot && amount > call) return RequestFault::PotLimit;
    const Currency raise = limits.myBet + amount - limits.minBet;
    if (raise > Currency()) {
        if (!limits.mayRaise) return RequestFault::NotReopened;
        if (!allIn && raise < limits.lastRaise) return RequestFault::MinRaise;
    }
    return RequestFault::None;
}

RoundAction ActionRecord(const BetLimits& limits, Currency amount)
{
    RoundAction a;
    a.acted = true;
    a.level = std::max(limits.minBet, limits.myBet + amount);
    a.fullRaise = std::max({limits.lastRaise, amount, limits.bigBlind});
    return a;
}

bool MayRaise(const RoundAction& last, Currency minBet)
{
    return !last.acted || minBet - last.level >= last.fullRaise;
}

BetLimits LimitsOf(const Table& table)
{
    const TableState& s = table.State();
    BetLimits limits;
    limits.myCash = table.Session().MyCash;
    limits.myBet = s.MyBet;
    limits.minBet = s.MinBet;
    limits.lastRaise = s.LastRaise;
    limits.pot = s.Pot;
    limits.bigBlind = s.BigBlind;
    limits.gameType = table.Session().GameType;
    limits.bigBet = s.BigBet;
    limits.currencySymbol = s.CurrencySymbol;
    limits.mayRaise = MayRaise(table.OwnRoundAction(), s.MinBet);
    return limits;
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

    if (amount.IsZero()) refuse("");
    if (amount.Raw() % Currency::Scale != 0 && !EndsWithPointAndTwoDigits(typed))
        refuse(language.LangText[Msg::TwoDecimals]);
    if (amount > limits.myCash) refuse(language.FormatText(Msg::BetAboveCash, cash(limits.myCash)));
    if (limits.gameType == "THLI") {
        const Currency limit = limits.bigBet ? limits.bigBlind * 2 : limits.bigBlind;
        if (amount != limit) refuse(language.FormatText(Msg::LimitBetExact, cash(limit)));
    }
    if (limits.gameType == "THPL" && amount > limits.pot) refuse(language.LangText[Msg::PotLimitExceeded]);
    if (limits.myBet + amount < limits.minBet)
        refuse(language.FormatText(Msg::CallAtLeast, cash(limits.minBet - limits.myBet)));
    const Currency raise = limits.myBet + amount - limits.minBet;
    if (raise > Currency() && raise < limits.lastRaise)
        refuse(language.FormatText(Msg::MinRaise, cash(limits.lastRaise)));

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
