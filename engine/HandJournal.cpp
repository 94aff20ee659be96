#include "engine/HandJournal.h"

#include <algorithm>
#include <map>

#include "engine/FormatCash.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

JournalRecord Record(JournalKind kind, std::uint32_t hand, int seat = 0)
{
    JournalRecord r;
    r.kind = kind;
    r.hand = hand;
    r.seat = seat;
    return r;
}

bool IsAction(JournalKind kind)
{
    return kind == JournalKind::Check || kind == JournalKind::Call || kind == JournalKind::Raise ||
           kind == JournalKind::Fold;
}

// The machine's event for a recorded action.
HandEvent ActionEvent(const JournalRecord& r)
{
    using K = JournalKind;
    if (r.kind == K::Fold && r.Has(JournalFlag::Left)) return LeaveEvent{r.seat};
    if ((r.kind == K::Fold || r.kind == K::Check) && r.Has(JournalFlag::TimedOut))
        return TimeoutEvent{r.seat};
    if (r.kind == K::Fold) return RequestEvent{r.seat, RequestKind::Fold, Currency()};
    if (r.kind == K::Check) return RequestEvent{r.seat, RequestKind::Check, Currency()};
    return RequestEvent{r.seat, RequestKind::PutIn, r.amount};
}

void Collect(const HandStep& step, std::uint32_t hand, std::vector<JournalRecord>& out)
{
    for (const HandEffect& e : step.effects)
        if (auto r = EffectRecord(e, hand)) out.push_back(std::move(*r));
}

std::map<int, Currency> Wins(const std::vector<JournalRecord>& records)
{
    std::map<int, Currency> won;
    for (const JournalRecord& r : records)
        if (r.kind == JournalKind::Win) won[r.seat] += r.amount;
    return won;
}

HandVerdict Verdict(HandVerdict::Problem problem, std::string detail, int seat = 0, Currency amount = {})
{
    HandVerdict v;
    v.problem = problem;
    v.seat = seat;
    v.amount = amount;
    v.detail = std::move(detail);
    return v;
}

std::string KindName(JournalKind kind)
{
    return std::string(1, static_cast<char>(kind));
}

} // namespace

std::optional<JournalRecord> EffectRecord(const HandEffect& e, std::uint32_t hand)
{
    using K = JournalKind;
    JournalRecord r = Record(K::End, hand, e.seat);
    const auto flag = [&](bool on, std::uint8_t bit) {
        if (on) r.flags |= bit;
    };
    switch (e.kind) {
    case EffectKind::HoleCards:
    case EffectKind::Turn:
    case EffectKind::HandOver:
        return std::nullopt;
    case EffectKind::Blind:
        r.kind = K::Blind;
        r.amount = e.amount;
        flag(e.small, JournalFlag::Small);
        flag(e.allIn, JournalFlag::AllIn);
        break;
    case EffectKind::Check:
        r.kind = K::Check;
        flag(e.timedOut, JournalFlag::TimedOut);
        break;
    case EffectKind::Call:
    case EffectKind::BetRaise:
        r.kind = e.kind == EffectKind::Call ? K::Call : K::Raise;
        r.amount = e.amount;
        r.to = e.to;
        flag(e.allIn, JournalFlag::AllIn);
        break;
    case EffectKind::Fold:
        r.kind = K::Fold;
        flag(e.timedOut, JournalFlag::TimedOut);
        flag(e.left, JournalFlag::Left);
        break;
    case EffectKind::Board:
        r.kind = K::Board;
        r.pot = static_cast<int>(e.street);
        r.cards = e.cards;
        flag(e.runOut, JournalFlag::RunOut);
        break;
    case EffectKind::Return:
        r.kind = K::Return;
        r.amount = e.amount;
        break;
    case EffectKind::Pot:
        r.kind = K::Pot;
        r.amount = e.amount;
        r.pot = e.pot;
        r.winners = e.winners;
        r.seats = e.seats;
        break;
    case EffectKind::Show:
        r.kind = K::Show;
        r.pot = e.pot;
        r.cards = e.cards;
        break;
    case EffectKind::Win:
        r.kind = K::Win;
        r.amount = e.amount;
        r.pot = e.pot;
        break;
    }
    return r;
}

