#include "engine/StrongBot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "cards/Evaluator.h"
#include "engine/Commands.h"
#include "platform/Random.h"

namespace scrivo {

namespace {

// ---- cards and ratings ----

using CardId = std::uint8_t; // 4 * facevalue + suit

CardId IdOf(const clsCard& card)
{
    return static_cast<CardId>(card.facevalue * 4 + card.suit);
}

clsCard CardOf(CardId id)
{
    return clsCard(id & 3, id >> 2);
}

// Every rating of the simulation goes through these two, so that the
// evaluator behind them can change in one place. Greater is better, equal
// is a tie.
double RateSeven(const CardId* ids)
{
    return EvaluateSeven(ids);
}

double RateCards(const CardId* ids, int count)
{
    std::array<clsCard, 7> cards;
    for (int i = 0; i < count; ++i)
        cards[static_cast<std::size_t>(i)] = CardOf(ids[i]);
    return BestScoreOfCards(std::span<const clsCard>(cards.data(), static_cast<std::size_t>(count)));
}

// ---- starting hands ----

// The Chen count of a starting hand: high card, pair, suit and gap points.
double ChenScore(int high, int low, bool suited)
{
    static constexpr double HighPoints[FaceCount] = {1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 6, 7, 8, 10};
    double score = HighPoints[high];
    if (high == low) return std::max(5.0, 2 * score);
    if (suited) score += 2;
    const int gap = high - low - 1;
    static constexpr double GapPoints[] = {0, 1, 2, 4, 5};
    score -= GapPoints[std::min(gap, 4)];
    if (gap <= 1 && high < 10) score += 1; // connected and both below a queen
    return std::ceil(score);
}

// Share of starting hands better than each class: pairs at [f][f], suited
// at [high][low], offsuit at [low][high]. Also every two-card hand, best
// first, so that a range is a prefix of that list.
class StartingHands {
public:
    StartingHands()
    {
        struct Class {
            double chen;
            int high, low;
            bool suited;
        };
        std::vector<Class> classes;
        for (int high = 0; high < FaceCount; ++high)
            for (int low = 0; low <= high; ++low) {
                classes.push_back({ChenScore(high, low, false), high, low, false});
                if (low < high) classes.push_back({ChenScore(high, low, true), high, low, true});
            }
        // Equal counts go by the pair, then the higher cards, then the suit.
        std::sort(classes.begin(), classes.end(), [](const Class& a, const Class& b) {
            if (a.chen != b.chen) return a.chen > b.chen;
            if ((a.high == a.low) != (b.high == b.low)) return a.high == a.low;
            if (a.high != b.high) return a.high > b.high;
            if (a.low != b.low) return a.low > b.low;
            return a.suited && !b.suited;
        });
        int before = 0;
        for (const Class& c : classes) {
            const double better = static_cast<double>(before) / HandCount;
            m_better[Index(c.high, c.low, c.suited)] = better;
            for (int s1 = 0; s1 < SuitCount; ++s1)
                for (int s2 = 0; s2 < SuitCount; ++s2) {
                    const bool sameSuit = s1 == s2;
                    if (c.high == c.low ? s2 <= s1 : sameSuit != c.suited) continue;
                    m_hands[static_cast<std::size_t>(before++)] = {static_cast<std::uint8_t>(c.high * 4 + s1),
                                                                   static_cast<std::uint8_t>(c.low * 4 + s2)};
                    m_handBetter[static_cast<std::size_t>(before - 1)] = better;
                }
        }
    }

    static constexpr int HandCount = 1326;

    double Rank(int faceA, int faceB, bool suited) const
    {
        return m_better[Index(std::max(faceA, faceB), std::min(faceA, faceB), suited)];
    }
    // How many hands of the list lie in the range of hands better than `top`.
    int CountBelow(double top) const
    {
        return static_cast<int>(std::lower_bound(m_handBetter.begin(), m_handBetter.end(), top) -
                                m_handBetter.begin());
    }
    const std::array<std::uint8_t, 2>& Hand(int i) const { return m_hands[static_cast<std::size_t>(i)]; }

private:
    static std::size_t Index(int high, int low, bool suited)
    {
        return suited || high == low ? static_cast<std::size_t>(high * FaceCount + low)
                                     : static_cast<std::size_t>(low * FaceCount + high);
    }

