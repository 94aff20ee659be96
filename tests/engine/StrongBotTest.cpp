#include "engine/StrongBot.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Commands.h"
#include "platform/Random.h"
#include "testsupport/BotSituations.h"
#include "testsupport/EngineFixtures.h"

namespace scrivo {
namespace {

// "Ah Kd 7c": faces 2..9 T J Q K A, suits h d s c.
std::vector<clsCard> Cards(const std::string& text)
{
    static const std::string Faces = "23456789TJQKA";
    static const std::string Suits = "hdsc";
    std::vector<clsCard> cards;
    for (std::size_t i = 0; i + 1 < text.size(); i += 3)
        cards.emplace_back(static_cast<int>(Suits.find(text[i + 1])), static_cast<int>(Faces.find(text[i])));
    return cards;
}

Currency Money(double amount)
{
    return Currency::FromDouble(amount);
}

// Empty when a player at the table could make this request in this spot:
// what command entry accepts from a human (check, call, fold, all in, or an
// amount that passes every check of the amount box), with a raise adding at
// least the big blind and an all-in that respects the structure's cap.
// Otherwise the reason.
std::string WhyIllegal(const BotSituation& s, const std::string& request)
{
    const Currency toCall = s.level > s.stake ? s.level - s.stake : Currency();
    if (request == "F") return toCall > Currency() ? "" : "folds when it could check";
    if (request == "C") return toCall.IsZero() ? "" : "checks when it must call";
    if (request.empty() || request[0] != 'R') return "not a request";
    const std::optional<Currency> amount = Currency::Parse(request.substr(1));
    if (!amount || *amount <= Currency()) return "amount not positive";
    if (*amount > s.cash) return "more than the cash";
    if (toCall > Currency() && *amount == std::min(toCall, s.cash)) return "";
    if (*amount <= toCall) return "less than the call";
    const RequestFault fault = CheckRequest(request, LimitsOf(s));
    if (fault != RequestFault::None)
        return "refused by the rules: " + std::to_string(static_cast<int>(fault));
    return "";
}

// ---- clear spots ----

// A spot with money in big blinds of 10 and one opponent of interest; the
// other players dealt in have folded.
struct Spot {
    const char* name;
    std::string gameType;
    std::string hole;
    std::string board;
    double pot, stake, level, cash;
    double lastRaise = 0;
    HandActions did{};
    SeatHistory history{};
    double opponentCash = 1000;
    bool opponentAllIn = false;
    enum Expect { Fold, Check, CallExactly, BetOrRaise } expect = Fold;
};

BotSituation HeadsUp(const std::string& hole, const std::string& board, HandActions did = {},
                     SeatHistory history = {}, int opponents = 1)
{
    BotSituation s;
    const std::vector<clsCard> cards = Cards(hole);
    s.hole = {cards[0], cards[1]};
    s.board = Cards(board);
    s.dealtIn = opponents + 1;
    for (int i = 0; i < opponents; ++i) {
        BotOpponent o;
        o.live = true;
        o.position = i + 1;
        o.did = did;
        o.history = history;
        s.opponents.push_back(o);
    }
    return s;
}

BotSituation Build(const Spot& spot)
{
    BotSituation s = HeadsUp(spot.hole, spot.board, spot.did, spot.history, 2);
    s.pot = Money(spot.pot);
    s.stake = Money(spot.stake);
    s.level = Money(spot.level);
    s.lastRaise = Money(spot.lastRaise);
    s.cash = Money(spot.cash);
    s.bigBlind = Money(10);
    s.gameType = spot.gameType;
    s.bigBet = s.board.size() >= 4;
    s.position = 2;
    BotOpponent& villain = s.opponents[0];
    villain.allIn = spot.opponentAllIn;
    villain.cash = Money(spot.opponentCash);
    villain.stake = Money(spot.level);
    villain.position = 0;
    s.opponents[1] = BotOpponent{}; // folded
    s.opponents[1].position = 1;
    s.opponents[1].stake = Money(5);
    return s;
}

class StrongSpots : public ::testing::TestWithParam<Spot> {};

TEST_P(StrongSpots, TakesTheClearAction)
{
    const Spot& spot = GetParam();
    const BotSituation s = Build(spot);
    Random random(77);
    const std::string request = StrongDecide(s, random);
    EXPECT_EQ(WhyIllegal(s, request), "") << request;
    const Currency toCall = s.level - s.stake;
    if (spot.expect == Spot::BetOrRaise) {
        ASSERT_EQ(request[0], 'R');
        EXPECT_GT(*Currency::Parse(request.substr(1)), toCall) << request;
    } else {
        EXPECT_EQ(request, spot.expect == Spot::Fold    ? "F"
                           : spot.expect == Spot::Check ? "C"
                                                        : BetRequest(std::min(toCall, s.cash)));
    }
}

constexpr HandActions Raised{1, 0, 0, 0, 0};
constexpr HandActions BetEveryStreet{0, 1, 3, 0, 0};
constexpr HandActions BetOnce{0, 1, 1, 0, 0};
constexpr HandActions Limped{0, 1, 0, 0, 0};
constexpr SeatHistory NeverFolds{100, 30, 100, 0};
constexpr SeatHistory Unknown{};
const char* const Royal = "Qs Js Ts 2h 3d";

INSTANTIATE_TEST_SUITE_P(
    Spots, StrongSpots,
    ::testing::Values(Spot{"SevenTwoFoldsToAnAllIn", "THNL", "7c 2d", "", 1015, 10, 1000, 990, 1000, Raised,
                           Unknown, 0, true},
                      Spot{"SevenTwoFoldsToAPotRaise", "THPL", "7c 2d", "", 50, 10, 35, 990, 35, Raised},
                      Spot{"SevenTwoFoldsToRiverBets", "THLI", "7c 2d", "Ah Kd Qs 9c 4h", 120, 60, 80, 940,
                           20, BetEveryStreet},
                      Spot{"RoyalFlushBetsNoLimit", "THNL", "As Ks", Royal, 200, 100, 100, 900, 0, BetOnce,
                           Unknown, 900, false, Spot::BetOrRaise},
                      Spot{"RoyalFlushBetsPotLimit", "THPL", "As Ks", Royal, 200, 100, 100, 900, 0, BetOnce,
                           Unknown, 900, false, Spot::BetOrRaise},
                      Spot{"RoyalFlushBetsLimit", "THLI", "As Ks", Royal, 80, 40, 40, 900, 0, BetOnce,
                           Unknown, 900, false, Spot::BetOrRaise},
                      Spot{"RoyalFlushRaisesABet", "THNL", "As Ks", Royal, 260, 100, 160, 900, 60,
                           BetEveryStreet, Unknown, 900, false, Spot::BetOrRaise},
                      // A full limit bet cannot be raised: the limit amount only calls it.
                      Spot{"RoyalFlushRaisesALimitBet", "THLI", "As Ks", Royal, 100, 40, 60, 900, 20,
                           BetEveryStreet, Unknown, 900, false, Spot::BetOrRaise},
                      Spot{"AcesCallAllInForLess", "THNL", "Ah Ad", "", 1015, 10, 1000, 300, 1000, Raised,
                           Unknown, 0, true, Spot::CallExactly},
                      Spot{"TrashChecksItsFreeOption", "THNL", "7c 2d", "", 25, 10, 10, 990, 10, Limped,
                           Unknown, 990, false, Spot::Check},
                      Spot{"TrashChecksAgainstACallingStation", "THNL", "7c 2d", "Ah Kd Qs 9c 4h", 200, 100,
                           100, 900, 0, Limped, NeverFolds, 900, false, Spot::Check},
                      Spot{"FlushDrawCallsASmallBet", "THNL", "9h 8h", "Ah Kh 2c 4d", 110, 50, 60, 950, 10,
                           BetOnce, Unknown, 940, false, Spot::CallExactly}),
    [](const ::testing::TestParamInfo<Spot>& info) { return std::string(info.param.name); });

// ---- every request keeps to the rules ----

class StrongRules : public ::testing::TestWithParam<std::string> {};

TEST_P(StrongRules, EveryRequestIsOneAPlayerCouldMake)
{
    Random situations(0xB07 + GetParam().size());
    Random decisions(99);
    for (int i = 0; i < 1500; ++i) {
        const BotSituation s = test::RandomSituation(situations, GetParam());
        const std::string request = StrongDecide(s, decisions, 20);
        ASSERT_EQ(WhyIllegal(s, request), "")
            << "situation " << i << ": " << request << " with cash " << s.cash.ToString() << ", stake "
            << s.stake.ToString() << ", level " << s.level.ToString() << ", last raise "
            << s.lastRaise.ToString() << ", pot " << s.pot.ToString() << ", big blind "
            << s.bigBlind.ToString();
    }
}

TEST_P(StrongRules, RepeatsItselfFromTheSameSeed)
{
    Random situations(5);
    for (int i = 0; i < 50; ++i) {
        const BotSituation s = test::RandomSituation(situations, GetParam());
        Random first(i), second(i);
        EXPECT_EQ(StrongDecide(s, first, 50), StrongDecide(s, second, 50));
    }
}

TEST_P(StrongRules, PlaysSafeOnCardsThatCannotBe)
{
    Random situations(8), decisions(8);
    for (int i = 0; i < 50; ++i) {
        BotSituation s = test::RandomSituation(situations, GetParam());
        if (i % 2 == 0)
            s.hole[1] = s.hole[0];
        else
            s.board = Cards("Ah Ah Kd Qs Jc Th");
        const std::string request = StrongDecide(s, decisions, 20);
        EXPECT_EQ(request, s.level > s.stake ? "F" : "C");
    }
}

INSTANTIATE_TEST_SUITE_P(Structures, StrongRules, ::testing::Values("THLI", "THPL", "THNL"));

// ---- equity and ranges ----

TEST(StrongEquity, BoardThatNobodyBeatsSplitsThePotEvenly)
{
    for (int opponents : {1, 3, 8}) {
        Random random(opponents);
        const BotSituation s = HeadsUp("2c 3d", "As Ks Qs Js Ts", BetOnce, {}, opponents);
        EXPECT_NEAR(StrongEquity(s, random, 300), 1.0 / (opponents + 1), 1e-9) << opponents;
    }
}

TEST(StrongEquity, MatchesKnownOddsAgainstARandomHand)
{
    Random random(3);
    // Aces against one unknown hand win about 85 % of the time; a made
    // royal flush always, and so do four aces on a board that allows no
    // straight flush, since nobody else can hold an ace.
    EXPECT_NEAR(StrongEquity(HeadsUp("Ah Ad", ""), random, 4000), 0.85, 0.03);
    EXPECT_DOUBLE_EQ(StrongEquity(HeadsUp("As Ks", "Qs Js Ts 2h 3d"), random, 300), 1.0);
    EXPECT_DOUBLE_EQ(StrongEquity(HeadsUp("Ah Ad", "As Ac 2h 3d 4c", {}, {}, 3), random, 300), 1.0);
}

TEST(StrongEquity, ActionsNarrowTheOpponentsHands)
{
    Random random(4);
    const SeatHistory tight{200, 40, 100, 50, 30};
    const SeatHistory playsEverything{200, 190, 100, 10, 150};
    const double unknown = StrongEquity(HeadsUp("Kh Qd", "", {}, tight), random, 4000);
    const double againstRaises = StrongEquity(HeadsUp("Kh Qd", "", {2, 0, 0, 0, 0}, tight), random, 4000);
    const double againstLooseRaises =
        StrongEquity(HeadsUp("Kh Qd", "", {2, 0, 0, 0, 0}, playsEverything), random, 4000);
    EXPECT_LT(againstRaises, unknown - 0.15);
    EXPECT_GT(againstLooseRaises, againstRaises + 0.05);

    // Later bets make the bettor's hand stronger on the board dealt so far.
    const double checked = StrongEquity(HeadsUp("9h 9d", "Kc 7s 2h", {0, 1, 0, 0, 1}, tight), random, 4000);
    const double bet = StrongEquity(HeadsUp("9h 9d", "Kc 7s 2h", {0, 1, 3, 0, 0}, tight), random, 4000);
    EXPECT_LT(bet, checked - 0.15);
}

TEST(StartingHandRank, OrdersTheStartingHands)
{
    auto rank = [](const std::string& hole) {
        const std::vector<clsCard> cards = Cards(hole);
        return StartingHandRank(cards[0], cards[1]);
    };
    EXPECT_LT(rank("Ah Kh"), rank("Ah Kd"));
    EXPECT_LT(rank("Ah Kd"), rank("9h 8d"));
    EXPECT_EQ(rank("Kd Ah"), rank("Ah Kd"));
    EXPECT_GT(rank("7c 2d"), 0.9);
    const std::string pairs[] = {"Ah Ad", "Kh Kd", "Qh Qd", "Jh Jd", "Th Td", "9h 9d", "8h 8d",
                                 "7h 7d", "6h 6d", "5h 5d", "4h 4d", "3h 3d", "2h 2d"};
    for (std::size_t i = 1; i < std::size(pairs); ++i)
        EXPECT_LT(rank(pairs[i - 1]), rank(pairs[i])) << pairs[i];
}

} // namespace
} // namespace scrivo
