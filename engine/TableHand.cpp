#include "engine/Table.h"

#include <algorithm>

#include "cards/Card.h"
#include "cards/Hand.h"
#include "cards/Pack.h"
#include "cards/Showdown.h"
#include "engine/TableInternal.h"
#include "engine/TableView.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

// Requests a player writes; what the host writes itself ("-", "X", "A") and
// a departure ("D") are not. An "O" in the turn's seat is a request the
// rules refuse: a player with the turn is not out.
bool IsRequest(const std::string& action)
{
    return !action.empty() && action != "-" && action != "X" && action != "A" && action != "D";
}

// Refusal notices one turn may add to the message file.
constexpr int RefusalNoticesPerTurn = 3;

} // namespace

int Table::CountActive() const
{
    int n = 0;
    for (int p = 1; p <= m_state.PlayerCount && p < static_cast<int>(m_state.HandStake.size()); ++p)
        if (m_state.HandStake[p] > StakeFolded) ++n;
    return n;
}

int Table::NextSeatInGame(int from) const
{
    const int n = m_state.PlayerCount;
    if (n <= 0 || CountActive() == 0) return 0;
    int p = from;
    for (int step = 0; step < n; ++step) {
        p = p % n + 1;
        if (m_state.HandStake[p] > StakeFolded) return p;
    }
    return 0;
}

BetLimits Table::LimitsFor(int player) const
{
    return scrivo::LimitsFor(m_hand, player, m_state.CurrencySymbol);
}

BetLimits Table::OwnLimits() const
{
    const int me = m_session.MyPlayerNo;
    if (IsHostTable() && m_hand.started && !m_hand.over && me >= 1 && me <= m_hand.SeatCount())
        return LimitsFor(me);
    const TableState& s = m_state;
    BetLimits limits;
    limits.myCash = m_session.MyCash;
    limits.myBet = s.MyBet;
    limits.minBet = s.MinBet;
    limits.lastRaise = s.LastRaise;
    limits.pot = s.Pot;
    limits.bigBlind = s.BigBlind;
    limits.gameType = m_session.GameType;
    limits.bigBet = s.BigBet;
    limits.currencySymbol = s.CurrencySymbol;
    limits.mayRaise = MayRaise(m_ownAction, s.MinBet);
    limits.rules = m_session.Rules;
    return limits;
}

std::vector<clsCard> Table::NewPack()
{
    colPack pack;
    pack.ResetPack();
    pack.Shuffle(m_random);
    std::vector<clsCard> order;
    if (!m_session.Deck.empty()) order = ParseCardList(m_session.Deck).cards;
    while (pack.Count() > 0)
        order.push_back(pack.TakeACard());
    // The given cards on top in their order, each card once.
    std::vector<clsCard> out;
    for (const clsCard& card : order)
        if (std::none_of(out.begin(), out.end(), [&](const clsCard& c) { return c.SameCard(card); }))
            out.push_back(card);
    return out;
}

void Table::SyncFromHand()
{
    TableState& s = m_state;
    const HandState& h = m_hand;
    EnsureSlots();
    for (int p = 1; p <= s.PlayerCount; ++p) {
        if (p > h.SeatCount() || !h.Seat(p).dealt) {
            // Seated after the deal, or not playing: no part in this hand.
            if (s.HandStake[p] > StakeFolded) s.HandStake[p] = StakeFolded;
            continue;
        }
        const HandSeat& seat = h.Seat(p);
        s.PlayerCash[p] = seat.stack;
        m_betThisHand[static_cast<std::size_t>(p)] = seat.total;
        s.HandStake[p] = seat.left     ? StakeOut
                         : seat.folded ? StakeFolded
                         : seat.allIn  ? StakeAllIn
                                       : seat.total;
    }
    s.Pot = PotTotal(h);
    s.MinBet = HandLevel(h);
    s.LastRaise = h.lastRaise;
    s.CurrentPlayer = h.toAct;
    s.Stage = static_cast<long>(h.street);
    m_gamePending = true;
}

