#include "engine/Table.h"

#include <algorithm>
#include <cmath>

#include "engine/Commands.h"
#include "engine/StrongBot.h"
#include "engine/TableInternal.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

void Table::BotStep(const std::string& status)
{
    Random& random = ProgramRandom();
    const int lines = static_cast<int>(m_language.BotChat.size()) - 1;
    if (lines >= 1 && random.Below(20) == 1) {
        const int i = random.Below(lines) + 1;
        Send("m" + FormatText(Msg::ChatLine, m_state.PlayerNames[m_state.CurrentPlayer],
                              m_language.BotChat[static_cast<std::size_t>(i)]));
    }
    if (!status.empty() && status[0] == 'P') {
        if (++m_state.BotTicks >= 3) {
            BotDecide();
            m_state.BotTicks = 0;
        }
    }
}

void Table::BotDecide()
{
    TableState& s = m_state;
    const int b = s.CurrentPlayer;
    if (b < 1 || b > s.PlayerCount || !(s.HandStake[b] > StakeFolded)) return;
    Random& random = ProgramRandom();
    const Currency cash = s.PlayerCash[b];
    std::string request;

    if (LevelOf(b) == BotLevel::Strong) {
        request = StrongDecide(SituationOf(b), random);
        PlayerRecord r = GetSeat(b);
        r.Action = request;
        PutSeat(b, r);
        m_botRequested = true;
        return;
    }

    if (s.HandStake[b] < s.MinBet) {
        if (random.Below(5) == 1) {
            request = "F";
        } else {
            const Currency call = s.MinBet - s.HandStake[b];
            request = BetRequest(call > cash ? cash : call);
        }
    } else {
        const int k = random.Below(5) + 1;
        if (k == 1 && cash > Currency()) {
            Currency amount;
            // A random amount from LastRaise up to the cap, in whole units.
            auto upTo = [&](Currency cap) {
                const double span = (cap - s.LastRaise).ToDouble() + 1.0;
                const double units = std::floor(span * random.Next());
                return Currency::FromDouble(units) + s.LastRaise;
            };
            if (m_session.GameType == "THLI") {
                const Currency limit = LimitsFor(b).bigBet ? s.BigBlind * 2 : s.BigBlind;
                amount = cash >= limit ? limit : Currency();
            } else if (m_session.GameType == "THPL") {
                amount = upTo(std::min(cash, s.Pot));
            } else if (m_session.GameType == "THNL") {
                amount = upTo(cash);
            }
            // A bot never bets more than it has.
            if (amount > cash) amount = cash;
            if (amount <= Currency()) return; // asked again three ticks later
            request = BetRequest(amount);
        } else {
            request = "C";
        }
    }

    // A bot plays by the rules every player does; what they refuse (a raise
    // after a short all in, an amount off the limit) becomes a check or call.
    const BetLimits limits = LimitsFor(b);
    if (CheckRequest(request, limits) != RequestFault::None) {
        const Currency call = limits.minBet > limits.myBet ? limits.minBet - limits.myBet : Currency();
        request = call.IsZero() ? "C" : BetRequest(std::min(call, cash));
    }

    PlayerRecord r = GetSeat(b);
    r.Action = request;
    PutSeat(b, r);
    m_botRequested = true;
}

BotLevel Table::LevelOf(int seat) const
{
    const auto& levels = m_session.BotLevels;
    return seat >= 0 && static_cast<std::size_t>(seat) < levels.size()
               ? levels[static_cast<std::size_t>(seat)]
               : BotLevel::Classic;
}

BotSituation Table::SituationOf(int seat) const
{
    const TableState& s = m_state;
    BotSituation out;
    const colHand& hand = m_deal->hands[static_cast<std::size_t>(seat)];
    if (hand.Count() >= 2) out.hole = {hand.Item(1), hand.Item(2)};
    for (int k = 1; k <= m_deal->board.Count(); ++k)
        if (m_deal->board.Item(k).facevalue >= 0) out.board.push_back(m_deal->board.Item(k));
    auto betOf = [&](int p) {
        return static_cast<std::size_t>(p) < m_betThisHand.size() ? m_betThisHand[static_cast<std::size_t>(p)]
                                                                  : Currency();
    };
    out.pot = s.Pot;
    out.stake = s.HandStake[seat] > StakeFolded ? s.HandStake[seat] : betOf(seat);
    out.level = s.MinBet;
    // Bets of this tick reach the game record (and LastRaise) only when it
    // is written.
    out.lastRaise = std::max(s.LastRaise, m_pendingRaise);
    out.bigBlind = s.BigBlind;
    out.cash = s.PlayerCash[seat];
    out.gameType = m_session.GameType;
    out.bigBet = s.BigBet || m_deal->board.Item(4).facevalue >= 0;

    // Positions count the seats dealt in, from the dealer on.
    int dealtIn = 0;
    std::vector<int> position(static_cast<std::size_t>(s.PlayerCount) + 1, -1);
    for (int step = 0; step < s.PlayerCount; ++step) {
        const int p = (s.Dealer - 1 + step) % s.PlayerCount + 1;
        if (s.HandStake[p] > StakeOut) position[static_cast<std::size_t>(p)] = dealtIn++;
    }
    out.dealtIn = std::max(dealtIn, 2);
    out.position = std::max(position[static_cast<std::size_t>(seat)], 0);
    for (int p = 1; p <= s.PlayerCount; ++p) {
        if (p == seat || position[static_cast<std::size_t>(p)] < 0) continue;
        BotOpponent o;
        o.allIn = s.HandStake[p] == StakeAllIn;
        o.live = s.HandStake[p] > StakeFolded || o.allIn;
        o.cash = s.PlayerCash[p];
        o.stake = betOf(p);
        o.position = position[static_cast<std::size_t>(p)];
        if (static_cast<std::size_t>(p) < m_seatHistory.size())
            o.history = m_seatHistory[static_cast<std::size_t>(p)];
        // Before the first request of a hand the notes are the last hand's.
        if (m_notedHand == s.HandNo && static_cast<std::size_t>(p) < m_handActions.size())
            o.did = m_handActions[static_cast<std::size_t>(p)];
        out.opponents.push_back(o);
    }
    return out;
}