    std::array<double, FaceCount * FaceCount> m_better{};
    std::array<std::array<std::uint8_t, 2>, HandCount> m_hands{};
    std::array<double, HandCount> m_handBetter{};
};

const StartingHands& StartingTable()
{
    static const StartingHands table;
    return table;
}

double RankOfIds(CardId a, CardId b)
{
    return StartingTable().Rank(a >> 2, b >> 2, (a & 3) == (b & 3));
}

// ---- reading the opponents ----

double Clamp(double x, double low, double high)
{
    return std::min(high, std::max(low, x));
}

// Share of hands a seat plays voluntarily, starting from an average player
// and moving to what the seat has shown as hands go by.
double Looseness(const SeatHistory& h)
{
    const double dealt = std::max(0, h.handsDealt);
    const double played = Clamp(h.handsPlayed, 0, dealt);
    return (played + 0.3 * 8) / (dealt + 8);
}

// How often the seat gives up to a bet, likewise.
double FoldRate(const SeatHistory& h)
{
    const double faced = std::max(0, h.betsFaced);
    const double folds = Clamp(h.foldsToBets, 0, faced);
    return (folds + 0.4 * 6) / (faced + 6);
}

// Share of hands dealt in which the seat raised before the flop, and in
// which it went all in with a raise, likewise.
double RaiseRate(const SeatHistory& h)
{
    const double dealt = std::max(0, h.handsDealt);
    return (Clamp(h.handsRaised, 0, dealt) + 0.15 * 8) / (dealt + 8);
}

double ShoveRate(const SeatHistory& h)
{
    const double dealt = std::max(0, h.handsDealt);
    return (Clamp(h.shoves, 0, dealt) + 0.02 * 8) / (dealt + 8);
}

// The hands an opponent is thought to hold: before the flop the starting
// hands better than `top`; on later streets the best of about `pick` such
// hands on the board so far, so that betting makes a hand stronger.
struct Range {
    double top = 1.0;
    double pick = 1.0;
};

Range RangeOf(const BotOpponent& o)
{
    const double loose = Looseness(o.history);
    Range r;
    // A seat raises with the best of its hands, as many as it raises; one
    // that raises nearly always re-raises with nearly anything too. A seat
    // that goes all in often does so with more than its best hands.
    const double raises = RaiseRate(o.history);
    if (o.allIn && o.did.preFlopRaises > 0)
        r.top = Clamp(std::max(2.5 * ShoveRate(o.history), 1.6 * raises * raises), 0.03, 1.0);
    else if (o.did.preFlopRaises >= 2)
        r.top = Clamp(1.6 * raises * raises, 0.03, 1.0);
    else if (o.did.preFlopRaises == 1)
        r.top = Clamp(1.2 * raises, 0.05, 1.0);
    else if (o.did.preFlopCalls > 0)
        r.top = Clamp(1.6 * loose, 0.15, 1.0);
    // A seat that plays nearly everything bets nearly anything too.
    const double tight = Clamp((0.9 - loose) / 0.6, 0.15, 1.0);
    const double shown = std::max(0, o.did.laterBets) + 0.5 * std::max(0, o.did.laterCalls);
    r.pick = std::min(4.0, 1.0 + shown * tight);
    return r;
}

// ---- the simulation ----

// The cards not yet seen. Cards taken stay behind the count in the order
// taken, so a trial puts them all back by restoring the count, and the last
// few taken by raising it.
class Deck {
public:
    void Reset(const std::vector<CardId>& known)
    {
        std::array<bool, 52> seen{};
        for (CardId id : known)
            seen[id] = true;
        m_count = 0;
        for (int id = 0; id < 52; ++id)
            if (!seen[static_cast<std::size_t>(id)])
                Place(static_cast<CardId>(id), m_count++);
            else
                m_place[static_cast<std::size_t>(id)] = 52;
        m_full = m_count;
    }
    void Restore() { m_count = m_full; }
    bool Has(CardId id) const { return m_place[id] < m_count; }
    void Take(CardId id)
    {
        const int last = --m_count;
        const CardId other = m_cards[static_cast<std::size_t>(last)];
        const int from = m_place[id];
        Place(other, from);
        Place(id, last);
    }
    CardId Draw(Random& random)
    {
        const CardId id = m_cards[static_cast<std::size_t>(random.Below(m_count))];
        Take(id);
        return id;
    }
    void PutBack(int n) { m_count += n; }
    // The card taken i takes ago (0 = the last one).
    CardId Taken(int i) const { return m_cards[static_cast<std::size_t>(m_count + i)]; }
    // Exchanges two taken cards' places.
    void SwapTaken(int i, int j)
    {
        const CardId a = Taken(i), b = Taken(j);
        Place(a, m_count + j);
        Place(b, m_count + i);
    }

private:
    void Place(CardId id, int at)
    {
        m_cards[static_cast<std::size_t>(at)] = id;
        m_place[id] = at;
    }

