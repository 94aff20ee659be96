#include "engine/Table.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "engine/Commands.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/TableTestAccess.h"

namespace scrivo {
namespace {

using test::Numbered;
using test::Whole;
using Lines = std::vector<std::string>;
using Kinds = std::set<std::string>;

using TableTest = test::HostTable;

TEST_F(TableTest, TwoPlayersSwapBlindsEachHandAndAFoldGivesThePot)
{
    Open({"Ann", "Bob"});
    StartHand();
    Lines lines = NewLines();
    EXPECT_TRUE(
        Has(lines, "s" + Numbered(Msg::PostsSmallBlind, "Bob", "$5"))); // the dealer's opponent posts small
    EXPECT_TRUE(Has(lines, "s" + Numbered(Msg::PostsBigBlind, "Ann", "$10")));
    EXPECT_EQ(Status(), "P2"); // and acts first
    Act("F");
    lines = NewLines();
    EXPECT_TRUE(Has(lines, "w" + Numbered(Msg::Wins, "Ann", "$15")));
    EXPECT_EQ(Cash(1), Whole(1005));
    table->Tick();
    EXPECT_EQ(table->State().HandNo, 2);

    ASSERT_TRUE(table->StartRound());
    EXPECT_FALSE(table->StartRound()); // a second press before the hand starts
    table->Tick();                     // GP: the button moves to Bob
    EXPECT_EQ(Action(2), "-");
    table->Tick();
    EXPECT_EQ(Trim(test::ReadSeat(dir.Path(), 1).Blind), "SB");
    EXPECT_EQ(Status(), "P1");
}

struct BlindsCase {
    Currency annCash, bobCash;
    std::string allInLine;
    bool callNeeded; // Ann still has a decision to make
};

class BlindsAllInTest : public TableTest, public ::testing::WithParamInterface<BlindsCase> {};

TEST_P(BlindsAllInTest, BoardRunsOutAndNobodyIsAskedToAct)
{
    const BlindsCase& c = GetParam();
    Open({"Ann", "Bob"}, {c.annCash, c.bobCash});
    StartHand();
    EXPECT_TRUE(Has(NewLines(), c.allInLine));
    EXPECT_EQ(Action(2), "A");
    ASSERT_EQ(Status(), c.callNeeded ? "P1" : "RE");
    if (c.callNeeded) Act("C");
    EXPECT_TRUE(Has(test::ReadAllMessages(dir.Path()), "d\r\n" + Numbered(Msg::RestOfBoard)));
    EXPECT_EQ(Status(), "RE");
    EXPECT_EQ(TableTestAccess::BoardCards(*table).find('-'), std::string::npos); // no placeholder left
    table->Tick();
    EXPECT_EQ(TotalCash(), c.annCash + c.bobCash);
}

INSTANTIATE_TEST_SUITE_P(
    Blinds, BlindsAllInTest,
    // Ann's big blind covers Bob's all in: nobody is left who could answer
    // her, so she gets no turn.
    ::testing::Values(
        BlindsCase{Whole(1000), Whole(5), "s" + Numbered(Msg::AllInSmallBlind, "Bob", "$5"), false},
        BlindsCase{Whole(1000), Whole(3), "s" + Numbered(Msg::AllInSmallBlind, "Bob", "$3"), false},
        BlindsCase{Whole(8), Whole(5), "s" + Numbered(Msg::AllInBigBlind, "Ann", "$8"), false}));

// Bob ends the flop betting and opens the turn: the status text stays the
// same, and the turn card must still reach the table view.
TEST_F(TableTest, BoardIsRedrawnWhenTheSameSeatClosesAndOpensARound)
{
    Open({"Ann", "Bob", "Cleo"}, {Whole(100), Whole(1000), Whole(1000)}, "THLI");
    StartHand();
    for (const char* request : {"R10", "R5", "C", "C", "R10", "R10"})
        Act(request);
    table->Tick(); // Bob thinks
    Act("R10");
    ASSERT_EQ(Status(), "P2");
    table->Tick();
    EXPECT_TRUE(table->State().BigBet);
}

TEST_F(TableTest, RoundEndsWhenTheTurnComesBackToTheRaiser)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand();
    ASSERT_EQ(Status(), "P1");
    Act("R30");
    Act("R25");
    Act("R20");
    EXPECT_TRUE(Has(NewLines(), "d\r\n" + Numbered(Msg::Flop)));
    EXPECT_EQ(Status(), "P2");
    EXPECT_EQ(test::ReadGameFile(dir.Path()).LastRaise, Currency());
    Act("C");
    Act("C");
    EXPECT_EQ(table->State().Stage, StageFlop);
    Act("C");
    EXPECT_EQ(table->State().Stage, StageTurn);
}

// Bob's client writes what the host cannot apply, as a faulty client might:
// the host hands it back (what the host leaves untouched is checked with
// every kind of request in IntegrityTest), and Bob's table gives him his
// turn again.
TEST_F(TableTest, RefusedRequestIsHandedBackToTheClientsTable)
{
    Open({"Ann", "Bob"});
    StartHand();
    test::RecordingView bobView;
    Table bob(bobView, test::SessionAt(dir.Path(), 2, "THNL"), language);
    ASSERT_TRUE(bob.Init());
    bob.Tick();
    ASSERT_TRUE(WriteRequest(bob, CommandOutcome{true, "R995.01", ""}));
    bob.Tick();
    EXPECT_FALSE(bob.MyTurn());
    table->Tick();
    EXPECT_EQ(Status(), "P2");
    EXPECT_EQ(Action(2), "-");
    bob.Tick();
    ASSERT_TRUE(bob.MyTurn());
    ASSERT_TRUE(WriteRequest(bob, CheckOrCall(LimitsOf(bob), language)));
    table->Tick();
    EXPECT_EQ(Status(), "P1");
}

// The host's own request was handed back; before its table has looked again,
// a request in its seat that it did not write itself is applied. The bet
// stays in the pot and the turn moves on: the file still holds the pot and
// status from before the bet, and the host must not take them back.
TEST_F(TableTest, HostRequestAfterARefusedOneKeepsThePotAndPassesTheTurn)
{
    Open({"Ann", "Bob"});
    StartHand();
    Act("R5");
    table->Tick();
    ASSERT_EQ(Status(), "P1");
    ASSERT_TRUE(table->MyTurn());
    ASSERT_TRUE(WriteRequest(*table, CommandOutcome{true, "Rabc", ""}));
    table->Tick();
    ASSERT_EQ(Action(1), "-");
    test::SetAction(dir.Path(), 1, "R10");
    table->Tick();
    EXPECT_EQ(Status(), "P2");
    EXPECT_FALSE(table->MyTurn());
    EXPECT_EQ(table->State().Pot, Whole(30));
    EXPECT_EQ(test::ReadGameFile(dir.Path()).Pot, Whole(30));
    EXPECT_EQ(TotalCash() + test::ReadGameFile(dir.Path()).Pot, Whole(2000));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(TableTest, DepartedPlayerIsSkippedSilently)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand();
    NewLines();
    Act("D");
    EXPECT_EQ(NewLines(), Lines{"2s" + Numbered(Msg::YourTurn)}); // nothing said about Ann
    Act("F");
    table->Tick();
    StartHand();
    table->Tick(); // Bob deals; Cleo and Bob post the blinds, Cleo acts first
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(Msg::PostsBigBlind, "Bob", "$10")));
    EXPECT_EQ(Status(), "P3");
    EXPECT_EQ(TotalCash(), Whole(2985)); // the blinds are in the pot
}

