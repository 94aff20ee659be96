#include "engine/hand/HandMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "cards/Card.h"

namespace scrivo {
namespace {

Currency D(double v)
{
    return Currency::FromDouble(v);
}

std::vector<clsCard> OrderedPack()
{
    std::vector<clsCard> pack;
    for (int suit = 0; suit < 4; ++suit)
        for (int face = 0; face < 13; ++face)
            pack.emplace_back(suit, face);
    return pack;
}

// A hand at a table of the given stacks (seat n at index n - 1).
struct Hand {
    HandState state;
    std::vector<HandEffect> effects;

    Hand(HandRules rules, const std::string& type, std::vector<double> stacks, int button = 1,
         std::vector<clsCard> pack = OrderedPack())
    {
        StartEvent start;
        start.config = HandConfig{rules, type, D(5), D(10)};
        start.seats.resize(stacks.size() + 1);
        for (std::size_t i = 0; i < stacks.size(); ++i)
            start.seats[i + 1] = StartSeat{stacks[i] > 0, D(stacks[i])};
        start.button = button;
        start.pack = std::move(pack);
        const HandStep step = Apply(state, start);
        EXPECT_TRUE(step.Accepted());
        effects = step.effects;
    }
    // The request of whoever has the turn.
    RequestFault Do(const std::string& request)
    {
        const auto parsed = ParseRequest(state.toAct, request);
        if (!parsed) return RequestFault::Unknown;
        const HandStep step = Apply(state, *parsed);
        effects.insert(effects.end(), step.effects.begin(), step.effects.end());
        return step.fault;
    }
    void Play(std::initializer_list<const char*> requests)
    {
        for (const char* r : requests)
            ASSERT_EQ(Do(r), RequestFault::None) << r << " by seat " << state.toAct;
    }
    bool Has(EffectKind kind, int seat = 0) const
    {
        return std::any_of(effects.begin(), effects.end(), [&](const HandEffect& e) {
            return e.kind == kind && (seat == 0 || e.seat == seat);
        });
    }
};

// ---------------------------------------------------------------- rule cases

struct RuleCase {
    const char* name;
    const char* type;
    std::vector<double> stacks;
    std::vector<const char*> before; // requests that must pass
    const char* request;             // then this one
    RequestFault standard;
    RequestFault classic;
};

class RuleCaseTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(RuleCaseTest, EachRuleSetDecidesAsItsPlayersExpect)
{
    const RuleCase& c = GetParam();
    for (HandRules rules : {HandRules::Standard, HandRules::Classic}) {
        Hand hand(rules, c.type, c.stacks);
        for (const char* r : c.before)
            ASSERT_EQ(hand.Do(r), RequestFault::None) << r << (rules == HandRules::Classic ? " classic" : "");
        EXPECT_EQ(hand.Do(c.request), rules == HandRules::Standard ? c.standard : c.classic)
            << (rules == HandRules::Classic ? "classic" : "standard");
    }
}

using F = RequestFault;
const std::vector<double> Even{1000, 1000, 1000};
// Three seats, button 1: seat 2 posts 5, seat 3 posts 10, seat 1 acts first.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rules, RuleCaseTest, ::testing::Values(
    RuleCase{"FlopBetOfACent", "THNL", Even, {"R10", "R5", "C"}, "R0.01", F::MinBet, F::None},
    RuleCase{"FlopBetOfTheBigBlind", "THNL", Even, {"R10", "R5", "C"}, "R10", F::None, F::None},
    RuleCase{"PreFlopRaiseToFifteen", "THNL", Even, {}, "R15", F::MinRaise, F::None},
    RuleCase{"ReRaiseByTheLastRaise", "THNL", Even, {"R30"}, "R45", F::None, F::MinRaise},
    RuleCase{"ReRaiseBelowTheLastRaise", "THNL", Even, {"R30"}, "R44", F::MinRaise, F::MinRaise},
    // 100, then an all in to 190 (a full raise of 90): the raiser may raise again.
    RuleCase{"FullAllInReopens", "THNL", {1000, 190, 1000}, {"R100", "R185", "F"},
             "R200", F::None, F::NotReopened},
    // An all in of 50 more over a raise of 90 does not reopen for the raiser.
    RuleCase{"ShortAllInDoesNotReopen", "THNL", {1000, 150, 1000}, {"R100", "R145", "F"},
             "R200", F::NotReopened, F::NotReopened},
    RuleCase{"ShortAllInStillCalls", "THNL", {1000, 150, 1000}, {"R100", "R145", "F"},
             "R50", F::None, F::None},
    // Pot limit before the flop: the pot after a call of 10 is 25, so 35.
    RuleCase{"PotLimitRaiseToThePot", "THPL", Even, {}, "R35", F::None, F::PotLimit},
    RuleCase{"PotLimitAboveThePot", "THPL", Even, {}, "R36", F::PotLimit, F::PotLimit},
    RuleCase{"PotLimitOldMaximum", "THPL", Even, {}, "R15", F::MinRaise, F::None},
    // Flop with 30 in the pot, a bet of 30: the pot after the call is 90, so a raise to 120.
    RuleCase{"PotLimitRaiseAfterABet", "THPL", Even, {"R10", "R5", "C", "R30"}, "R120", F::None, F::PotLimit},
    RuleCase{"PotLimitRaiseAboveAfterABet", "THPL", Even, {"R10", "R5", "C", "R30"},
             "R121", F::PotLimit, F::PotLimit},
    RuleCase{"LimitRaiseByOneUnit", "THLI", Even, {}, "R20", F::None, F::None},
    RuleCase{"LimitRaiseOffSize", "THLI", Even, {}, "R25", F::LimitSize, F::LimitSize},
    RuleCase{"LimitFifthBetIsCapped", "THLI", Even, {"R20", "R25", "R30"}, "R30", F::Capped, F::Capped},
    RuleCase{"LimitCallAtTheCap", "THLI", Even, {"R20", "R25", "R30"}, "R20", F::None, F::None},
    RuleCase{"LimitHeadsUpIsNotCapped", "THLI", {1000, 1000}, {"R15", "R20", "R20"}, "R20", F::None, F::None},
    RuleCase{"LimitTurnBetIsTwoUnits", "THLI", Even, {"R10", "R5", "C", "C", "C", "C"},
             "R20", F::None, F::None},
    RuleCase{"CheckWhileACallIsDue", "THNL", Even, {}, "C", F::CallDue, F::CallDue}),
    // clang-format on
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- order of play

TEST(HandMachineTest, HeadsUpTheButtonPostsTheSmallBlindAndActsFirstOnlyBeforeTheFlop)
{
    Hand standard(HandRules::Standard, "THNL", {1000, 1000}, 1);
    EXPECT_EQ(standard.state.smallBlindSeat, 1);
    EXPECT_EQ(standard.state.bigBlindSeat, 2);
    EXPECT_EQ(standard.state.toAct, 1);
    standard.Play({"R5", "C"});
    EXPECT_EQ(standard.state.street, Street::Flop);
    EXPECT_EQ(standard.state.toAct, 2);

    Hand classic(HandRules::Classic, "THNL", {1000, 1000}, 1);
    EXPECT_EQ(classic.state.smallBlindSeat, 2);
    EXPECT_EQ(classic.state.toAct, 2);
    classic.Play({"R5", "C"});
    EXPECT_EQ(classic.state.toAct, 2);
}

TEST(HandMachineTest, TheBigBlindHasItsOptionAndTheRoundEndsWithTheLastToAnswer)
{
    Hand hand(HandRules::Standard, "THNL", {1000, 1000, 1000}, 1);
    hand.Play({"R10", "R5"});
    EXPECT_EQ(hand.state.toAct, 3); // the big blind may still raise
    hand.Play({"R20"});
    EXPECT_EQ(hand.state.street, Street::PreFlop);
    hand.Play({"R20", "R20"});
    EXPECT_EQ(hand.state.street, Street::Flop);
    EXPECT_EQ(hand.state.board.size(), 3u);
    EXPECT_EQ(hand.state.toAct, 2); // first after the button
}

TEST(HandMachineTest, UncalledChipsAreAlwaysReturnedAndAnnounced)
{
    // An all in that nobody calls.
    Hand shove(HandRules::Standard, "THNL", {1000, 300, 1000}, 1);
    shove.Play({"R1000", "F", "F"});
    ASSERT_TRUE(shove.Has(EffectKind::Return, 1));
    const auto ret = std::find_if(shove.effects.begin(), shove.effects.end(),
                                  [](const HandEffect& e) { return e.kind == EffectKind::Return; });
    EXPECT_EQ(ret->amount, D(990));
    EXPECT_TRUE(shove.state.over);
    EXPECT_EQ(shove.state.Seat(1).stack, D(1015));

    // A covering all in called short: the excess comes back before the showdown.
    Hand covered(HandRules::Classic, "THNL", {1000, 300, 1000}, 1);
    covered.Play({"R1000", "R295", "F"});
    ASSERT_TRUE(covered.Has(EffectKind::Return, 1));
    EXPECT_TRUE(covered.state.over);
    Currency total;
    for (int p = 1; p <= 3; ++p)
        total += covered.state.Seat(p).stack;
    EXPECT_EQ(total, D(2300));
}

TEST(HandMachineTest, TimeOutChecksWhenFreeAndFoldsWhenACallIsDue)
{
    Hand hand(HandRules::Standard, "THNL", {1000, 1000, 1000}, 1);
    ASSERT_TRUE(Apply(hand.state, TimeoutEvent{1}).Accepted());
    EXPECT_TRUE(hand.state.Seat(1).folded);
    hand.Play({"R5"});
    HandStep step = Apply(hand.state, TimeoutEvent{3});
    ASSERT_FALSE(step.effects.empty());
    EXPECT_EQ(step.effects.front().kind, EffectKind::Check);
    EXPECT_TRUE(step.effects.front().timedOut);
    // Out of turn nothing happens.
    EXPECT_EQ(Apply(hand.state, TimeoutEvent{3}).fault, RequestFault::NotYourTurn);
}

TEST(HandMachineTest, SidePotsGoToTheBestHandAmongThoseWhoReachedThem)
{
    // Seat 1 (button) holds 2h 3h, seat 2 holds 4h 5h, seat 3 holds 6h 7h.
    // Stacked so that seat 2 makes the best hand, seat 3 the second best.
    std::vector<clsCard> pack = {{0, 0}, {1, 1},  {0, 12}, {1, 12}, {2, 11}, {3, 11}, // holes
                                 {3, 0}, {0, 10}, {2, 10}, {3, 1},                    // burn, flop
                                 {3, 2}, {2, 3},                                      // burn, turn
                                 {3, 3}, {1, 4}};                                     // burn, river
    std::vector<clsCard> rest = OrderedPack();
    for (const clsCard& c : rest)
        if (std::none_of(pack.begin(), pack.end(), [&](const clsCard& p) { return p.SameCard(c); }))
            pack.push_back(c);
    // Seat 2: aces, seat 3: kings, seat 1: nothing.
    Hand hand(HandRules::Standard, "THNL", {1000, 100, 400}, 1, pack);
    hand.Play({"R400", "R95", "R390"});
    ASSERT_TRUE(hand.state.over);
    EXPECT_EQ(hand.state.Seat(2).stack, D(300)); // main pot of 3 x 100
    EXPECT_EQ(hand.state.Seat(3).stack, D(600)); // side pot of 2 x 300
    EXPECT_EQ(hand.state.Seat(1).stack, D(600));
    EXPECT_EQ(PotTotal(hand.state), Currency());
}

// ---------------------------------------------------------------- random play

// Random legal play, many hands of every kind, short stacks forced: chips
// are never made or lost, every hand ends, and every refused request leaves
// the hand as it was.
TEST(HandMachineTest, RandomHandsConserveChipsAndAlwaysEnd)
{
    std::mt19937 rng(20261207);
    const char* types[] = {"THNL", "THPL", "THLI"};
    for (int hand = 0; hand < 3000; ++hand) {
        StartEvent start;
        const int seats = 2 + static_cast<int>(rng() % 8);
        start.config =
            HandConfig{hand % 2 ? HandRules::Classic : HandRules::Standard, types[hand % 3], D(5), D(10)};
        start.seats.resize(static_cast<std::size_t>(seats) + 1);
        Currency chips;
        for (int p = 1; p <= seats; ++p) {
            const double stack = rng() % 4 == 0 ? static_cast<double>(rng() % 30 + 1) : 50.0 + rng() % 2000;
            start.seats[static_cast<std::size_t>(p)] = StartSeat{rng() % 9 != 0, D(stack)};
            if (start.seats[static_cast<std::size_t>(p)].playing) chips += D(stack);
        }
        start.seats[1].playing = start.seats[2].playing = true;
        chips = Currency();
        for (int p = 1; p <= seats; ++p)
            if (start.seats[static_cast<std::size_t>(p)].playing)
                chips += start.seats[static_cast<std::size_t>(p)].stack;
        start.button = 1 + static_cast<int>(rng() % static_cast<unsigned>(seats));
        start.pack = OrderedPack();
        std::shuffle(start.pack.begin(), start.pack.end(), rng);
        HandState state;
        ASSERT_TRUE(Apply(state, start).Accepted());
        int events = 0;
        while (!state.over) {
            ASSERT_LT(++events, 400) << "hand " << hand << " does not end";
            const int p = state.toAct;
            ASSERT_GE(p, 1);
            const BetLimits limits = LimitsFor(state, p);
            const RaiseRange range = RaiseAmounts(limits);
            const Currency call = CallAmount(limits);
            std::string request;
            switch (rng() % 6) {
            case 0:
                request = "F";
                break;
            case 1:
            case 2:
                request = call.IsZero() ? "C" : "R" + std::min(call, limits.myCash).ToString();
                break;
            case 3:
                request = "R" + limits.myCash.ToString();
                break;
            default: {
                if (!range.raise) {
                    request =
                        "R" + Currency::FromRaw(static_cast<std::int64_t>(rng() % 5000) * 100).ToString();
                    break;
                }
                const std::int64_t span = (range.most - range.least).Raw() / 100;
                const Currency amount = range.least + Currency::FromRaw(span > 0 ? (rng() % span) * 100 : 0);
                request = "R" + amount.ToString();
                EXPECT_EQ(CheckRequest(request, limits), RequestFault::None) << request;
            }
            }
            const HandState before = state;
            const HandStep step = Apply(state, *ParseRequest(p, request));
            if (!step.Accepted()) {
                EXPECT_EQ(state.toAct, before.toAct);
                EXPECT_EQ(PotTotal(state), PotTotal(before));
                continue;
            }
            Currency now = PotTotal(state);
            for (int q = 1; q <= seats; ++q)
                if (state.Seat(q).dealt) now += state.Seat(q).stack;
            if (!state.over) {
                ASSERT_EQ(now, chips) << "hand " << hand;
            }
        }
        Currency after;
        for (int q = 1; q <= seats; ++q)
            if (start.seats[static_cast<std::size_t>(q)].playing) after += state.Seat(q).stack;
        ASSERT_EQ(after, chips) << "hand " << hand;
    }
}

} // namespace
} // namespace scrivo