void Table::ProcessAndNoteAction()
{
    TableState& s = m_state;
    const int p = s.CurrentPlayer;
    if (p < 1 || p > s.PlayerCount || !(s.HandStake[p] > StakeFolded)) {
        ProcessAction();
        return;
    }
    const long stage = s.Stage;
    const Currency before = s.HandStake[p];
    const Currency levelBefore = s.MinBet;
    const long long processed = m_counters.actionsProcessed;
    ProcessAction();
    if (m_counters.actionsProcessed == processed) return; // nothing applied

    const auto seats = static_cast<std::size_t>(s.PlayerCount) + 1;
    if (m_seatHistory.size() < seats) m_seatHistory.resize(seats);
    m_handActions.resize(seats);
    m_playedThisHand.resize(seats);
    if (m_notedHand != s.HandNo) {
        // The first request of a hand: every seat dealt in starts afresh.
        m_notedHand = s.HandNo;
        for (std::size_t q = 1; q < seats; ++q) {
            m_handActions[q] = HandActions{};
            m_playedThisHand[q] = false;
            if (s.HandStake[q] > StakeOut) ++m_seatHistory[q].handsDealt;
        }
    }
    const auto q = static_cast<std::size_t>(p);
    HandActions& did = m_handActions[q];
    SeatHistory& history = m_seatHistory[q];
    // Before the flop only a raise beyond the big blind counts as a bet to
    // answer: a fold to the blind says little about a player.
    const bool facing = before < levelBefore && (stage > StagePreFlop || levelBefore > s.BigBlind);
    if (facing) ++history.betsFaced;
    const Currency after = s.HandStake[p];
    if (after == StakeFolded) {
        if (facing) ++history.foldsToBets;
        return;
    }
    if (after == StakeOut) return;
    const Currency stake = after == StakeAllIn ? m_betThisHand[q] : after;
    const bool raised = stake > levelBefore;
    const bool called = !raised && stake > before;
    if (stage == StagePreFlop) {
        if (raised) ++did.preFlopRaises;
        if (called) ++did.preFlopCalls;
        if ((raised || called) && !m_playedThisHand[q]) {
            m_playedThisHand[q] = true;
            ++history.handsPlayed;
        }
    } else {
        if (raised) ++did.laterBets;
        if (called) ++did.laterCalls;
        if (!raised && !called) ++did.laterChecks;
    }
}

bool Table::PlayOwnSeat()
{
    const int me = m_session.MyPlayerNo;
    if (!IsHostTable() || !m_state.MyTurn || m_state.CurrentPlayer != me) return false;
    try {
        BotDecide();
        ReleaseFiles(); // outside a tick: stored at once
    } catch (const OperationCancelled&) {
        return false;
    } catch (const std::exception& e) {
        ReportError("Error in game tick: ", e.what());
        return false;
    }
    RequestWritten();
    return true;
}

bool Table::ResetStacks(Currency cash)
{
    TableState& s = m_state;
    if (!IsHostTable() || s.Stage != StageWaiting || cash <= Currency()) return false;
    try {
        for (int p = 1; p <= s.PlayerCount; ++p) {
            PlayerRecord r = GetSeat(p);
            const std::string action = Trim(r.Action);
            // A seat that left the game stays out; one that lost its chips
            // buys in again.
            if (action == "D") continue;
            if (s.HandStake[p] == StakeOut) {
                s.HandStake[p] = Currency();
                if (action == "O") r.Action = "-";
            }
            r.Cash = cash;
            s.PlayerCash[p] = cash;
            PutSeat(p, r);
            if (p == m_session.MyPlayerNo) m_session.MyCash = cash;
        }
        ReleaseFiles(); // outside a tick: stored at once
    } catch (const OperationCancelled&) {
        return false;
    } catch (const std::exception& e) {
        ReportError("Error in game tick: ", e.what());
        return false;
    }
    return true;
}

} // namespace scrivo
