#include "engine/Table.h"

#include <algorithm>
#include <optional>

#include "engine/TableInternal.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

int Table::CountActive() const
{
    int n = 0;
    for (int p = 1; p <= m_state.PlayerCount && p < static_cast<int>(m_state.HandStake.size()); ++p)
        if (m_state.HandStake[p] > StakeFolded) ++n;
    return n;
}

int Table::CountInHand() const
{
    int n = 0;
    for (int p = 1; p <= m_state.PlayerCount && p < static_cast<int>(m_state.HandStake.size()); ++p)
        if (m_state.HandStake[p] > StakeFolded || m_state.HandStake[p] == StakeAllIn) ++n;
    return n;
}

int Table::NextPlayer(int from)
{
    if (CountActive() == 0) return 0;
    int p = from;
    for (;;) {
        ++p;
        if (p > m_state.PlayerCount) p = 1;
        if (p == m_state.BetStarter) m_state.RoundOnce = true;
        if (m_state.HandStake[p] > StakeFolded) return p;
    }
}

// Moves the amount from the player's cash into the pot, in the engine and in
// the player's record (not yet written back). False when the record cannot
// cover it: then nothing moves.
bool Table::ApplyBet(PlayerRecord& record, int player, Currency amount, const std::string& blindTag)
{
    if (record.Cash < amount) return false;
    TableState& s = m_state;
    s.PlayerCash[player] -= amount;
    record.Cash = s.PlayerCash[player];
    record.Bet += amount;
    if (static_cast<std::size_t>(player) < m_betThisHand.size())
        m_betThisHand[static_cast<std::size_t>(player)] += amount;
    s.Pot += amount;
    s.RoundStake[player] += amount;
    if (!blindTag.empty()) record.Blind = blindTag;
    m_gamePending = true;
    if (blindTag.empty() && amount > m_pendingRaise) m_pendingRaise = amount;
    return true;
}

bool Table::PlaceBet(int player, Currency amount, const std::string& blindTag)
{
    bool placed = false;
    {
        PlayerRecord r = GetSeat(player);
        placed = ApplyBet(r, player, amount, blindTag);
        if (placed) PutSeat(player, r);
    }
    if (!placed) {
        ReleaseFiles(); // no dialog keeps the other clients waiting
        MsgBox("Internal Error - Not enough money for bet: " + m_state.PlayerNames[player]);
    }
    return placed;
}

BetLimits Table::LimitsFor(int player) const
{
    const TableState& s = m_state;
    BetLimits limits;
    limits.myCash = s.PlayerCash[player];
    limits.myBet = s.HandStake[player] > StakeFolded ? s.HandStake[player] : Currency();
    limits.minBet = s.MinBet;
    limits.lastRaise = std::max(s.LastRaise, m_pendingRaise);
    limits.pot = s.Pot;
    limits.bigBlind = s.BigBlind;
    limits.gameType = m_session.GameType;
    // The host knows its own board: the drawn flag may lag behind when the
    // same player ends one round and opens the next.
    limits.bigBet = s.BigBet || m_deal->board.Item(4).facevalue >= 0;
    limits.currencySymbol = s.CurrencySymbol;
    if (static_cast<std::size_t>(player) < m_roundActions.size())
        limits.mayRaise = MayRaise(m_roundActions[static_cast<std::size_t>(player)], s.MinBet);
    return limits;
}

void Table::NoteAction(int player, Currency amount)
{
    EnsureSlots();
    m_roundActions[static_cast<std::size_t>(player)] = ActionRecord(LimitsFor(player), amount);
}

bool Table::ProcessBet(int player, PlayerRecord& r, std::string_view request)
{
    TableState& s = m_state;
    const std::string& name = s.PlayerNames[player];
    if (CheckRequest(request, LimitsFor(player)) != RequestFault::None) return false;
    const Currency amount = *Currency::Parse(request.substr(1));
    // The record is what the chips come from: it must cover them too.
    if (amount > r.Cash) return false;
    NoteAction(player, amount);
    if (amount == s.PlayerCash[player]) {
        s.HandStake[player] += amount;
        if (s.HandStake[player] > s.MinBet) {
            s.MinBet = s.HandStake[player];
            Send("s" + FormatText(Msg::AllInRaising, name, FormatCash(amount), FormatCash(s.MinBet)));
        } else {
            Send("s" + FormatText(Msg::GoesAllIn, name, FormatCash(amount)));
        }
        s.HandStake[player] = StakeAllIn;
        r.Action = "A";
    } else {
        s.HandStake[player] += amount;
        if (s.HandStake[player] > s.MinBet) {
            s.MinBet = s.HandStake[player];
            Send("s" + FormatText(Msg::PutsInRaising, name, FormatCash(amount), FormatCash(s.MinBet)));
        } else {
            Send("s" + FormatText(Msg::Calls, name, FormatCash(amount)));
        }
        r.Action = "-";
    }
    ApplyBet(r, player, amount, "");
    return true;
}