TEST_F(TableTest, LastPlayerWithCashEndsTheGame)
{
    Open({"Ann", "Bob", "Cleo"}, {Whole(3000), Whole(0), Whole(0)});
    TableTestAccess::State(*table).Stage = StagePreFlop;
    test::SetStatus(dir.Path(), "RE");
    table->Tick();
    const Lines lines = NewLines();
    EXPECT_TRUE(Has(lines, "b" + Numbered(Msg::OutOfChips, "Cleo")));
    EXPECT_EQ(lines.back(), "s" + Numbered(Msg::GameOver, "Ann"));
    EXPECT_EQ(Status(), "GE");
    EXPECT_FALSE(table->StartRound());
    EXPECT_TRUE(view.gameEnded);
    EXPECT_EQ(Action(2), "O");
}

// A window lets events run inside view calls: a tick, or closing the table.
TEST_F(TableTest, TickInsideATickReturnsAndAClosedTableStops)
{
    Open({"Ann", "Bob"});
    int nested = 0;
    view.onLines = [&](const std::vector<LogLine>&) { ++nested, table->Tick(); };
    StartHand();
    table->Tick();
    EXPECT_GT(nested, 0);
    EXPECT_EQ(table->Counters().ticks, 2);
    EXPECT_EQ(Status(), "P2");

    Act("R5"); // its lines reach the view at the next tick, which then must not act on Ann's turn
    const long long processed = table->Counters().actionsProcessed;
    view.onLines = [&](const std::vector<LogLine>&) { table->Leave(); };
    table->Tick();
    EXPECT_EQ(Status(), "GE");
    EXPECT_EQ(table->Counters().actionsProcessed, processed);
}