    std::array<CardId, 52> m_cards{};
    std::array<int, 52> m_place{};
    int m_count = 0;
    int m_full = 0;
};

constexpr int MaxOpponents = 8;

struct Simulation {
    std::array<CardId, 2> hole{};
    std::array<CardId, 5> board{};
    int boardKnown = 0;
    std::vector<Range> ranges; // one per opponent taken into account
};

// Two cards from the range's starting hands that are still in the deck;
// once in a while any two, so that no hand is ever ruled out.
void TakeStartingHand(Deck& deck, int rangeHands, Random& random)
{
    if (rangeHands < StartingHands::HandCount && random.Next() >= 0.03) {
        const StartingHands& table = StartingTable();
        for (int tries = 0; tries < 64; ++tries) {
            const auto& hand = table.Hand(random.Below(rangeHands));
            if (deck.Has(hand[0]) && deck.Has(hand[1])) {
                deck.Take(hand[0]);
                deck.Take(hand[1]);
                return;
            }
        }
    }
    deck.Draw(random);
    deck.Draw(random);
}

// Two hole cards for an opponent; they stay taken, as Taken(0) and Taken(1).
void TakeHand(Deck& deck, const Simulation& sim, const Range& range, int rangeHands, Random& random)
{
    int pick = static_cast<int>(range.pick);
    if (random.Next() < range.pick - pick) ++pick;
    if (sim.boardKnown < 3 || pick < 2) {
        TakeStartingHand(deck, rangeHands, random);
        return;
    }
    double best = -1.0;
    int kept = 0;
    CardId cards[7];
    std::copy(sim.board.begin(), sim.board.begin() + sim.boardKnown, cards + 2);
    for (int c = 0; c < pick; ++c) {
        TakeStartingHand(deck, rangeHands, random);
        cards[0] = deck.Taken(0);
        cards[1] = deck.Taken(1);
        const double score = RateCards(cards, 2 + sim.boardKnown);
        if (score > best) {
            best = score;
            kept = c;
        }
    }
    // Hand c lies at Taken(2 * (pick - 1 - c)) and the one above; the kept
    // one moves to the earliest place and the others go back.
    const int from = 2 * (pick - 1 - kept);
    const int to = 2 * (pick - 1);
    if (from != to) {
        deck.SwapTaken(from, to);
        deck.SwapTaken(from + 1, to + 1);
    }
    deck.PutBack(to);
}

// Hand ratings one decision may spend: deals that pick opponents' hands
// from several candidates cost more, so fewer of them are simulated, which
// bounds the time of a decision at a crowded table.
constexpr int RatingBudget = 6000;
constexpr int FewestTrials = 300;

int AffordableTrials(const Simulation& sim, int trials)
{
    int perTrial = 1;
    for (const Range& r : sim.ranges)
        perTrial += 1 + (sim.boardKnown >= 3 && r.pick >= 2.0 ? static_cast<int>(std::ceil(r.pick)) : 0);
    return std::min(trials, std::max(FewestTrials, RatingBudget / perTrial));
}

double Equity(const Simulation& sim, Random& random, int trials)
{
    if (sim.ranges.empty()) return 1.0;
    trials = AffordableTrials(sim, trials);
    std::vector<CardId> known(sim.hole.begin(), sim.hole.end());
    known.insert(known.end(), sim.board.begin(), sim.board.begin() + sim.boardKnown);
    Deck deck;
    deck.Reset(known);

    const int opponents = static_cast<int>(sim.ranges.size());
    std::array<int, MaxOpponents> rangeHands{};
    for (int j = 0; j < opponents; ++j)
        rangeHands[static_cast<std::size_t>(j)] =
            std::max(1, StartingTable().CountBelow(sim.ranges[static_cast<std::size_t>(j)].top));
    std::array<std::array<CardId, 7>, MaxOpponents> theirs{};
    std::array<CardId, 7> mine{};
    double won = 0.0;
    for (int t = 0; t < trials; ++t) {
        deck.Restore();
        for (std::size_t j = 0; j < static_cast<std::size_t>(opponents); ++j) {
            TakeHand(deck, sim, sim.ranges[j], rangeHands[j], random);
            theirs[j][0] = deck.Taken(0);
            theirs[j][1] = deck.Taken(1);
        }
        std::array<CardId, 5> board = sim.board;
        for (int i = sim.boardKnown; i < 5; ++i)
            board[static_cast<std::size_t>(i)] = deck.Draw(random);

        mine[0] = sim.hole[0];
        mine[1] = sim.hole[1];
        std::copy(board.begin(), board.end(), mine.begin() + 2);
        const double myScore = RateSeven(mine.data());
        int tied = 1;
        bool lost = false;
        for (std::size_t j = 0; j < static_cast<std::size_t>(opponents) && !lost; ++j) {
            std::copy(board.begin(), board.end(), theirs[j].begin() + 2);
            const double score = RateSeven(theirs[j].data());
            if (score > myScore)
                lost = true;
            else if (score == myScore)
                ++tied;
        }
        if (!lost) won += 1.0 / tied;
    }
    return won / trials;
}

// The own cards and the board as ids; false when a card is out of range or
// seen twice (then the bot plays safe without simulating).
bool ReadCards(const BotSituation& s, Simulation& sim)
{
    std::array<bool, 52> seen{};
    auto take = [&](const clsCard& card, CardId& out) {
        if (!IsValidCard(card)) return false;
        out = IdOf(card);
        if (seen[out]) return false;
        seen[out] = true;
        return true;
    };
    if (!take(s.hole[0], sim.hole[0]) || !take(s.hole[1], sim.hole[1])) return false;
    if (s.board.size() > 5) return false;
    sim.boardKnown = static_cast<int>(s.board.size());
    for (int i = 0; i < sim.boardKnown; ++i)
        if (!take(s.board[static_cast<std::size_t>(i)], sim.board[static_cast<std::size_t>(i)])) return false;
    return true;
}

// ---- what the rules allow ----

// The amounts a request may carry now: the call, and the range of amounts
// that raise the level (empty when no raise is allowed).
struct Options {
    Currency toCall;
    Currency call; // the call, or all the cash when that is less
    bool canRaise = false;
    Currency minRaise;
    Currency maxRaise;
};

} // namespace

BetLimits LimitsOf(const BotSituation& s)
{
    BetLimits limits;
    limits.myCash = s.cash;
    limits.myBet = s.stake;
    limits.minBet = s.level;
    limits.lastRaise = s.lastRaise;
    limits.pot = s.pot;
    limits.bigBlind = s.bigBlind;
    limits.gameType = s.gameType;
    limits.bigBet = s.bigBet;
    limits.mayRaise = s.mayRaise;
    limits.rules = s.rules;
    limits.betsThisRound = s.betsThisRound;
    limits.playersInHand = s.playersInHand;
    return limits;
}

namespace {

Options OptionsOf(const BotSituation& s)
{
    Options o;
    if (s.level > s.stake) o.toCall = s.level - s.stake;
    o.call = std::min(o.toCall, s.cash);
    if (s.cash <= o.toCall) return o;

    // The amounts the table's rules allow, as every player is held to them.
    const RaiseRange range = RaiseAmounts(LimitsOf(s));
    if (range.raise) {
        o.canRaise = true;
        o.minRaise = range.least;
        o.maxRaise = range.most;
    }
    return o;
}

// ---- the strategy ----

enum class Street { PreFlop, Flop, Turn, River };

Street StreetOf(std::size_t boardCards)
{
    if (boardCards == 0) return Street::PreFlop;
    if (boardCards <= 3) return Street::Flop;
    return boardCards == 4 ? Street::Turn : Street::River;
}

// The order of acting: before the flop it starts left of the big blind,
// afterwards left of the dealer (who then acts last).
int PreFlopOrder(int position, int dealtIn)
{
    return ((position - 3) % dealtIn + dealtIn) % dealtIn;
}
int LaterOrder(int position, int dealtIn)
{
    return ((position - 1) % dealtIn + dealtIn) % dealtIn;
}

// Equity a hand needs to bet for value against n opponents: above its fair
// share by a margin that shrinks as the field grows.
double ValueShare(int n)
{
    static constexpr double Shares[] = {1.0, 0.6, 0.46, 0.38, 0.33, 0.29, 0.26, 0.24, 0.22};
    return Shares[std::clamp(n, 0, MaxOpponents)];
}

class Decision {
public:
    Decision(const BotSituation& s, Random& random, int trials)
        : m_s(s), m_random(random), m_trials(std::max(1, trials)), m_options(OptionsOf(s))
    {
    }

