#include "engine/hand/HandMachine.h"

#include <algorithm>

#include "cards/Evaluator.h"
#include "cards/Hand.h"

namespace scrivo {

namespace {

constexpr std::int64_t Cent = Currency::Scale / 100;

bool Classic(const HandState& s)
{
    return s.config.rules == HandRules::Classic;
}

int CountActive(const HandState& s)
{
    int n = 0;
    for (int p = 1; p <= s.SeatCount(); ++p)
        if (s.Seat(p).Active()) ++n;
    return n;
}

int CountInHand(const HandState& s)
{
    int n = 0;
    for (int p = 1; p <= s.SeatCount(); ++p)
        if (s.Seat(p).InHand()) ++n;
    return n;
}

// The first seat after `from`, going round the table, that pred accepts.
template <typename Pred> int NextSeat(const HandState& s, int from, Pred pred)
{
    const int n = s.SeatCount();
    if (n <= 0) return 0;
    int p = from < 1 || from > n ? n : from;
    for (int step = 0; step < n; ++step) {
        p = p % n + 1;
        if (pred(p)) return p;
    }
    return 0;
}

// Whether the seat still owes an answer in this round: a call, or its first
// action while someone else can still bet.
bool NeedsToAct(const HandState& s, int p)
{
    const HandSeat& seat = s.Seat(p);
    if (!seat.Active()) return false;
    if (seat.round < s.level) return true;
    return !seat.acted && CountActive(s) >= 2;
}

clsCard Draw(HandState& s)
{
    return s.pack[s.nextCard++];
}

void PutIn(HandSeat& seat, Currency amount)
{
    seat.stack -= amount;
    seat.round += amount;
    seat.total += amount;
    if (seat.stack.IsZero()) seat.allIn = true;
}

HandEffect Effect(EffectKind kind, int seat = 0)
{
    HandEffect e;
    e.kind = kind;
    e.seat = seat;
    return e;
}

Currency LimitSize(const HandState& s)
{
    return s.street >= Street::Turn ? s.config.bigBlind * 2 : s.config.bigBlind;
}

void AskNext(HandState& s, int seat, std::vector<HandEffect>& out)
{
    s.toAct = seat;
    out.push_back(Effect(EffectKind::Turn, seat));
}

// Pays amount among the winners to the cent; the odd cents go one by one to
// the winners from the left of the button, so that the whole pot is paid.
void PaySplit(HandState& s, const std::vector<int>& winners, Currency amount, int pot,
              std::vector<HandEffect>& out)
{
    const auto n = static_cast<std::int64_t>(winners.size());
    const std::int64_t base = amount.Raw() / n / Cent * Cent;
    std::int64_t left = amount.Raw() - base * n;
    const int seats = s.SeatCount();
    std::vector<int> order = winners;
    const auto fromButton = [&](int p) { return (p - s.button - 1 + seats) % seats; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return fromButton(a) < fromButton(b); });
    std::vector<Currency> share(static_cast<std::size_t>(seats) + 1);
    for (int p : order) {
        const std::int64_t extra = std::min(left, Cent);
        left -= extra;
        share[static_cast<std::size_t>(p)] = Currency::FromRaw(base + extra);
    }
    for (int p : winners) {
        const Currency paid = share[static_cast<std::size_t>(p)];
        s.Seat(p).stack += paid;
        HandEffect win = Effect(EffectKind::Win, p);
        win.amount = paid;
        win.pot = pot;
        out.push_back(win);
    }
}

void EndHand(HandState& s, std::vector<HandEffect>& out)
{
    // The seats keep what they put in, for the records of the hand; the pot
    // itself is paid out.
    s.toAct = 0;
    s.over = true;
    s.street = Street::Showdown;
    out.push_back(Effect(EffectKind::HandOver));
}

// Everybody else folded: the last player in takes everything.
void EndByFolds(HandState& s, std::vector<HandEffect>& out)
{
    const int winner = NextSeat(s, 0, [&](int p) { return s.Seat(p).InHand(); });
    HandEffect pot = Effect(EffectKind::Pot);
    pot.pot = 1;
    pot.amount = PotTotal(s);
    pot.seats = {winner};
    pot.winners = 1;
    out.push_back(pot);
    if (winner > 0) {
        s.Seat(winner).stack += pot.amount;
        HandEffect win = Effect(EffectKind::Win, winner);
        win.amount = pot.amount;
        win.pot = 1;
        out.push_back(win);
    }
    EndHand(s, out);
}

// The pots of the hand from what each seat put in: a main pot up to the
// smallest all in of the players still in, a side pot above each further
// one. Folded players' chips are dead money in the pots they reached.
std::vector<HandPot> BuildPots(const HandState& s)
{
    std::vector<Currency> levels;
    for (int p = 1; p <= s.SeatCount(); ++p)
        if (s.Seat(p).InHand()) levels.push_back(s.Seat(p).total);
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    std::vector<HandPot> pots;
    Currency previous;
    for (const Currency level : levels) {
        HandPot pot;
        for (int p = 1; p <= s.SeatCount(); ++p) {
            const HandSeat& seat = s.Seat(p);
            if (!seat.dealt) continue;
            const Currency in = std::min(seat.total, level);
            if (in > previous) pot.amount += in - previous;
            if (seat.InHand() && seat.total >= level) pot.eligible.push_back(p);
        }
        if (pot.amount > Currency()) pots.push_back(std::move(pot));
        previous = level;
    }
    // Chips above the highest stake still in (only a folded player's could
    // be) stay with the last pot.
    for (int p = 1; p <= s.SeatCount(); ++p)
        if (s.Seat(p).total > previous && !pots.empty()) pots.back().amount += s.Seat(p).total - previous;
    return pots;
}

void Showdown(HandState& s, std::vector<HandEffect>& out)
{
    const std::vector<HandPot> pots = BuildPots(s);
    colHand board(s.board);
    std::vector<double> score(s.seats.size(), -1.0);
    for (int p = 1; p <= s.SeatCount(); ++p) {
        const HandSeat& seat = s.Seat(p);
        if (seat.InHand() && s.board.size() == 5)
            score[static_cast<std::size_t>(p)] =
                BestScore(colHand(std::vector<clsCard>{seat.hole[0], seat.hole[1]}), board);
    }
    // The highest side pot first, the main pot last.
    for (std::size_t k = pots.size(); k-- > 0;) {
        const HandPot& pot = pots[k];
        const int number = static_cast<int>(k) + 1;
        double best = -1.0;
        for (int p : pot.eligible)
            best = std::max(best, score[static_cast<std::size_t>(p)]);
        std::vector<int> winners;
        for (int p : pot.eligible)
            if (score[static_cast<std::size_t>(p)] == best) winners.push_back(p);
        HandEffect head = Effect(EffectKind::Pot);
        head.pot = number;
        head.amount = pot.amount;
        head.seats = pot.eligible;
        head.winners = static_cast<int>(winners.size());
        out.push_back(head);
        if (pot.eligible.size() > 1) {
            for (int p : pot.eligible) {
                HandEffect show = Effect(EffectKind::Show, p);
                show.pot = number;
                show.score = score[static_cast<std::size_t>(p)];
                show.cards = {s.Seat(p).hole[0], s.Seat(p).hole[1]};
                out.push_back(show);
            }
        }
        PaySplit(s, winners, pot.amount, number, out);
    }
    EndHand(s, out);
}

void DealBoardCards(HandState& s, Street street, bool runOut, std::vector<HandEffect>& out)
{
    HandEffect e = Effect(EffectKind::Board);
    e.street = street;
    e.runOut = runOut;
    const std::size_t want = street == Street::Flop ? 3 : street == Street::Turn ? 4 : 5;
    if (!s.givenBoard.empty()) {
        // A replay: the recorded board in order, whatever the burns were.
        if (runOut && Classic(s)) e.street = Street::River;
        const std::size_t upTo = runOut && Classic(s) ? 5 : want;
        while (s.board.size() < upTo) {
            s.board.push_back(s.board.size() < s.givenBoard.size() ? s.givenBoard[s.board.size()] : Draw(s));
            e.cards.push_back(s.board.back());
        }
        out.push_back(e);
        return;
    }
    if (runOut && Classic(s)) {
        // The older table burns once (twice before a flop) and deals the
        // rest of the board in one go.
        ++s.nextCard;
        if (s.board.empty()) ++s.nextCard;
        while (s.board.size() < 5) {
            s.board.push_back(Draw(s));
            e.cards.push_back(s.board.back());
        }
        e.street = Street::River;
        out.push_back(e);
        return;
    }
    while (s.board.size() < want) {
        // A card is burnt before each street.
        if (s.board.empty() || s.board.size() == 3 || s.board.size() == 4) ++s.nextCard;
        const std::size_t streetEnd = s.board.empty() ? 3 : s.board.size() + 1;
        while (s.board.size() < streetEnd) {
            s.board.push_back(Draw(s));
            e.cards.push_back(s.board.back());
        }
    }
    out.push_back(e);
}

// What nobody matched of the highest stake of the round goes back.
void ReturnUncalled(HandState& s, std::vector<HandEffect>& out)
{
    int top = 0;
    Currency highest;
    Currency second;
    for (int p = 1; p <= s.SeatCount(); ++p) {
        const Currency r = s.Seat(p).round;
        if (r > highest) {
            second = highest;
            highest = r;
            top = p;
        } else if (r > second) {
            second = r;
        }
    }
    if (top == 0 || highest <= second) return;
    HandSeat& seat = s.Seat(top);
    const Currency back = highest - second;
    seat.stack += back;
    seat.round -= back;
    seat.total -= back;
    seat.allIn = seat.stack.IsZero();
    HandEffect e = Effect(EffectKind::Return, top);
    e.amount = back;
    out.push_back(e);
}

void FinishRound(HandState& s, std::vector<HandEffect>& out)
{
    ReturnUncalled(s, out);
    if (CountInHand(s) <= 1) {
        EndByFolds(s, out);
        return;
    }
    for (int p = 1; p <= s.SeatCount(); ++p) {
        HandSeat& seat = s.Seat(p);
        seat.round = Currency();
        seat.acted = false;
        seat.last = RoundAction{};
    }
    s.level = Currency();
    s.lastRaise = Currency();
    s.bets = 0;
    s.toAct = 0;
    s.street = static_cast<Street>(static_cast<int>(s.street) + 1);
    if (s.street == Street::Showdown) {
        Showdown(s, out);
        return;
    }
    if (CountActive(s) < 2) {
        // Nobody is left to bet against: the rest of the board at once.
        DealBoardCards(s, Street::River, true, out);
        s.street = Street::Showdown;
        Showdown(s, out);
        return;
    }
    DealBoardCards(s, s.street, false, out);
    AskNext(s, NextSeat(s, s.button, [&](int p) { return NeedsToAct(s, p); }), out);
}

void Advance(HandState& s, int from, std::vector<HandEffect>& out)
{
    if (CountInHand(s) <= 1) {
        ReturnUncalled(s, out);
        EndByFolds(s, out);
        return;
    }
    const int next = NextSeat(s, from, [&](int p) { return NeedsToAct(s, p); });
    if (next != 0) {
        AskNext(s, next, out);
        return;
    }
    FinishRound(s, out);
}

HandStep Start(HandState& state, const StartEvent& e)
{
    HandStep step;
    int playing = 0;
    for (std::size_t p = 1; p < e.seats.size(); ++p)
        if (e.seats[p].playing && e.seats[p].stack > Currency()) ++playing;
    const int n = static_cast<int>(e.seats.size()) - 1;
    if (playing < 2 || e.config.smallBlind < Currency() || e.config.bigBlind <= Currency() ||
        static_cast<int>(e.pack.size()) < CardsNeeded(playing) || e.button < 1 || e.button > n) {
        step.fault = RequestFault::Unknown;
        return step;
    }
    HandState s;
    s.config = e.config;
    s.seats.resize(e.seats.size());
    for (int p = 1; p <= n; ++p) {
        const StartSeat& in = e.seats[static_cast<std::size_t>(p)];
        HandSeat& seat = s.Seat(p);
        seat.dealt = in.playing && in.stack > Currency();
        seat.stack = in.stack;
    }
    s.button = e.button;
    s.pack = e.pack;
    s.givenBoard = e.board;
    s.started = true;
    auto& out = step.effects;
    const auto dealtAfter = [&](int from) {
        return NextSeat(s, from, [&](int p) { return s.Seat(p).dealt; });
    };
    // Heads-up the button posts the small blind (and so acts first before
    // the flop and last after it); the older rules keep the small blind to
    // the button's left.
    const bool buttonPosts = !Classic(s) && playing == 2 && s.Seat(s.button).dealt;
    s.smallBlindSeat = buttonPosts ? s.button : dealtAfter(s.button);
    s.bigBlindSeat = dealtAfter(s.smallBlindSeat);
    const auto post = [&](int p, Currency blind, bool small) {
        HandSeat& seat = s.Seat(p);
        HandEffect b = Effect(EffectKind::Blind, p);
        b.small = small;
        // A stack no larger than the blind goes in whole.
        b.allIn = seat.stack <= blind;
        b.amount = b.allIn ? seat.stack : blind;
        PutIn(seat, b.amount);
        seat.allIn = b.allIn;
        seat.blind = small ? "SB" : "BB";
        out.push_back(b);
    };
    post(s.smallBlindSeat, s.config.smallBlind, true);
    post(s.bigBlindSeat, s.config.bigBlind, false);
    s.level = std::max(s.Seat(s.smallBlindSeat).round, s.Seat(s.bigBlindSeat).round);
    s.lastRaise = Classic(s) ? Currency() : s.config.bigBlind;
    s.bets = 1;
    for (int p = 1; p <= n; ++p) {
        HandSeat& seat = s.Seat(p);
        if (!seat.dealt) continue;
        seat.hole[0] = Draw(s);
        seat.hole[1] = Draw(s);
        HandEffect cards = Effect(EffectKind::HoleCards, p);
        cards.cards = {seat.hole[0], seat.hole[1]};
        out.push_back(cards);
    }
    Advance(s, s.bigBlindSeat, out);
    state = std::move(s);
    return step;
}

HandStep Act(HandState& state, int seatNo, RequestKind kind, Currency amount, bool timedOut, bool left)
{
    HandStep step;
    if (!state.started || state.over || seatNo != state.toAct || seatNo < 1 || seatNo > state.SeatCount()) {
        step.fault = RequestFault::NotYourTurn;
        return step;
    }
    const BetLimits limits = LimitsFor(state, seatNo);
    if (kind != RequestKind::Fold) {
        RequestEvent r{seatNo, kind, amount};
        const RequestFault fault = CheckRequest(RequestText(r), limits);
        if (fault != RequestFault::None) {
            step.fault = fault;
            return step;
        }
    }
    HandState& s = state;
    HandSeat& seat = s.Seat(seatNo);
    auto& out = step.effects;
    if (kind == RequestKind::Fold) {
        seat.folded = true;
        seat.left = left;
        HandEffect e = Effect(EffectKind::Fold, seatNo);
        e.timedOut = timedOut;
        e.left = left;
        out.push_back(e);
    } else if (kind == RequestKind::Check || amount.IsZero()) {
        HandEffect e = Effect(EffectKind::Check, seatNo);
        e.timedOut = timedOut;
        out.push_back(e);
        seat.last = ActionRecord(limits, Currency());
    } else {
        const Currency after = seat.round + amount;
        PutIn(seat, amount);
        if (after > s.level) {
            const Currency rise = after - s.level;
            bool full = true;
            if (s.config.gameType == "THLI")
                full = rise + rise >= LimitSize(s);
            else if (!Classic(s))
                full = rise >= std::max(s.lastRaise, s.config.bigBlind);
            s.lastRaise = std::max(s.lastRaise, Classic(s) ? amount : rise);
            if (full || Classic(s)) ++s.bets;
            s.level = after;
            for (int p = 1; p <= s.SeatCount(); ++p)
                if (p != seatNo) s.Seat(p).acted = false;
            HandEffect e = Effect(EffectKind::BetRaise, seatNo);
            e.amount = amount;
            e.to = seat.total;
            e.allIn = seat.allIn;
            out.push_back(e);
        } else {
            HandEffect e = Effect(EffectKind::Call, seatNo);
            e.amount = amount;
            e.to = seat.total;
            e.allIn = seat.allIn;
            out.push_back(e);
        }
        seat.last = ActionRecord(limits, amount);
    }
    seat.acted = true;
    s.toAct = 0;
    Advance(s, seatNo, out);
    return step;
}

} // namespace