void Table::StartHand()
{
    // A protected hand is dealt over several polls and may be under way
    // while the status still asks for it.
    if (m_protection && (Parked() || (m_hand.started && !m_hand.over) || ProtectedStartApplied())) return;
    // A protected round has started once its cards are dealt.
    if (!m_protection) m_roundStarting = false;
    TableState& s = m_state;
    EnsureSlots();
    s.BotTicks = 0;
    std::fill(m_betThisHand.begin(), m_betThisHand.end(), Currency());

    StartEvent start;
    start.config = HandConfig{m_session.Rules, m_session.GameType, s.SmallBlind, s.BigBlind};
    start.seats.resize(static_cast<std::size_t>(s.PlayerCount) + 1);
    for (int p = 1; p <= s.PlayerCount; ++p)
        start.seats[static_cast<std::size_t>(p)] =
            StartSeat{s.HandStake[p] > StakeFolded && s.PlayerCash[p] > Currency(), s.PlayerCash[p]};
    start.button = s.Dealer;
    start.pack = NewPack();
    if (m_protection ? ProtectedStart(start) : ApplyHandEvent(start) == RequestFault::None) return;

    // Nobody left to play against: the game cannot go on.
    int last = 0;
    for (int p = 1; p <= s.PlayerCount; ++p)
        if (s.HandStake[p] > StakeFolded) last = p;
    if (last > 0) Send("s" + FormatText(Msg::GameOver, s.PlayerNames[last]));
    WriteStatus(GameStatus::Ended, false);
    s.Stage = StageGameOver;
    Shown().GameEnded(*this);
}

RequestFault Table::ApplyHandEvent(const HandEvent& event)
{
    if (m_protection && ParkForCards(event)) return RequestFault::None;
    HandState next = m_hand;
    const HandStep step = Apply(next, event);
    if (!step.Accepted()) return step.fault;
    m_hand = std::move(next);
    if (const auto* start = std::get_if<StartEvent>(&event)) JournalHandStart(*start);
    const auto hand = static_cast<std::uint32_t>(m_state.HandNo);
    for (const HandEffect& e : step.effects)
        if (auto record = EffectRecord(e, hand)) Journal(*record);
    if (m_hand.over)
        for (const JournalRecord& record : HandEndRecords(m_hand, hand))
            Journal(record);
    StoreEffects(step.effects);
    return RequestFault::None;
}