    std::string Decide();

private:
    // A fold, or a check when staying in costs nothing.
    std::string Fold() const { return m_options.toCall > Currency() ? std::string("F") : std::string("C"); }
    std::string Call() const
    {
        return m_options.toCall > Currency() ? BetRequest(m_options.call) : std::string("C");
    }
    // A raise to about `target` put in now, kept inside what the rules
    // allow; a call when no raise is allowed.
    std::string Raise(Currency target) const;
    // A raise that adds about `fraction` of the pot after calling.
    std::string RaisePot(double fraction) const
    {
        const double afterCall = (m_s.pot + m_options.call).ToDouble();
        return Raise(m_options.toCall + Currency::FromDouble(fraction * afterCall));
    }

    std::string PreFlop();
    std::string Later();
    double Equity(bool preFlop);

    int Live() const;
    int CanAct() const;
    bool InPosition() const;
    double AllFold() const;
    double MeanFoldRate() const;

    const BotSituation& m_s;
    Random& m_random;
    int m_trials;
    Options m_options;
    Simulation m_sim;
    int m_field = 0; // opponents in the last equity estimate
};

int Decision::Live() const
{
    return static_cast<int>(std::count_if(m_s.opponents.begin(), m_s.opponents.end(),
                                          [](const BotOpponent& o) { return o.live; }));
}

int Decision::CanAct() const
{
    return static_cast<int>(std::count_if(m_s.opponents.begin(), m_s.opponents.end(),
                                          [](const BotOpponent& o) { return o.live && !o.allIn; }));
}

bool Decision::InPosition() const
{
    const int d = std::max(2, m_s.dealtIn);
    const int mine = LaterOrder(m_s.position, d);
    for (const BotOpponent& o : m_s.opponents)
        if (o.live && !o.allIn && LaterOrder(o.position, d) > mine) return false;
    return true;
}

// The chance that every opponent who can still act gives up to a bet.
double Decision::AllFold() const
{
    double p = 1.0;
    for (const BotOpponent& o : m_s.opponents)
        if (o.live && !o.allIn) p *= FoldRate(o.history);
    return p;
}

double Decision::MeanFoldRate() const
{
    double sum = 0.0;
    int n = 0;
    for (const BotOpponent& o : m_s.opponents)
        if (o.live && !o.allIn) {
            sum += FoldRate(o.history);
            ++n;
        }
    return n > 0 ? sum / n : 0.4;
}

double Decision::Equity(bool preFlop)
{
    m_sim.ranges.clear();
    for (const BotOpponent& o : m_s.opponents) {
        if (!o.live || static_cast<int>(m_sim.ranges.size()) == MaxOpponents) continue;
        Range r = RangeOf(o);
        if (preFlop && o.did.preFlopRaises == 0 && o.did.preFlopCalls == 0 && !o.allIn) {
            // A seat that has not come in voluntarily counts only when it
            // tends to come in, and then with the hands it comes in with.
            const double loose = Looseness(o.history);
            if (loose < 0.5) continue;
            r.top = Clamp(1.6 * loose, 0.15, 1.0);
        }
        m_sim.ranges.push_back(r);
    }
    m_field = static_cast<int>(m_sim.ranges.size());
    return scrivo::Equity(m_sim, m_random, m_trials);
}

std::string Decision::Raise(Currency target) const
{
    const Options& o = m_options;
    if (!o.canRaise) return Call();
    // More than the deepest opponent can match buys nothing.
    Currency deepest;
    for (const BotOpponent& opp : m_s.opponents)
        if (opp.live && !opp.allIn) deepest = std::max(deepest, opp.stake + opp.cash - m_s.stake);
    if (deepest > Currency()) target = std::min(target, deepest);
    // Round to a tenth of the big blind's order of magnitude, at least a cent.
    const double bb = std::max(0.01, m_s.bigBlind.ToDouble());
    const double unit = std::max(0.01, std::pow(10.0, std::floor(std::log10(bb / 5))));
    target = Currency::FromDouble(std::round(target.ToDouble() / unit) * unit);
    // What would be left behind is not worth keeping back.
    const Currency left = m_s.cash - target;
    if (left < Currency::FromDouble(0.3 * (m_s.pot + target + target).ToDouble())) target = m_s.cash;
    target = std::clamp(target, o.minRaise, o.maxRaise);
    return BetRequest(target);
}

std::string Decision::Decide()
{
    if (m_s.cash <= Currency()) return Fold();
    if (!ReadCards(m_s, m_sim)) return Fold();
    if (Live() == 0) return Call();
    return m_sim.boardKnown == 0 ? PreFlop() : Later();
}

std::string Decision::PreFlop()
{
    const double rank = RankOfIds(m_sim.hole[0], m_sim.hole[1]);
    const int d = std::max(2, m_s.dealtIn);
    const int mine = PreFlopOrder(m_s.position, d);
    int behind = 0, limpers = 0;
    bool raised = false;
    for (const BotOpponent& o : m_s.opponents) {
        if (!o.live) continue;
        if (o.did.preFlopRaises > 0) raised = true;
        if (o.did.preFlopCalls > 0 && o.did.preFlopRaises == 0) ++limpers;
        if (o.did.preFlopRaises == 0 && o.did.preFlopCalls == 0 && PreFlopOrder(o.position, d) > mine)
            ++behind;
    }
    raised = raised || m_s.level > m_s.bigBlind;
    const double equity = Equity(true);
    const double bb = m_s.bigBlind.ToDouble();
    const Currency toCall = m_options.toCall;
    const double potOdds =
        toCall > Currency() ? m_options.call.ToDouble() / (m_s.pot + m_options.call).ToDouble() : 0.0;
    const bool value = m_field > 0 && equity >= ValueShare(m_field);

    const bool headsUp = d == 2;
    if (!raised && headsUp && toCall > Currency()) {
        // The small blind heads-up: opens wide against a player who gives
        // up to raises, and gives up only the worst hands.
        const double steal = Clamp(0.5 + 0.8 * (MeanFoldRate() - 0.3), 0.4, 0.85);
        if (rank < steal || value) return Raise(Currency::FromDouble(2.5 * bb) - m_s.stake);
        if (rank < 0.88) return Call();
        return Fold();
    }
    if (!raised) {
        static constexpr double Open[] = {0.5, 0.45, 0.36, 0.28, 0.22, 0.18, 0.15, 0.13, 0.12};
        const double open = Open[std::clamp(behind, 0, MaxOpponents)] - 0.02 * limpers;
        if (rank < open || value) {
            double to = (3 + limpers) * bb;
            // Against players who call anything a strong hand wants more in.
            if (value && MeanFoldRate() < 0.3) to += m_s.pot.ToDouble();
            return Raise(Currency::FromDouble(to) - m_s.stake);
        }
        if (toCall.IsZero()) return "C";
        // Cheap looks: the small blind completing, or joining limpers.
        const bool cheap = toCall <= m_s.bigBlind && (limpers > 0 || toCall * 2 <= m_s.bigBlind);
        if (cheap && rank < open + 0.2) return Call();
        if (m_field > 0 && equity >= potOdds + 0.05 && rank < open + 0.25) return Call();
        return Fold();
    }

    if (m_options.canRaise && equity >= std::max(ValueShare(m_field) + 0.08, potOdds + 0.1))
        return RaisePot(1.0);
    // Against an all in nothing is played after the call, and heads-up the
    // last to act before the flop acts last after it: the pot odds suffice.
    bool shove = m_options.call >= m_s.cash;
    for (const BotOpponent& o : m_s.opponents)
        shove = shove || (o.live && o.allIn && o.stake >= m_s.level);
    const double margin = shove || headsUp ? 0.0 : 0.04;
    if (equity >= potOdds + margin) return Call();
    return Fold();
}

std::string Decision::Later()
{
    const Street street = StreetOf(m_s.board.size());
    const double equity = Equity(false);
    const int live = Live();
    const bool canBet = m_options.canRaise && CanAct() > 0;
    const bool stations = MeanFoldRate() < 0.3;
    const double value = ValueShare(m_field);

    if (m_options.toCall > Currency()) {
        const double potOdds = m_options.call.ToDouble() / (m_s.pot + m_options.call).ToDouble();
        if (canBet && equity >= value + 0.12) return RaisePot(stations ? 1.0 : 0.75);
        const double margin = street == Street::Flop ? 0.03 : street == Street::Turn ? 0.02 : 0.0;
        if (equity >= potOdds + margin) return Call();
        // Now and then a drawing hand raises a lone bettor who gives up often.
        if (canBet && street != Street::River && live == 1 && equity >= 0.25 && AllFold() >= 0.45 &&
            m_random.Next() < 0.08)
            return RaisePot(0.75);
        return Fold();
    }

    if (canBet && equity >= value) {
        double fraction = equity >= value + 0.2 ? 0.9 : 0.7;
        if (stations) fraction += 0.3;
        return RaisePot(fraction);
    }
    // A bluff: only against one or two players, only when they give up often
    // enough to pay for it, and then only in a share of the spots.
    if (canBet && live <= 2 && (street != Street::River || equity < 0.25)) {
        const double size = 0.55;
        const double breakEven = size / (1.0 + size);
        double rate = InPosition() ? 0.16 : 0.10;
        if (live == 2) rate *= 0.6;
        if (AllFold() >= 1.1 * breakEven && m_random.Next() < rate) return RaisePot(size);
    }
    return "C";
}

} // namespace

std::string StrongDecide(const BotSituation& situation, Random& random, int trials)
{
    return Decision(situation, random, trials).Decide();
}

double StrongEquity(const BotSituation& situation, Random& random, int trials)
{
    Simulation sim;
    if (!ReadCards(situation, sim) || trials <= 0) return 0.0;
    for (const BotOpponent& o : situation.opponents)
        if (o.live && static_cast<int>(sim.ranges.size()) < MaxOpponents) sim.ranges.push_back(RangeOf(o));
    return Equity(sim, random, trials);
}

double StartingHandRank(const clsCard& a, const clsCard& b)
{
    return StartingTable().Rank(a.facevalue, b.facevalue, a.suit == b.suit);
}

} // namespace scrivo