HandStep Apply(HandState& state, const HandEvent& event)
{
    if (const auto* start = std::get_if<StartEvent>(&event)) return Start(state, *start);
    if (const auto* request = std::get_if<RequestEvent>(&event))
        return Act(state, request->seat, request->kind, request->amount, false, false);
    if (const auto* timeout = std::get_if<TimeoutEvent>(&event)) {
        const int p = timeout->seat;
        const bool free = p >= 1 && p <= state.SeatCount() && CallAmount(LimitsFor(state, p)).IsZero();
        return Act(state, p, free ? RequestKind::Check : RequestKind::Fold, Currency(), true, false);
    }
    const int p = std::get<LeaveEvent>(event).seat;
    if (p == state.toAct) return Act(state, p, RequestKind::Fold, Currency(), false, true);
    // Out of turn: the seat folds where it sits; the turn stays where it is.
    HandStep step;
    if (!state.started || state.over || p < 1 || p > state.SeatCount() || !state.Seat(p).InHand()) {
        step.fault = RequestFault::NotYourTurn;
        return step;
    }
    HandSeat& seat = state.Seat(p);
    seat.folded = true;
    seat.left = true;
    HandEffect e = Effect(EffectKind::Fold, p);
    e.left = true;
    step.effects.push_back(e);
    if (CountInHand(state) <= 1) {
        ReturnUncalled(state, step.effects);
        EndByFolds(state, step.effects);
    } else if (state.toAct != 0 && !NeedsToAct(state, state.toAct)) {
        Advance(state, state.toAct, step.effects);
    }
    return step;
}

