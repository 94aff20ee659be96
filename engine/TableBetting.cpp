#include "engine/Table.h"

#include <optional>

#include "engine/TableInternal.h"
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

void Table::ProcessAction()
{
    TableState& s = m_state;
    const int current = s.CurrentPlayer;
    if (current < 1 || current > s.PlayerCount) return;
    const std::string& name = s.PlayerNames[current];

    // Warnings are shown after the file is closed: a dialog must never keep
    // the other clients waiting for usr.spk.
    std::string checkWarning;
    bool betWarning = false;
    {
        PlayerRecord r = GetSeat(current);
        const std::string request = Trim(r.Action);
        if (request.empty() || request == "-") return;

        // A request that cannot be applied as it stands is handed back: the
        // Action returns to "-", the turn stays, and the player is told again
        // that it is their turn.
        auto refuse = [&] {
            r.Action = "-";
            PutSeat(current, r);
            Send(std::to_string(current) + "s" + FormatText(Msg::YourTurn));
        };

        switch (request[0]) {
        case 'C':
            Send("s" + FormatText(Msg::Checks, name));
            if (s.HandStake[current] < s.MinBet)
                checkWarning = name + " tried to check but it's only got " + s.HandStake[current].ToString();
            r.Action = "-";
            PutSeat(current, r);
            break;
        case 'R': {
            const std::optional<Currency> parsed = Currency::Parse(std::string_view(request).substr(1));
            if (!parsed || *parsed <= Currency() || *parsed > s.PlayerCash[current] || *parsed > r.Cash) {
                refuse();
                return;
            }
            const Currency amount = *parsed;
            if (amount == s.PlayerCash[current]) {
                s.HandStake[current] += amount;
                if (s.HandStake[current] > s.MinBet) {
                    s.MinBet = s.HandStake[current];
                    Send("s" + FormatText(Msg::AllInRaising, name, FormatCash(amount), FormatCash(s.MinBet)));
                } else {
                    Send("s" + FormatText(Msg::GoesAllIn, name, FormatCash(amount)));
                }
                s.HandStake[current] = StakeAllIn;
                r.Action = "A";
            } else {
                if (s.HandStake[current] + amount < s.MinBet) betWarning = true;
                s.HandStake[current] += amount;
                if (s.HandStake[current] > s.MinBet) {
                    s.MinBet = s.HandStake[current];
                    Send("s" +
                         FormatText(Msg::PutsInRaising, name, FormatCash(amount), FormatCash(s.MinBet)));
                } else {
                    Send("s" + FormatText(Msg::Calls, name, FormatCash(amount)));
                }
                r.Action = "-";
            }
            ApplyBet(r, current, amount, "");
            PutSeat(current, r);
            break;
        }
        case 'F':
            Send("w" + FormatText(Msg::Folds, name));
            r.Action = "X";
            PutSeat(current, r);
            s.HandStake[current] = StakeFolded;
            break;
        case 'D':
        case 'O':
            s.HandStake[current] = StakeOut;
            break;
        default:
            refuse();
            return;
        }
    }
    ++m_counters.actionsProcessed;
    if (!checkWarning.empty() || betWarning) ReleaseFiles();
    if (!checkWarning.empty())
        MsgBox(checkWarning, MsgButtons::Ok, MsgIcon::Critical, "Internal Check error");
    if (betWarning) MsgBox("Internal bet error. Argh.");

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
