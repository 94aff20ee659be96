#include "engine/Table.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "cards/Pack.h"
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
    EXPECT_TRUE(
        Has(lines, "w" + Numbered(Msg::UncalledReturned, "Ann", "$5"))); // the uncalled part of her blind
    EXPECT_TRUE(Has(lines, "w" + Numbered(Msg::Wins, "Ann", "$10")));
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
};

class BlindsAllInTest : public TableTest, public ::testing::WithParamInterface<BlindsCase> {};

// A blind that is all its poster has: nobody is left who could answer the
// other blind, so nobody gets a turn, and the board runs out to the table.
TEST_P(BlindsAllInTest, BoardRunsOutAndNobodyIsAskedToAct)
{
    const BlindsCase& c = GetParam();
    Open({"Ann", "Bob"}, {c.annCash, c.bobCash});
    StartHand();
    EXPECT_TRUE(Has(NewLines(), c.allInLine));
    EXPECT_EQ(Action(2), "A");
    EXPECT_EQ(Status(), "RE");
    EXPECT_TRUE(Has(test::ReadAllMessages(dir.Path()), "d\r\n" + Numbered(Msg::RestOfBoard)));
    EXPECT_EQ(TableTestAccess::BoardCards(*table).find('-'), std::string::npos); // no placeholder left
    table->Tick();
    EXPECT_EQ(TotalCash(), c.annCash + c.bobCash);
}

INSTANTIATE_TEST_SUITE_P(
    Blinds, BlindsAllInTest,
    ::testing::Values(BlindsCase{Whole(1000), Whole(3), "s" + Numbered(Msg::AllInSmallBlind, "Bob", "$3")},
                      BlindsCase{Whole(8), Whole(5), "s" + Numbered(Msg::AllInBigBlind, "Ann", "$8")}));

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

// The round's end reaches the records: the flop line, and no raise to match.
TEST_F(TableTest, RoundEndsWhenTheTurnComesBackToTheRaiser)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand();
    for (const char* request : {"R30", "R25", "R20"})
        Act(request);
    EXPECT_TRUE(Has(NewLines(), "d\r\n" + Numbered(Msg::Flop)));
    EXPECT_EQ(Status(), "P2");
    EXPECT_EQ(test::ReadGameFile(dir.Path()).LastRaise, Currency());
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

using BotsTest = test::HostTable;

// Requests the rules refuse in the seat's position, one of each kind that
// can come up there.
std::map<RequestFault, std::string> FaultyRequests(const BetLimits& limits)
{
    const Currency cent = Currency::FromDouble(0.01);
    const Currency call = CallAmount(limits);
    const RaiseRange range = RaiseAmounts(limits);
    std::vector<std::string> candidates = {"X",
                                           "R",
                                           "R0.001",
                                           BetRequest(limits.myCash + cent),
                                           "C",
                                           BetRequest(call + limits.bigBlind * 2),
                                           BetRequest(limits.bigBlind - cent)};
    if (call > cent) candidates.push_back(BetRequest(call - cent));
    if (limits.myCash > call) candidates.push_back(BetRequest(limits.myCash));
    if (range.raise) {
        candidates.push_back(BetRequest(range.least - cent));
        candidates.push_back(BetRequest(range.most + cent));
    }
    std::map<RequestFault, std::string> out;
    for (const std::string& request : candidates)
        if (const RequestFault fault = CheckRequest(request, limits); fault != RequestFault::None)
            out.emplace(fault, request);
    return out;
}