BetLimits LimitsFor(const HandState& state, int seatNo, const std::string& currencySymbol)
{
    BetLimits limits;
    if (seatNo < 1 || seatNo > state.SeatCount()) return limits;
    const HandSeat& seat = state.Seat(seatNo);
    limits.myCash = seat.stack;
    limits.myBet = seat.total;
    limits.minBet = seat.total - seat.round + state.level;
    limits.lastRaise = state.lastRaise;
    limits.pot = PotTotal(state);
    limits.bigBlind = state.config.bigBlind;
    limits.gameType = state.config.gameType;
    limits.bigBet = state.street >= Street::Turn;
    limits.currencySymbol = currencySymbol;
    limits.mayRaise = MayRaise(seat.last, limits.minBet);
    limits.rules = state.config.rules;
    limits.betsThisRound = state.bets;
    limits.playersInHand = CountInHand(state);
    return limits;
}

Currency PotTotal(const HandState& state)
{
    Currency pot;
    if (state.over) return pot;
    for (int p = 1; p <= state.SeatCount(); ++p)
        pot += state.Seat(p).total;
    return pot;
}

Currency HandLevel(const HandState& state)
{
    Currency base;
    for (int p = 1; p <= state.SeatCount(); ++p)
        base = std::max(base, state.Seat(p).total - state.Seat(p).round);
    return base + state.level;
}

std::string RequestText(const RequestEvent& request)
{
    switch (request.kind) {
    case RequestKind::Fold:
        return "F";
    case RequestKind::Check:
        return "C";
    case RequestKind::PutIn:
        break;
    }
    return "R" + request.amount.ToString();
}

std::optional<RequestEvent> ParseRequest(int seat, std::string_view text)
{
    RequestEvent r;
    r.seat = seat;
    if (text == "F") {
        r.kind = RequestKind::Fold;
        return r;
    }
    if (text == "C") {
        r.kind = RequestKind::Check;
        return r;
    }
    if (text.size() < 2 || text[0] != 'R') return std::nullopt;
    const std::optional<Currency> amount = Currency::Parse(text.substr(1));
    if (!amount) return std::nullopt;
    r.kind = RequestKind::PutIn;
    r.amount = *amount;
    return r;
}

int NextActive(const HandState& state, int from)
{
    return NextSeat(state, from, [&](int p) { return state.Seat(p).Active(); });
}

int CardsNeeded(int seatsDealt)
{
    return 2 * seatsDealt + 3 + 5;
}

} // namespace scrivo