// Every effect of a step becomes lines in the message file and changes to
// the seats' records; the status that follows them is written last.
void Table::StoreEffects(const std::vector<HandEffect>& effects)
{
    const TableState& s = m_state;
    const auto name = [&](int p) { return p >= 1 && p <= s.PlayerCount ? s.PlayerNames[p] : std::string(); };
    const auto money = [&](int p, const std::string& action) {
        PlayerRecord r = GetSeat(p);
        const HandSeat& seat = m_hand.Seat(p);
        r.Cash = seat.stack;
        r.Bet = seat.total;
        if (!action.empty()) r.Action = action;
        PutSeat(p, r);
    };
    bool holeCardsAnnounced = false;
    bool roundEnded = false;
    int turn = 0;
    int splitPending = 0;
    colHand board;
    for (const HandEffect& e : effects) {
        const int p = e.seat;
        switch (e.kind) {
        case EffectKind::Blind: {
            const MsgId line = e.small ? (e.allIn ? Msg::AllInSmallBlind : Msg::PostsSmallBlind)
                                       : (e.allIn ? Msg::AllInBigBlind : Msg::PostsBigBlind);
            Send("s" + FormatText(line, name(p), FormatCash(e.amount)));
            PlayerRecord r = GetSeat(p);
            r.Blind = e.small ? "SB" : "BB";
            PutSeat(p, r);
            money(p, e.allIn ? "A" : "");
            break;
        }
        case EffectKind::HoleCards: {
            if (!holeCardsAnnounced) Send("d" + FormatText(Msg::DealingHoleCards));
            holeCardsAnnounced = true;
            // A protected table's cards are in no file: each player uncovers his own.
            if (m_protection) break;
            PlayerRecord r = GetSeat(p);
            r.Card1 = CardToText(e.cards[0]);
            r.Card2 = CardToText(e.cards[1]);
            PutSeat(p, r);
            Send(std::to_string(p) + "c" + Trim(r.Card1) + "," + Trim(r.Card2));
            break;
        }
        case EffectKind::Check:
            if (e.timedOut) Send("s" + FormatText(Msg::TimedOutChecks, name(p)));
            Send("s" + FormatText(Msg::Checks, name(p)));
            money(p, "-");
            break;
        case EffectKind::Call:
            Send("s" + (e.allIn ? FormatText(Msg::GoesAllIn, name(p), FormatCash(e.amount))
                                : FormatText(Msg::Calls, name(p), FormatCash(e.amount))));
            money(p, e.allIn ? "A" : "-");
            break;
        case EffectKind::BetRaise:
            Send("s" + FormatText(e.allIn ? Msg::AllInRaising : Msg::PutsInRaising, name(p),
                                  FormatCash(e.amount), FormatCash(e.to)));
            money(p, e.allIn ? "A" : "-");
            break;
        case EffectKind::Fold:
            if (e.left) {
                // A player who left folds without a word; his "D" stays.
                break;
            }
            if (e.timedOut)
                Send("s" + FormatText(m_forcingAway ? Msg::AwayFolds : Msg::TimedOutFolds, name(p)));
            Send("w" + FormatText(Msg::Folds, name(p)));
            money(p, "X");
            break;
        case EffectKind::Board: {
            static const MsgId announcement[] = {Msg::RestOfBoard, Msg::Flop, Msg::Turn, Msg::River};
            const MsgId line = e.runOut ? Msg::RestOfBoard : announcement[static_cast<int>(e.street)];
            Send("d\r\n" + FormatText(line));
            PlayerRecord r = GetSeat(BoardPlayerNo);
            std::string* fields[] = {&r.Card1, &r.Card2, &r.Card3, &r.Card4, &r.Card5};
            for (std::size_t i = 0; i < m_hand.board.size() && i < 5; ++i)
                *fields[i] = CardToText(m_hand.board[i]);
            PutSeat(BoardPlayerNo, r);
            Send("c" + CardListText(e.cards));
            roundEnded = true;
            break;
        }
        case EffectKind::Return:
            Send("w" + FormatText(Msg::UncalledReturned, name(p), FormatCash(e.amount)));
            money(p, "");
            break;
        case EffectKind::Pot:
            splitPending = 0;
            if (e.seats.size() < 2) {
                const int c = e.seats.empty() ? 0 : e.seats.front();
                if (e.pot <= 1)
                    Send("d" + FormatText(Msg::MainPotUncontested, name(c)));
                else
                    Send("d" + FormatText(Msg::SidePotUncontested, name(c), std::to_string(e.pot - 1)));
            } else {
                Send(e.pot <= 1 ? "d" + FormatText(Msg::ShowdownMainPot)
                                : "d" + FormatText(Msg::ShowdownSidePot, std::to_string(e.pot - 1)));
                if (e.winners > 1) splitPending = e.winners;
                board = colHand(m_hand.board);
            }
            break;
        case EffectKind::Show: {
            const ShowdownResult result = EvaluateShowdown(colHand(e.cards), board, m_language);
            // The hole cards go on the name's line and the best five on a line
            // of their own, so a reader that knows only the name and the best
            // five still draws both card lines.
            Send("n" + name(p) + ": ");
            Send("c" + CardListText(e.cards));
            Send("c" + result.BestCards);
            Send("t" + result.Description);
            break;
        }
        case EffectKind::Win:
            if (splitPending > 1)
                Send("s\r\n" + FormatText(Msg::PlayersSharePot, std::to_string(splitPending)));
            splitPending = 0;
            Send("w" + FormatText(Msg::Wins, name(p), FormatCash(e.amount)));
            money(p, "");
            break;
        case EffectKind::Turn:
            turn = p;
            break;
        case EffectKind::HandOver:
            break;
        }
    }
    SyncFromHand();
    if (m_hand.over) {
        m_handEndPending = true;
        WriteStatus(GameStatus::HandOver, true);
        return;
    }
    if (turn != 0) WriteTurn(turn, roundEnded);
}