struct BotCase {
    std::string type;
    Currency cash, stake, minBet, lastRaise, pot;
    bool bigBet;
    Kinds kinds; // all that is seen, with "R<=" for any bet above 0 up to the pot
    std::string board = {};
};

class BotsTest : public test::HostTable, public ::testing::WithParamInterface<BotCase> {};

// The bot (player 2) decides many times in one position.
TEST_P(BotsTest, RequestsStayWithinTheGameAndItsCash)
{
    const BotCase& c = GetParam();
    Open({"Ann", "Robo"}, {}, c.type, 1);
    TableState& s = TableTestAccess::State(*table);
    s.CurrentPlayer = 2;
    s.PlayerCash[2] = c.cash;
    s.HandStake[2] = c.stake;
    s.MinBet = c.minBet;
    s.LastRaise = c.lastRaise;
    s.Pot = c.pot;
    s.BigBet = c.bigBet;
    TableTestAccess::SetBoardCards(*table, c.board);
    Kinds seen;
    for (int i = 0; i < 300; ++i) {
        test::SetAction(dir.Path(), 2, "-");
        TableTestAccess::BotDecide(*table);
        std::string a = Action(2);
        const std::optional<Currency> amount = Currency::Parse(a.substr(1));
        if (a[0] == 'R' && amount && *amount > Currency() && *amount <= c.pot) a = "R<=";
        seen.insert(a);
    }
    EXPECT_EQ(seen, c.kinds);
}

const Currency none;
const std::string board = "2_2,3_7,2_9,3_10,0_3";

INSTANTIATE_TEST_SUITE_P(
    Positions, BotsTest,
    ::testing::Values(
        BotCase{"THNL", Whole(30), none, Whole(50), none, none, false, {"F", "R30"}},
        BotCase{"THNL", Whole(500), Whole(10), Whole(35), none, none, false, {"F", "R25"}},
        BotCase{"THLI", Whole(100), Whole(10), Whole(10), none, none, false, {"C", "R10"}},
        BotCase{"THLI", Whole(100), Whole(10), Whole(10), none, none, true, {"C", "R20"}},
        // The turn card is out though the view has not been redrawn yet.
        BotCase{"THLI", Whole(100), Whole(10), Whole(10), none, none, false, {"C", "R20"}, board},
        // Cannot pay the big bet: writes nothing and is asked again later.
        BotCase{"THLI", Whole(15), Whole(10), Whole(10), none, none, true, {"C", "-"}},
        BotCase{"THPL", Whole(100), Whole(10), Whole(10), none, Whole(40), false, {"C", "-", "R<="}},
        // A raise bigger than its cash is capped at the cash.
        BotCase{"THNL", Whole(100), Whole(10), Whole(10), Whole(300), none, false, {"C", "R100"}},
        BotCase{"THNL", Whole(100), StakeAllIn, none, none, none, false, {"-"}}));

struct ShowdownCase {
    std::vector<Currency> stakes; // HandStake of players 1 to 3
    std::vector<std::string> holes;
    std::string board;
    std::vector<std::pair<Currency, std::string>> pots; // amount, players
    std::vector<std::string> lines;                     // among the lines sent
    std::vector<Currency> cash;                         // afterwards
};

class ShowdownTest : public test::HostTable, public ::testing::WithParamInterface<ShowdownCase> {};

