#include "engine/Table.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/Commands.h"
#include "engine/StrongBot.h"
#include "engine/TableInternal.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

void Table::BotStep(GameStatus status)
{
    if (!status.IsTurn() || Parked() || ++m_state.BotTicks < 3) return;
    // A bot says something now and then as it acts: one roll per turn, so
    // that no line comes twice in one turn.
    Random& random = m_random;
    const int lines = static_cast<int>(m_language.BotChat.size()) - 1;
    if (lines >= 1 && random.Below(7) == 1) {
        const int i = random.Below(lines) + 1;
        if (m_protection)
            BotChat(m_state.CurrentPlayer, m_language.BotChat[static_cast<std::size_t>(i)]);
        else
            Send("m" + FormatText(Msg::ChatLine, m_state.PlayerNames[m_state.CurrentPlayer],
                                  m_language.BotChat[static_cast<std::size_t>(i)]));
    }
    BotDecide();
    m_state.BotTicks = 0;
}

void Table::BotDecide()
{
    const int b = m_state.CurrentPlayer;
    if (b < 1 || b != m_hand.toAct || m_hand.over) return;
    Random& random = m_random;
    const BetLimits limits = LimitsFor(b);
    const Currency cash = limits.myCash;
    const Currency call = CallAmount(limits);
    std::string request;

    if (static_cast<std::size_t>(b) < m_seatPlayers.size() && m_seatPlayers[static_cast<std::size_t>(b)]) {
        request = m_seatPlayers[static_cast<std::size_t>(b)](SituationOf(b), random);
    } else if (LevelOf(b) == BotLevel::Strong) {
        request = StrongDecide(SituationOf(b), random, m_botTrials);
    } else if (call > Currency()) {
        request = random.Below(5) == 1 ? "F" : BetRequest(std::min(call, cash));
    } else {
        const int k = random.Below(5) + 1;
        request = "C";
        const RaiseRange range = RaiseAmounts(limits);
        if (k == 1 && range.raise) {
            // A random amount from LastRaise up to the cap, in whole units,
            // kept within what the rules allow.
            const auto upTo = [&](Currency cap) {
                const double span = (cap - limits.lastRaise).ToDouble() + 1.0;
                const double units = std::floor(span * random.Next());
                return Currency::FromDouble(units) + limits.lastRaise;
            };
            Currency amount = range.least;
            if (m_session.GameType == "THPL")
                amount = upTo(std::min(cash, limits.pot));
            else if (m_session.GameType == "THNL")
                amount = upTo(cash);
            amount = std::clamp(amount, range.least, range.most);
            request = BetRequest(amount);
        }
    }

    // A bot plays by the rules every player does: whatever they refuse
    // becomes a check or a call in the same tick.
    if (CheckRequest(request, limits) != RequestFault::None)
        request = call.IsZero() ? "C" : BetRequest(std::min(call, cash));

    PlayerRecord r = GetSeat(b);
    r.Action = request;
    PutSeat(b, r);
    m_botRequested = true;
}

void Table::TakeBotRequest()
{
    const int b = m_state.CurrentPlayer;
    const long long processed = m_counters.actionsProcessed;
    // What the host decided for a seat of its own needs no signature.
    TickGuard own(m_takingOwnRequest);
    ProcessAndNoteAction();
    if (m_counters.actionsProcessed != processed || b < 1 || b != m_hand.toAct || m_hand.over) return;
    const BetLimits limits = LimitsFor(b);
    const Currency call = CallAmount(limits);
    for (const std::string& request :
         {call.IsZero() ? std::string("C") : BetRequest(std::min(call, limits.myCash)), std::string("F")}) {
        PlayerRecord r = GetSeat(b);
        r.Action = request;
        PutSeat(b, r);
        ProcessAndNoteAction();
        if (m_counters.actionsProcessed != processed) return;
    }
}

void Table::SetSeatPlayer(int seat, SeatPlayer player)
{
    if (seat < 1 || seat > MaxPlayers) return;
    if (m_seatPlayers.size() <= static_cast<std::size_t>(seat))
        m_seatPlayers.resize(static_cast<std::size_t>(seat) + 1);
    m_seatPlayers[static_cast<std::size_t>(seat)] = std::move(player);
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
    const HandState& h = m_hand;
    BotSituation out;
    if (seat < 1 || seat > h.SeatCount()) return out;
    const BetLimits limits = LimitsFor(seat);
    out.hole = h.Seat(seat).hole;
    out.board = h.board;
    out.pot = limits.pot;
    out.stake = limits.myBet;
    out.level = limits.minBet;
    out.lastRaise = limits.lastRaise;
    out.bigBlind = limits.bigBlind;
    out.cash = limits.myCash;
    out.gameType = limits.gameType;
    out.bigBet = limits.bigBet;
    out.rules = limits.rules;
    out.mayRaise = limits.mayRaise;
    out.betsThisRound = limits.betsThisRound;
    out.playersInHand = limits.playersInHand;

    // Positions count the seats dealt in, from the button on.
    const int n = h.SeatCount();
    int dealtIn = 0;
    std::vector<int> position(static_cast<std::size_t>(n) + 1, -1);
    for (int step = 0; step < n; ++step) {
        const int p = (h.button - 1 + step) % n + 1;
        if (h.Seat(p).dealt) position[static_cast<std::size_t>(p)] = dealtIn++;
    }
    out.dealtIn = std::max(dealtIn, 2);
    out.position = std::max(position[static_cast<std::size_t>(seat)], 0);
    for (int p = 1; p <= n; ++p) {
        if (p == seat || position[static_cast<std::size_t>(p)] < 0) continue;
        const HandSeat& other = h.Seat(p);
        BotOpponent o;
        o.allIn = other.InHand() && other.allIn;
        o.live = other.InHand();
        o.cash = other.stack;
        o.stake = other.total;
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
    // The request that ends the hand: who is still in shows down.
    if (m_hand.over) {
        int contenders = 0;
        for (int k = 1; k <= m_hand.SeatCount(); ++k)
            contenders += m_hand.Seat(k).InHand();
        for (int k = 1; contenders >= 2 && k <= m_hand.SeatCount() && static_cast<std::size_t>(k) < seats;
             ++k)
            m_seatHistory[static_cast<std::size_t>(k)].showdowns += m_hand.Seat(k).InHand();
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
        if (raised && did.preFlopRaises == 0) ++history.handsRaised;
        if (raised && after == StakeAllIn) ++history.shoves;
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
    const auto play = [&] {
        BotDecide();
        ReleaseFiles(); // outside a tick: stored at once
    };
    if (!Completes(
            play, [] {}, [this](const std::string& what) { ReportError("Error in game tick: ", what); }))
        return false;
    RequestWritten();
    return true;
}

bool Table::ResetStacks(Currency cash)
{
    TableState& s = m_state;
    if (!IsHostTable() || s.Stage != StageWaiting || cash <= Currency()) return false;
    const auto reset = [&] {
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
    };
    return Completes(
        reset, [] {}, [this](const std::string& what) { ReportError("Error in game tick: ", what); });
}

} // namespace scrivo