std::vector<JournalRecord> HandEndRecords(const HandState& state, std::uint32_t hand)
{
    std::vector<JournalRecord> out;
    for (int p = 1; p <= state.SeatCount(); ++p) {
        if (!state.Seat(p).dealt) continue;
        JournalRecord r = Record(JournalKind::Stack, hand, p);
        r.amount = state.Seat(p).stack;
        out.push_back(r);
    }
    out.push_back(Record(JournalKind::End, hand));
    return out;
}

std::int64_t NewHandId(std::int64_t utcSeconds, std::uint64_t entropy)
{
    // 31 bits of seconds (good until 2038 and then wrapping) over 31 bits of
    // chance: a positive 62-bit number, as trackers store hand ids.
    const auto high = static_cast<std::uint64_t>(utcSeconds) & 0x7FFFFFFFu;
    const std::uint64_t low = entropy & 0x7FFFFFFFu;
    return static_cast<std::int64_t>((high << 31) | low | 1u);
}

const JournalRecord* JournalHand::SeatRecord(int seat) const
{
    for (const JournalRecord& r : seats)
        if (r.seat == seat) return &r;
    return nullptr;
}

std::string JournalHand::Name(int seat) const
{
    const JournalRecord* r = SeatRecord(seat);
    return r ? r->name : "Seat " + std::to_string(seat);
}

JournalGame GroupJournal(const std::vector<JournalRecord>& records)
{
    JournalGame game;
    JournalHand* open = nullptr;
    for (const JournalRecord& r : records) {
        if (r.kind == JournalKind::Table) {
            // The first table record rules; a later one is damage, unless it
            // says the same.
            if (!game.table)
                game.table = r;
            else if (!(*game.table == r) && open)
                open->damaged = true;
            continue;
        }
        if (r.kind == JournalKind::Hand) {
            if (open && !open->complete) open->damaged = true;
            game.hands.emplace_back();
            open = &game.hands.back();
            open->number = r.hand;
            open->id = r.number;
            open->time = r.to.Raw();
            open->button = r.seat;
            continue;
        }
        if (!open || open->complete) continue;
        if (r.hand != open->number) {
            open->damaged = true;
            continue;
        }
        if (r.kind == JournalKind::Seat) {
            if (!open->events.empty() || r.seat < 1 || open->SeatRecord(r.seat))
                open->damaged = true;
            else
                open->seats.push_back(r);
            continue;
        }
        open->events.push_back(r);
        if (r.kind == JournalKind::End) open->complete = true;
    }
    return game;
}

