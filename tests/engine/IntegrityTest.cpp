// The host applies only what command entry would accept, gives back what
// nobody called, and keeps the books straight when players or the host
// leave in the middle of a hand.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Commands.h"
#include "engine/Table.h"
#include "gamefolder/HostLease.h"
#include "gamefolder/RecordFile.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/FakeClock.h"
#include "testsupport/TableTestAccess.h"
#include "settings/TextIds.h"

namespace scrivo {
namespace {

using test::Numbered;
using test::Whole;
using Lines = std::vector<std::string>;

using IntegrityTest = test::HostTable;

class BadRequestTest : public IntegrityTest, public ::testing::WithParamInterface<std::string> {};

// Ann deals to Bob (small blind) and Cleo (big blind), so Ann acts first and
// owes 10. A request that fails the checks is handed back untouched.
TEST_P(BadRequestTest, IsHandedBackAndTheTurnStays)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand();
    const std::string status = Status();
    const int player = table->State().CurrentPlayer;
    const Currency cash = Cash(player);
    const Currency pot = test::ReadGameFile(dir.Path()).Pot;
    NewLines();
    box.Clear();

    Act(GetParam());
    EXPECT_EQ(Status(), status);
    EXPECT_EQ(Action(player), "-");
    EXPECT_EQ(Cash(player), cash);
    EXPECT_EQ(test::ReadGameFile(dir.Path()).Pot, pot);
    // One line says why and that the turn stays.
    const Lines lines = NewLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(std::to_string(player) + "s", 0), 0u);
    EXPECT_NE(lines[0].find(Numbered(Msg::YourTurn)), std::string::npos);
    EXPECT_TRUE(box.Texts().empty());
}

// A client that keeps writing a bad request is told why a few times a turn,
// then only has the request cleared; the reason is the command entry's text.
TEST_F(IntegrityTest, RepeatedRefusalsOfOneTurnAddAFewLinesAtMost)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand();
    NewLines();
    for (int i = 0; i < 20; ++i)
        Act("R4");
    const Lines lines = NewLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "1s" + Numbered(Msg::CallAtLeast, "$10") + " " + Numbered(Msg::YourTurn));
    EXPECT_EQ(Status(), "P1");
    Act("R10");
    EXPECT_EQ(Status(), "P2");
}

// Requests no player could mean, and one the betting rules refuse (those
// rules are the hand machine's, checked in its own table).
INSTANTIATE_TEST_SUITE_P(Requests, BadRequestTest,
                         ::testing::Values("C",        // a check while 10 are due
                                           "R0.00006", // below one cent
                                           "R10.005",  // a fraction of a cent
                                           "R1001",    // more than the cash
                                           "O",        // not a request a player makes
                                           "Z", "R", "Rabc", "R-5", "R0"));

// Command entry knows when the betting is not reopened for it.
TEST(ShortAllInEntry, OffersOnlyCallOrFold)
{
    const Language language = test::NumberedLanguage();
    BetLimits limits{Whole(900), Whole(100), Whole(120), Whole(120), Whole(400),
                     Whole(10),  "THNL",     false,      "$"};
    limits.mayRaise = false;
    EXPECT_EQ(EnterAmount("300", limits, language).status, Numbered(Msg::OnlyCallOrFold));
    EXPECT_FALSE(AllIn(limits, language).accepted);
    EXPECT_EQ(CheckOrCall(limits, language).request, "R20");
    EXPECT_TRUE(EnterAmount("20", limits, language).accepted);

    // The last action of the round decides: a raise smaller than the full
    // raise it faced does not reopen, a full one does.
    const RoundAction bet = ActionRecord(
        {Whole(1000), Currency(), Currency(), Currency(), Currency(), Whole(10), "THNL", false, "$"},
        Whole(100));
    EXPECT_FALSE(MayRaise(bet, Whole(120)));
    EXPECT_TRUE(MayRaise(bet, Whole(200)));
    EXPECT_TRUE(MayRaise(RoundAction{}, Whole(120)));
}