// Strong bots (players 1 and 3) and classic ones (2 and 4) play random hands
// of every structure under both rule sets, with stacks short enough that
// short all ins come up often. Every request a bot writes is one the rules
// allow and is taken at once. Now and then a seat holds a request the rules
// refuse instead, of every kind in turn: the bot checks, calls or folds in
// the same step; or the smallest raise, which caps limit rounds. With --gtest_repeat and --gtest_shuffle each
// run plays other hands.
TEST_F(BotsTest, EveryRequestIsLegalInEveryStructure)
{
    std::set<RequestFault> refused;
    Random random(7 + ::testing::UnitTest::GetInstance()->random_seed());
    // The bots draw on randomness of their own, so a fault that needs a rare
    // spot (a capped round, a short all in) may not come up in one round of
    // sixty hands a structure: the structures are played again until it does.
    for (int round = 0; round == 0 || (refused.size() < 12 && round < 8); ++round)
        for (const char* type : {"THNL", "THPL", "THLI"}) {
            table.reset();
            Open({"Ann", "Robo", "Cleo", "Dee"}, {}, type, 3);
            TableTestAccess::Session(*table).BotLevels = {
                BotLevel::Classic, BotLevel::Strong, BotLevel::Classic, BotLevel::Strong, BotLevel::Classic};
            TableTestAccess::SetBotTrials(*table, 40);
            // Limit rounds reach their cap only with deeper stacks.
            const int deep = std::string(type) == "THLI" ? 1000 : 300;
            for (int hand = 0; hand < 60; ++hand) {
                StartEvent start;
                start.config = HandConfig{hand % 2 ? HandRules::Classic : HandRules::Standard, type, Whole(5),
                                          Whole(10)};
                start.seats.assign(1, {});
                for (int p = 1; p <= 4; ++p)
                    start.seats.push_back({true, Whole(1 + random.Below(p == 1 + hand % 4 ? 30 : deep))});
                colPack pack;
                pack.ResetPack();
                pack.Shuffle(random);
                while (pack.Count() > 0)
                    start.pack.push_back(pack.TakeACard());
                HandState& h = TableTestAccess::Hand(*table);
                ASSERT_TRUE(Apply(h, start).Accepted());
                while (!h.over) {
                    const int p = h.toAct;
                    TableTestAccess::State(*table).CurrentPlayer = p;
                    const auto faulty = FaultyRequests(LimitsFor(h, p));
                    const RaiseRange range = RaiseAmounts(LimitsFor(h, p));
                    const int pick = random.Below(8);
                    if (pick <= (deep > 300 ? 2 : 1) && range.raise) {
                        // A raise as a person makes it, so that rounds are capped.
                        test::SetAction(dir.Path(), p, BetRequest(range.least));
                    } else if (pick <= 4 && !faulty.empty()) {
                        auto it = faulty.begin();
                        std::advance(it, random.Below(static_cast<int>(faulty.size())));
                        refused.insert(it->first);
                        test::SetAction(dir.Path(), p, it->second);
                    } else {
                        TableTestAccess::BotDecide(*table);
                        ASSERT_EQ(CheckRequest(Action(p), LimitsFor(h, p)), RequestFault::None)
                            << type << " " << Action(p);
                    }
                    const long long processed = table->Counters().actionsProcessed;
                    TableTestAccess::TakeBotRequest(*table);
                    ASSERT_EQ(table->Counters().actionsProcessed, processed + 1) << type;
                }
            }
        }
    std::string kinds;
    for (const RequestFault fault : refused)
        kinds += std::to_string(static_cast<int>(fault)) + " ";
    EXPECT_EQ(refused.size(), 12u) << kinds; // every fault but a request out of turn
}

// A bot says at most one line as it acts: its chat never comes twice in a
// row, however long the game.
TEST_F(BotsTest, ABotsChatLineIsWrittenOnceAsItActs)
{
    language.BotChat = {"", "Nice hand!"};
    Open({"Ann", "Robo", "Cleo"}, {Whole(100000), Whole(100000), Whole(100000)}, "THLI", 2);
    int chats = 0;
    for (int tick = 0; tick < 4000; ++tick) {
        if (table->CanStartRound()) {
            ASSERT_TRUE(table->StartRound());
        }
        if (table->MyTurn()) table->PlayOwnSeat();
        table->Tick();
    }
    const std::vector<std::string> lines = test::ReadAllMessages(dir.Path());
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (lines[n].empty() || lines[n][0] != 'm') continue;
        ++chats;
        ASSERT_TRUE(n + 1 == lines.size() || lines[n + 1] != lines[n]) << n << ": " << lines[n];
    }
    EXPECT_GT(chats, 10);
}

} // namespace
} // namespace scrivo
