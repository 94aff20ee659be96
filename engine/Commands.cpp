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

// Typed amounts with more whole digits than this are far above any cash;
// they are taken as this many nines so that the "above your cash" check
// answers them.
constexpr std::size_t LongestWholePart = 12;

// A typed amount: digits with at most one decimal separator, a point or a
// comma alike (German players type commas), optionally after the table's
// currency symbol. Anything else is no amount. The decimals are kept as
// typed, so that the caller can ask for exactly two.
struct TypedAmount {
    Currency amount;
    std::size_t decimals = 0;
};

std::optional<TypedAmount> ParseTypedAmount(std::string text, const std::string& symbol)
{
    text = Trim(text);
    if (!symbol.empty() && text.starts_with(symbol)) text = Trim(text.substr(symbol.size()));
    std::string whole, fraction;
    bool separator = false;
    for (const char c : text) {
        if (c == '.' || c == ',') {
            if (separator) return std::nullopt;
            separator = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            (separator ? fraction : whole) += c;
        } else {
            return std::nullopt;
        }
    }
    if (whole.empty() && fraction.empty()) return std::nullopt;
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.size() > LongestWholePart) {
        whole.assign(LongestWholePart, '9');
        fraction.clear();
    }
    TypedAmount typed;
    typed.decimals = fraction.size();
    // Currency keeps four decimals; a longer fraction is refused by the caller.
    const std::string kept = fraction.substr(0, 4);
    const auto amount = Currency::Parse((whole.empty() ? "0" : whole) + (kept.empty() ? "" : "." + kept));
    if (!amount) return std::nullopt;
    typed.amount = *amount;
    if (fraction.size() > 4 && fraction.find_first_not_of('0', 4) != std::string::npos)
        typed.amount = typed.amount + Currency::FromRaw(1); // never a round amount
    return typed;
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

Currency SuggestedBet(const BetLimits& limits, BetSize size)
{
    const RaiseRange range = RaiseAmounts(limits);
    if (!range.raise) return Currency();
    const Currency call = CallAmount(limits);
    const Currency potAfterCall = limits.pot + call;
    Currency amount = range.least;
    if (size == BetSize::Pot) amount = call + potAfterCall;
    if (size == BetSize::HalfPot) {
        // Half of the pot, in whole cents.
        constexpr std::int64_t cent = Currency::Scale / 100;
        amount = call + Currency::FromRaw(potAfterCall.Raw() / 2 / cent * cent);
    }
    return std::clamp(amount, range.least, range.most);
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
    CommandOutcome out;
    if (Trim(typed).empty()) {
        // Nothing typed: say what is due, if anything.
        const Currency call = CallAmount(limits);
        out.status = call.IsZero() ? "" : language.FormatText(Msg::CallAtLeast, cash(call));
        return out;
    }
    const std::optional<TypedAmount> parsed = ParseTypedAmount(typed, limits.currencySymbol);
    if (!parsed) {
        out.status = language.FormatText(Msg::AmountUnreadable, Trim(typed));
        return out;
    }
    const Currency amount = parsed->amount;
    if (amount <= Currency()) {
        const Currency call = CallAmount(limits);
        out.status = call.IsZero() ? language.FormatText(Msg::AmountUnreadable, Trim(typed))
                                   : language.FormatText(Msg::CallAtLeast, cash(call));
        return out;
    }
    if (amount.Raw() % Currency::Scale != 0 && parsed->decimals != 2) {
        out.status = language.LangText[Msg::TwoDecimals];
        return out;
    }
    // Everything else is the rules' own check, the one the host makes.
    out.accepted = true;
    out.request = BetRequest(amount);
    out.status = language.FormatText(Msg::YouBet, cash(amount));
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
    // At a protected table the signed request goes first; the seat's
    // record only mirrors it.
    if (!table.SignRequest(outcome.request)) {
        table.RestoreMyTurn();
        return false;
    }
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