// A seat written into the folder while a hand runs takes no part in it: the
// stakes stay, the turn never reaches it, and it is dealt in from the next hand.
TEST_F(IntegrityTest, ASeatAddedMidHandIsDealtInFromTheNextHand)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand(); // Ann owes 10
    {
        auto usr = OpenRecordFile(PlayerFilePath(dir.Path()), PlayerRecordLength);
        ASSERT_TRUE(usr);
        PlayerRecord dan;
        dan.Name = "Dan";
        dan.Cash = Whole(1000);
        dan.Action = "-";
        ASSERT_TRUE(usr->WritePlayer(4, dan));
        usr->Close();
        auto gam = OpenRecordFile(GameFilePath(dir.Path()), GameRecordLength);
        ASSERT_TRUE(gam);
        GameRecord g = *gam->ReadGame();
        g.PlayerCount = 4;
        ASSERT_TRUE(gam->WriteGame(g));
    }
    table->Tick();
    NewLines();
    Act("R10"); // Ann calls
    Act("R5");  // Bob completes
    EXPECT_EQ(Status(), "P3");
    Act("C"); // Cleo checks her option: the flop, and Dan is not asked
    const Lines lines = NewLines();
    EXPECT_FALSE(Has(lines, "s" + Numbered(Msg::Calls, "Cleo", "$10")));
    EXPECT_EQ(Status(), "P2");
    EXPECT_EQ(test::ReadGameFile(dir.Path()).Pot, Whole(30));
    for (int i = 0; i < 12 && Status() != "RE"; ++i)
        Act("C");
    ASSERT_EQ(Status(), "RE");
    EXPECT_EQ(Cash(4), Whole(1000));
    EXPECT_EQ(TotalCash(), Whole(4000));
}

// Cleo leaves with 10 in the pot: her chips stay there as dead money and
// open no side pot of their own.
TEST_F(IntegrityTest, ADepartedPlayersStakeIsDeadMoneyInThePot)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand(); // Ann deals: Bob small blind, Cleo big blind
    Act("R50");
    Act("R45");
    Act("D");
    for (int i = 0; i < 6 && Status() != "RE"; ++i)
        Act("C");
    ASSERT_EQ(Status(), "RE");
    const Lines lines = test::ReadAllMessages(dir.Path());
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find(Numbered(Msg::SidePotUncontested).substr(0, 4)), std::string::npos) << line;
        EXPECT_EQ(line.find(Numbered(Msg::ShowdownSidePot).substr(0, 4)), std::string::npos) << line;
        EXPECT_EQ(line.find(Numbered(Msg::MainPotUncontested).substr(0, 4)), std::string::npos) << line;
    }
    EXPECT_TRUE(Has(lines, "d" + Numbered(Msg::ShowdownMainPot)));
    EXPECT_EQ(Cash(1) + Cash(2), Whole(2000) + Whole(10));
    EXPECT_EQ(Cash(3), Whole(990));
}

// The host leaves in the middle of a hand: every stake goes back, so the
// seats hold what was bought in.
TEST_F(IntegrityTest, TheHostLeavingMidHandReturnsEveryStake)
{
    Open({"Ann", "Bob", "Cleo"}, {Whole(500), Whole(1000), Whole(1000)});
    StartHand();
    Act("R30");
    Act("R25");
    Act("R20");
    Act("C");
    ASSERT_NE(test::ReadGameFile(dir.Path()).Pot, Currency());
    table->Leave();
    EXPECT_EQ(test::ReadGameFile(dir.Path()).Status, GameStatus::Ended);
    EXPECT_EQ(Cash(1), Whole(500));
    EXPECT_EQ(Cash(2), Whole(1000));
    EXPECT_EQ(Cash(3), Whole(1000));
    EXPECT_EQ(test::ReadGameFile(dir.Path()).Pot, Currency());
}

