#include "engine/Commands.h"

#include <cctype>

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
    return limits;
}

std::string BetRequest(Currency amount)
{
    return "R" + amount.ToString();
}

CommandOutcome CheckOrCall(const BetLimits& limits, const Language& language)
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
    out.accepted = true;
    out.request = BetRequest(limits.myCash);
    out.status = language.FormatText(Msg::YouAllIn, FormatCash(limits.myCash, limits.currencySymbol));
    return out;
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
    return out;
}

bool WriteRequest(Table& table, const CommandOutcome& outcome)
{
    if (!outcome.accepted || outcome.request.empty() || !table.MyTurn()) return false;
    // The turn is given up before the write so that a second key press
    // cannot write a second request for the same turn.
    table.ClearMyTurn();
    const GameSession& session = table.Session();
    const FolderStatus written = WritePlayerRecord(session.GameFolder, outcome.request, session.MyPlayerNo);
    if (!written) {
        ReportFailure("Error writing player status: ", written);
        table.RestoreMyTurn();
        return false;
    }
    table.RequestWritten();
    return true;
}

} // namespace scrivo