void Table::WriteTurn(int player, bool roundEnded)
{
    m_refusals = 0;
    MarkTurn();
    // A request written before the turn came is not the answer to it.
    PlayerRecord r = GetSeat(player);
    if (IsRequest(Trim(r.Action))) {
        r.Action = "-";
        PutSeat(player, r);
    }
    // The private notice goes out with the status, so the player whose turn
    // it is finds it in the file as soon as it sees the status.
    Send(std::to_string(player) + "s" + FormatText(Msg::YourTurn));
    WriteStatus(GameStatus::Turn(player), roundEnded);
    // The host's own turn is his as soon as it is written, not a poll later.
    m_state.MyTurn = player == m_session.MyPlayerNo;
}

void Table::RefuseRequest(int player, RequestFault fault)
{
    PlayerRecord r = GetSeat(player);
    r.Action = "-";
    PutSeat(player, r);
    if (++m_refusals > RefusalNoticesPerTurn) return;
    const std::string why = RefusalText(fault, LimitsFor(player), m_language);
    Send(std::to_string(player) + "s" + (why.empty() ? "" : why + " ") + FormatText(Msg::YourTurn));
}

void Table::ProcessAction()
{
    TableState& s = m_state;
    const int current = s.CurrentPlayer;
    if (current < 1 || current > s.PlayerCount || current != m_hand.toAct || m_hand.over || Parked()) return;

    std::string request;
    if (m_protection && !m_takingOwnRequest) {
        // Only what the seat's player signed.
        request = Trim(SignedRequest(current).value_or(std::string()));
    } else {
        request = Trim(GetSeat(current).Action);
    }
    if (!IsRequest(request) && request != "D") return;
    if (!m_forcing && request != "D") {
        // The player acts himself: he is back.
        EnsureSlots();
        const auto index = static_cast<std::size_t>(current);
        m_timeouts[index] = 0;
        if (m_away[index]) Send(std::to_string(current) + "b" + FormatText(Msg::YouAreBack));
        m_away[index] = false;
    }
    RequestFault fault = RequestFault::None;
    if (request == "D") {
        // The player left the table.
        fault = ApplyHandEvent(LeaveEvent{current});
    } else if (const auto parsed = ParseRequest(current, request)) {
        fault = ApplyHandEvent(*parsed);
    } else {
        fault = RequestFault::Unknown;
    }
    if (fault != RequestFault::None) {
        RefuseRequest(current, fault);
        return;
    }
    // One waiting for cards counts once it is applied.
    if (!Parked()) ++m_counters.actionsProcessed;
}

void Table::CheckTurnTime(GameStatus statusAtTickStart)
{
    TableState& s = m_state;
    const int p = s.CurrentPlayer;
    if (p < 1 || p > s.PlayerCount || p != m_hand.toAct || m_hand.over || Parked()) return;
    // Bots act by themselves.
    if (p >= 2 && p <= m_session.BotCount + 1) return;
    EnsureSlots();
    const auto index = static_cast<std::size_t>(p);
    NoteAbsentSeat(p);
    // Without a turn time only a player who is away is acted for. An away
    // player's turn is his for a few seconds too: his window shows it, and
    // any key he presses then brings him back.
    if (m_session.TurnSeconds <= 0 && !m_away[index]) return;
    const int seconds = !m_away[index]              ? m_session.TurnSeconds
                        : m_session.TurnSeconds > 0 ? std::min(m_session.TurnSeconds, AwayTurnSeconds)
                                                    : AwayTurnSeconds;
    if (statusAtTickStart != GameStatus::Turn(p)) return;
    if (ProgramClock().Now() - m_turnStarted < std::chrono::seconds(seconds)) return;
    if (!m_away[index] && ++m_timeouts[index] >= TimeoutsToAway) {
        m_away[index] = true;
        Send(std::to_string(p) + "a" + FormatText(Msg::YouAreAway));
    }
    m_forcing = true;
    m_forcingAway = m_away[index];
    try {
        if (ApplyHandEvent(TimeoutEvent{p}) == RequestFault::None && !Parked()) ++m_counters.actionsProcessed;
    } catch (...) {
        m_forcing = m_forcingAway = false;
        throw;
    }
    m_forcing = m_forcingAway = false;
}

} // namespace scrivo