HandVerdict VerifyHand(const JournalRecord& table, const JournalHand& hand)
{
    using P = HandVerdict::Problem;
    if (!hand.complete || hand.damaged || hand.seats.empty())
        return Verdict(P::Incomplete, "the journal of the hand is cut short or damaged");

    StartEvent start;
    start.config.rules = table.rules == 'C' ? HandRules::Classic : HandRules::Standard;
    start.config.gameType = table.gameType;
    start.config.smallBlind = table.amount;
    start.config.bigBlind = table.to;
    int seatCount = 0;
    for (const JournalRecord& s : hand.seats)
        seatCount = std::max(seatCount, s.seat);
    start.seats.resize(static_cast<std::size_t>(seatCount) + 1);
    for (const JournalRecord& s : hand.seats)
        start.seats[static_cast<std::size_t>(s.seat)] = StartSeat{s.Has(JournalFlag::Dealt), s.amount};
    start.button = hand.button;

    // The cards the journal shows: the board in order and the shown hands.
    // Every other hole card is one nobody saw; it never decides anything,
    // so any card not otherwise on the table stands in for it.
    std::vector<clsCard> seen;
    std::map<int, std::vector<clsCard>> shown;
    for (const JournalRecord& r : hand.events) {
        if (r.kind == JournalKind::Board) {
            start.board.insert(start.board.end(), r.cards.begin(), r.cards.end());
            seen.insert(seen.end(), r.cards.begin(), r.cards.end());
        } else if (r.kind == JournalKind::Show && !shown.count(r.seat)) {
            shown[r.seat] = r.cards;
            seen.insert(seen.end(), r.cards.begin(), r.cards.end());
        }
    }
    if (start.board.size() > 5) return Verdict(P::Differs, "more than five cards on the board");
    for (std::size_t i = 0; i < seen.size(); ++i)
        for (std::size_t j = i + 1; j < seen.size(); ++j)
            if (seen[i].SameCard(seen[j])) return Verdict(P::Differs, "a card is shown twice");
    std::vector<clsCard> unseen;
    for (int suit = 0; suit < SuitCount; ++suit)
        for (int face = 0; face < FaceCount; ++face)
            if (std::none_of(seen.begin(), seen.end(),
                             [&](const clsCard& c) { return c.SameCard(clsCard(suit, face)); }))
                unseen.emplace_back(suit, face);
    std::size_t nextUnseen = 0;
    for (int p = 1; p <= seatCount; ++p) {
        const StartSeat& s = start.seats[static_cast<std::size_t>(p)];
        if (!s.playing || s.stack <= Currency()) continue;
        const auto it = shown.find(p);
        for (int k = 0; k < 2; ++k)
            start.pack.push_back(it != shown.end() ? it->second[static_cast<std::size_t>(k)]
                                                   : unseen[nextUnseen++]);
    }
    start.pack.insert(start.pack.end(), unseen.begin() + static_cast<std::ptrdiff_t>(nextUnseen),
                      unseen.end());

    HandState state;
    std::vector<JournalRecord> expected;
    HandStep step = Apply(state, start);
    if (!step.Accepted())
        return Verdict(P::Differs, "the seats, blinds or button of the hand cannot start a hand");
    Collect(step, hand.number, expected);
    for (const JournalRecord& r : hand.events) {
        if (!IsAction(r.kind)) continue;
        if (state.over) return Verdict(P::Illegal, "an action after the end of the hand", r.seat);
        step = Apply(state, ActionEvent(r));
        if (!step.Accepted())
            return Verdict(P::Illegal,
                           "an action the rules refuse (fault " +
                               std::to_string(static_cast<int>(step.fault)) + ")",
                           r.seat);
        Collect(step, hand.number, expected);
    }
    if (!state.over) {
        // A hand called off: every stake went back, each stack ends where it began.
        const JournalRecord& last = hand.events.back();
        if (last.kind != JournalKind::End || !last.Has(JournalFlag::Void))
            return Verdict(P::Incomplete, "the hand stops before its end");
        for (const JournalRecord& r : hand.events) {
            if (r.kind != JournalKind::Stack) continue;
            const JournalRecord* seat = hand.SeatRecord(r.seat);
            if (!seat) return Verdict(P::Differs, "a stack of a seat not in the hand");
            if (r.amount != seat->amount)
                return Verdict(P::StackOff, "a stake not returned", r.seat,
                               r.amount > seat->amount ? r.amount - seat->amount : seat->amount - r.amount);
        }
        return {};
    }
    const std::vector<JournalRecord> ending = HandEndRecords(state, hand.number);
    expected.insert(expected.end(), ending.begin(), ending.end());
    if (expected == hand.events) return {};

    // Who was paid what, then where the stacks end, then the first record
    // that differs.
    const std::map<int, Currency> paid = Wins(hand.events);
    const std::map<int, Currency> due = Wins(expected);
    for (int p = 1; p <= seatCount; ++p) {
        const Currency got = paid.count(p) ? paid.at(p) : Currency();
        const Currency owed = due.count(p) ? due.at(p) : Currency();
        if (got > owed) return Verdict(P::PaidTooMuch, "a win the rules do not give", p, got - owed);
    }
    for (int p = 1; p <= seatCount; ++p) {
        const Currency got = paid.count(p) ? paid.at(p) : Currency();
        const Currency owed = due.count(p) ? due.at(p) : Currency();
        if (got < owed) return Verdict(P::PaidTooLittle, "a win the rules give is missing", p, owed - got);
    }
    for (const JournalRecord& want : ending) {
        if (want.kind != JournalKind::Stack) continue;
        const auto it = std::find_if(hand.events.begin(), hand.events.end(), [&](const JournalRecord& r) {
            return r.kind == JournalKind::Stack && r.seat == want.seat;
        });
        if (it == hand.events.end()) return Verdict(P::Differs, "a stack at the end is missing", want.seat);
        if (it->amount != want.amount) {
            const Currency off =
                it->amount > want.amount ? it->amount - want.amount : want.amount - it->amount;
            return Verdict(P::StackOff, "a stack at the end differs", want.seat, off);
        }
    }
    std::size_t i = 0;
    while (i < expected.size() && i < hand.events.size() && expected[i] == hand.events[i])
        ++i;
    const std::string what = i < hand.events.size() ? KindName(hand.events[i].kind) : "nothing";
    const std::string want = i < expected.size() ? KindName(expected[i].kind) : "nothing";
    return Verdict(P::Differs, "record " + std::to_string(i + 1) + " of the hand is " + what +
                                   " where the rules give " + want);
}