// A player who does not act is checked for when nothing is due and folded
// otherwise; after two turns in a row run out he is away: his window is told,
// his turns are played for him after a few seconds, and a back line (or a
// request of his own) gives him his full turns again.
TEST_F(IntegrityTest, TurnTimeRunsOutAndAnIdlePlayerIsAwayUntilHeIsBack)
{
    test::ScopedFakeClock time;
    Open({"Ann", "Bob", "Cleo"});
    GameSession session = test::SessionAt(dir.Path(), 1, "THNL");
    session.TurnSeconds = 30;
    table = std::make_unique<Table>(view, session, language);
    ASSERT_TRUE(table->Init());
    StartHand(); // Ann deals: Bob small blind, Cleo big blind, Ann owes 10
    EXPECT_TRUE(Has(NewLines(), "1s" + Numbered(Msg::TimeLeft, "30")));
    EXPECT_EQ(table->TurnSecondsLeft(), 30);
    time.clock.Advance(std::chrono::seconds(29));
    table->Tick();
    EXPECT_EQ(Status(), "P1");
    EXPECT_EQ(table->TurnSecondsLeft(), 1);
    time.clock.Advance(std::chrono::seconds(1));
    table->Tick();
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(Msg::TimedOutFolds, "Ann")));
    EXPECT_EQ(Action(1), "X");
    EXPECT_EQ(Status(), "P2");

    Act("R5");
    time.clock.Advance(std::chrono::seconds(31));
    table->Tick(); // Cleo has nothing to call
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(Msg::TimedOutChecks, "Cleo")));
    EXPECT_EQ(table->State().Stage, StageFlop);
    Act("C"); // Bob
    ASSERT_EQ(Status(), "P3");
    time.clock.Advance(std::chrono::seconds(30));
    table->Tick(); // the second turn in a row: Cleo is away, and told so
    std::vector<std::string> lines = NewLines();
    EXPECT_TRUE(Has(lines, "s" + Numbered(Msg::TimedOutChecks, "Cleo")));
    EXPECT_TRUE(Has(lines, "3a" + Numbered(Msg::YouAreAway)));
    Act("C"); // Bob, on the turn
    ASSERT_EQ(Status(), "P3");
    EXPECT_TRUE(table->IsAway(3) && !table->IsAway(2)); // once the host has read its lines
    table->Tick(); // his turn shows on his window first: nothing is played yet
    EXPECT_EQ(Status(), "P3");
    time.clock.Advance(std::chrono::seconds(AwayTurnSeconds));
    table->Tick(); // then he checks, since he may
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(Msg::Checks, "Cleo")));
    Act("R20"); // Bob, on the river
    ASSERT_EQ(Status(), "P3");
    time.clock.Advance(std::chrono::seconds(AwayTurnSeconds));
    table->Tick(); // and folds when a bet is to be called
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(Msg::AwayFolds, "Cleo")));
    EXPECT_EQ(Status(), "RE");
    EXPECT_EQ(Cash(3), Whole(990));
    EXPECT_EQ(TotalCash(), Whole(3000));

    const auto toCleosTurn = [&] {
        for (int guard = 0; guard < 20 && Status() != "P3"; ++guard) {
            if (table->CanStartRound()) {
                ASSERT_TRUE(table->StartRound());
            }
            if (Status().starts_with("P")) {
                const int p = table->State().CurrentPlayer;
                const Currency due =
                    test::ReadGameFile(dir.Path()).MinBet - test::ReadSeat(dir.Path(), p).Bet;
                test::SetAction(dir.Path(), p, due > Currency() ? "R" + due.ToString() : "C");
            }
            table->Tick();
        }
        ASSERT_EQ(Status(), "P3");
    };
    // A program of hers holding the seat does not make her back: she let her
    // turns run out, and stays away until she says otherwise.
    SeatClaim program;
    ASSERT_TRUE(program.Take(dir.Path(), 3));
    toCleosTurn();
    table->Tick();
    time.clock.Advance(std::chrono::seconds(AwayTurnSeconds));
    table->Tick();
    EXPECT_NE(Status(), "P3"); // played for her after the away player's few seconds

    // Cleo's window writes the back line: every table reads it, and her
    // next turn is hers for the whole turn time.
    ASSERT_TRUE(SendPlayerMessage(dir.Path(), "3b" + Numbered(Msg::YouAreBack)));
    table->Tick();
    EXPECT_FALSE(table->IsAway(3));
    toCleosTurn();
    time.clock.Advance(std::chrono::seconds(AwayTurnSeconds));
    table->Tick();
    EXPECT_EQ(Status(), "P3");
    EXPECT_EQ(table->TurnSecondsLeft(), 30 - AwayTurnSeconds);
}

} // namespace
} // namespace scrivo