TEST_P(ShowdownTest, PaysEveryPotOnceToItsWinners)
{
    const ShowdownCase& c = GetParam();
    Open({"Ann", "Bob", "Cleo"});
    TableState& s = TableTestAccess::State(*table);
    s.Stage = StageRiver;
    Currency total = Whole(3000);
    for (std::size_t p = 1; p <= 3; ++p) {
        s.HandStake[p] = c.stakes[p - 1];
        TableTestAccess::SetHoleCards(*table, static_cast<int>(p), c.holes[p - 1]);
    }
    TableTestAccess::SetBoardCards(*table, c.board);
    for (const auto& [amount, players] : c.pots) {
        s.Pots[s.CurrentPot] = amount;
        s.PotPlayers[s.CurrentPot++] = players;
        total += amount;
    }
    --s.CurrentPot;
    TableTestAccess::Showdown(*table);
    table->Tick();
    const Lines lines = NewLines();
    for (const std::string& line : c.lines)
        EXPECT_TRUE(Has(lines, line)) << line;
    for (std::size_t p = 1; p <= c.cash.size(); ++p)
        EXPECT_EQ(Cash(static_cast<int>(p)), c.cash[p - 1]) << p;
    EXPECT_EQ(TotalCash(), total);
    EXPECT_TRUE(box.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pots, ShowdownTest,
    ::testing::Values(
        // A short all-in: the side pot goes back to the bettor, the main pot to the best hand.
        ShowdownCase{
            {Whole(100), StakeAllIn, StakeOut},
            {"0_0,1_5", "0_12,1_12", ""},
            board,
            {{Whole(100), "12"}, {Whole(50), "1"}},
            {"d" + Numbered(Msg::SidePotUncontested, "Ann", "1"), "d" + Numbered(Msg::ShowdownMainPot)},
            {Whole(1050), Whole(1100)}},
        // Three equal hands; Ann deals, so Bob gets the odd cent.
        ShowdownCase{{none, none, none},
                     {"0_0,1_1", "1_0,2_1", "2_0,3_1"},
                     "3_8,3_9,3_10,3_11,3_12",
                     {{Whole(100), "123"}},
                     {"s\r\n" + Numbered(Msg::PlayersSharePot, "3"),
                      "w" + Numbered(Msg::Wins, "Bob", "$33.34"), "w" + Numbered(Msg::Wins, "Cleo", "$33.33"),
                      "w" + Numbered(Msg::Wins, "Ann", "$33.33")},
                     {Whole(1000) + Currency::FromRaw(333300), Whole(1000) + Currency::FromRaw(333400)}},
        // A pot whose only contender left the table goes to the best hand still in.
        ShowdownCase{{StakeAllIn, Whole(60), StakeOut},
                     {"0_12,1_12", "0_0,1_5", "2_12,3_12"},
                     board,
                     {{Whole(90), "123"}, {Whole(40), "3"}},
                     {},
                     {Whole(1130), Whole(1000), Whole(1000)}}));

using PotsTest = test::HostTable;

// Side pots against a calculation from first principles: each pot is the
// slice of all stakes between two all-in totals, and belongs to the players
// still in who put in at least up to that slice; a player who folds pays
// into the pots but contends for none.
TEST_F(PotsTest, SidePotsAgreeWithAnIndependentCalculation)
{
    Open({"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9"});
    TableState& s = TableTestAccess::State(*table);
    Random random(2024);
    for (int i = 0; i < 5000; ++i) {
        const int n = 2 + random.Below(8);
        std::vector<Currency> cash(n + 1), total(n + 1);
        std::vector<bool> folded(n + 1), allIn(n + 1);
        for (int p = 1; p <= n; ++p)
            cash[p] = Whole(1 + random.Below(6) * 20 + random.Below(40));
        s.PlayerCount = n;
        s.HandStake.assign(n + 1, Currency());
        s.Pots.fill(Currency());
        for (std::string& players : s.PotPlayers)
            players.clear();
        s.CurrentPot = 1;
        for (int r = 0, rounds = 1 + random.Below(4); r < rounds; ++r) {
            int active = 0;
            for (int p = 1; p <= n; ++p)
                active += !folded[p] && !allIn[p];
            if (active < 2) break;
            const int level = random.Below(4) == 0 ? 0 : 1 + random.Below(60);
            s.RoundStake.fill(Currency());
            for (int p = 1; p <= n; ++p) {
                if (folded[p] || allIn[p]) continue;
                const Currency left = cash[p] - total[p];
                Currency stake = Whole(level);
                if (random.Below(6) == 0) { // folds after putting in part of the level
                    stake = std::min(left, Whole(random.Below(level + 1)));
                    folded[p] = true;
                } else if (left <= stake) {
                    stake = left;
                    allIn[p] = true;
                }
                total[p] += stake;
                s.RoundStake[p] = stake;
                s.HandStake[p] = folded[p] ? StakeFolded : allIn[p] ? StakeAllIn : total[p];
            }
            TableTestAccess::BuildSidePots(*table);
        }

        std::set<Currency> caps{*std::max_element(total.begin(), total.end())};
        for (int p = 1; p <= n; ++p)
            if (allIn[p] && !folded[p]) caps.insert(total[p]);
        std::map<std::set<int>, Currency> expected, engine;
        Currency previous;
        for (const Currency cap : caps) {
            Currency amount;
            std::set<int> eligible;
            for (int p = 1; p <= n; ++p) {
                if (total[p] <= previous) continue;
                amount += std::min(total[p], cap) - previous;
                if (!folded[p]) eligible.insert(p);
            }
            if (amount > Currency()) expected[eligible] += amount;
            previous = cap;
        }
        for (int k = 1; k <= s.CurrentPot; ++k) {
            std::set<int> eligible;
            for (char d : s.PotPlayers[k])
                if (!folded[d - '0']) eligible.insert(d - '0');
            if (!s.Pots[k].IsZero()) engine[eligible] += s.Pots[k];
        }
        ASSERT_EQ(engine, expected) << "pattern " << i;
    }
}

} // namespace
} // namespace scrivo