namespace {
// More records than any hand has: a longer run without an end is damage.
constexpr std::size_t MostRecordsInAHand = 4096;
} // namespace

std::vector<JournalWatch::Checked> JournalWatch::Take(const std::vector<JournalRecord>& records)
{
    std::vector<Checked> out;
    for (const JournalRecord& r : records) {
        if (r.kind == JournalKind::Table) {
            if (!m_table) m_table = r;
            continue;
        }
        if (r.kind == JournalKind::Hand) {
            if (!m_open.empty()) Finish(out); // it never ended
            m_open.push_back(r);
            continue;
        }
        if (m_open.empty()) continue;
        m_open.push_back(r);
        if (r.kind == JournalKind::End || m_open.size() >= MostRecordsInAHand) Finish(out);
    }
    return out;
}

void JournalWatch::Finish(std::vector<Checked>& out)
{
    JournalGame game = GroupJournal(m_open);
    m_open.clear();
    if (game.hands.empty()) return;
    Checked checked{std::move(game.hands.front()), {}};
    checked.verdict =
        m_table ? VerifyHand(*m_table, checked.hand)
                : HandVerdict{HandVerdict::Problem::Differs, 0, {}, "the journal has no table record"};
    out.push_back(std::move(checked));
}

std::string VerdictLine(const HandVerdict& v, const JournalHand& hand, const Language& language,
                        const std::string& currencySymbol)
{
    using P = HandVerdict::Problem;
    const std::string number = std::to_string(hand.number);
    const std::string name = hand.Name(v.seat);
    const std::string amount = FormatCash(v.amount, currencySymbol);
    switch (v.problem) {
    case P::None:
        return {};
    case P::PaidTooMuch:
        return language.FormatText(Msg::HandPaidTooMuch, number, name, amount);
    case P::PaidTooLittle:
        return language.FormatText(Msg::HandPaidTooLittle, number, name, amount);
    case P::Illegal:
        return language.FormatText(Msg::HandIllegalMove, number, name);
    case P::StackOff:
        return language.FormatText(Msg::HandStackOff, number, name, amount);
    case P::Incomplete:
    case P::Differs:
        break;
    }
    return language.FormatText(Msg::HandDiffers, number);
}

} // namespace scrivo