void Table::ProcessAction()
{
    TableState& s = m_state;
    const int current = s.CurrentPlayer;
    if (current < 1 || current > s.PlayerCount) return;
    const std::string& name = s.PlayerNames[current];

    {
        PlayerRecord r = GetSeat(current);
        const std::string request = Trim(r.Action);
        if (request.empty() || request == "-") return;
        if (!m_forcing && request != "D") {
            // The player acts himself: he is back.
            EnsureSlots();
            m_timeouts[static_cast<std::size_t>(current)] = 0;
            m_away[static_cast<std::size_t>(current)] = false;
        }

        // A request that command entry would refuse is handed back: the
        // Action returns to "-", the turn stays, and the player is told
        // again that it is their turn.
        auto refuse = [&] {
            r.Action = "-";
            PutSeat(current, r);
            Send(std::to_string(current) + "s" + FormatText(Msg::YourTurn));
        };

        if (request == "D") {
            // The player left the table.
            s.HandStake[current] = StakeOut;
        } else if (CheckRequest(request, LimitsFor(current)) != RequestFault::None) {
            refuse();
            return;
        } else if (request == "C") {
            Send("s" + FormatText(Msg::Checks, name));
            NoteAction(current, Currency());
            r.Action = "-";
            PutSeat(current, r);
        } else if (request == "F") {
            Send("w" + FormatText(Msg::Folds, name));
            r.Action = "X";
            PutSeat(current, r);
            s.HandStake[current] = StakeFolded;
        } else {
            if (!ProcessBet(current, r, request)) {
                refuse();
                return;
            }
            PutSeat(current, r);
        }
    }
    ++m_counters.actionsProcessed;

    s.CurrentPlayer = NextPlayer(current);
    const int next = s.CurrentPlayer;
    const Currency nextStake = s.HandStake[next];
    const bool goesOn = !(nextStake == s.MinBet && s.RoundOnce && s.Stage < StageShowdown) && next != 0 &&
                        (CountActive() >= 2 || nextStake != s.MinBet);
    if (goesOn) {
        WriteTurn(false);
        return;
    }
    FinishRound();
    WriteTurn(true);
}

void Table::CheckTurnTime(const std::string& statusAtTickStart)
{
    TableState& s = m_state;
    const int p = s.CurrentPlayer;
    if (m_session.TurnSeconds <= 0 || p < 1 || p > s.PlayerCount || s.Stage < StagePreFlop ||
        s.Stage >= StageShowdown)
        return;
    // Bots act by themselves.
    if (p >= 2 && p <= m_session.BotCount + 1) return;
    if (!(s.HandStake[p] > StakeFolded)) return;
    EnsureSlots();
    const auto index = static_cast<std::size_t>(p);
    const bool free = s.HandStake[p] >= s.MinBet;
    std::string request = free ? "C" : "F";
    MsgId line = free ? Msg::TimedOutChecks : Msg::TimedOutFolds;
    if (m_away[index]) {
        // He has had one poll to show he is back.
        if (statusAtTickStart != "P" + std::to_string(p)) return;
        request = "F";
        line = Msg::AwayFolds;
    } else {
        if (ProgramClock().Now() - m_turnStarted < std::chrono::seconds(m_session.TurnSeconds)) return;
        if (++m_timeouts[index] >= 2) m_away[index] = true;
    }
    Send("s" + FormatText(line, s.PlayerNames[p]));
    {
        PlayerRecord r = GetSeat(p);
        r.Action = request;
        PutSeat(p, r);
    }
    m_forcing = true;
    try {
        ProcessAction();
    } catch (...) {
        m_forcing = false;
        throw;
    }
    m_forcing = false;
}

// End of a betting round: pots, then the next cards or the showdown.
void Table::FinishRound()
{
    TableState& s = m_state;
    ++s.Stage;
    BuildSidePots();
    for (Currency& stake : s.RoundStake)
        stake = Currency();
    if (CountActive() < 2 && s.Stage < StageShowdown) {
        if (CountInHand() > 1) DealBoard(0);
        s.Stage = StageShowdown;
    }
    if (s.Stage == StageShowdown) {
        Showdown();
        s.CurrentPlayer = 0;
    } else {
        s.CurrentPlayer = NextPlayer(s.Dealer);
        DealBoard(static_cast<int>(s.Stage));
    }
    s.RoundOnce = false;
    s.BetStarter = s.CurrentPlayer;
    std::fill(m_roundActions.begin(), m_roundActions.end(), RoundAction{});
}

void Table::WriteTurn(bool roundEnded)
{
    if (m_state.Stage >= StageShowdown) {
        WriteStatus("RE", true);
        return;
    }
    // The private notice goes out with the status, so the player whose turn
    // it is finds it in the file as soon as it sees the status.
    Send(std::to_string(m_state.CurrentPlayer) + "s" + FormatText(Msg::YourTurn));
    WriteStatus("P" + std::to_string(m_state.CurrentPlayer), roundEnded);
}

} // namespace scrivo
