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

struct RefusedCase {
    std::string type;
    std::vector<std::string> before; // requests played first
    std::string request;
};

class BadRequestTest : public IntegrityTest, public ::testing::WithParamInterface<RefusedCase> {};

// Ann deals to Bob (small blind) and Cleo (big blind), so Ann acts first and
// owes 10. A request that fails the checks is handed back untouched.
TEST_P(BadRequestTest, IsHandedBackAndTheTurnStays)
{
    const RefusedCase& c = GetParam();
    Open({"Ann", "Bob", "Cleo"}, {}, c.type);
    StartHand();
    for (const std::string& r : c.before)
        Act(r);
    const std::string status = Status();
    const int player = table->State().CurrentPlayer;
    const Currency cash = Cash(player);
    const Currency pot = test::ReadGameFile(dir.Path()).Pot;
    NewLines();
    box.Clear();

    Act(c.request);
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

INSTANTIATE_TEST_SUITE_P(
    Requests, BadRequestTest,
    ::testing::Values(RefusedCase{"THNL", Lines(), "C"},        // a check while 10 are due
                      RefusedCase{"THNL", Lines(), "R4"},       // less than the call
                      RefusedCase{"THNL", Lines(), "R0.00006"}, // below one cent
                      RefusedCase{"THNL", Lines(), "R10.005"},  // a fraction of a cent
                      RefusedCase{"THNL", Lines(), "R1001"},    // more than the cash
                      RefusedCase{"THNL", Lines{"R30"}, "R35"}, // a raise of 5 where 20 is the least
                      RefusedCase{"THNL", Lines(), "O"},        // not a request a player makes
                      RefusedCase{"THNL", Lines(), "Z"}, RefusedCase{"THNL", Lines(), "R"},
                      RefusedCase{"THNL", Lines(), "Rabc"}, RefusedCase{"THNL", Lines(), "R-5"},
                      RefusedCase{"THNL", Lines(), "R0"},                  // malformed, or nothing to bet
                      RefusedCase{"THLI", Lines(), "R500"},                // off the limit size
                      RefusedCase{"THLI", Lines(), "R1000"},               // all in above the limit size
                      RefusedCase{"THLI", Lines{"R10", "R5", "C"}, "R15"}, // flop: neither 10 nor a call
                      RefusedCase{"THPL", Lines(), "R100"}));              // above the pot

// Dan bets 100, Ann's all in for 120 raises by less than a full raise, Bob
// and Cleo call: Dan, who has acted, may call or fold but not raise again.
// An all in for a full raise reopens the betting.
struct ShortAllInCase {
    Currency annCash;
    bool reopens;
};

class ShortAllInTest : public IntegrityTest, public ::testing::WithParamInterface<ShortAllInCase> {};

TEST_P(ShortAllInTest, ReopensTheBettingOnlyWithAFullRaise)
{
    const ShortAllInCase& c = GetParam();
    // Dan deals; Ann is small blind, Bob big blind, Cleo acts first.
    Open({"Dan", "Ann", "Bob", "Cleo"}, {Whole(1000), c.annCash + Whole(5), Whole(1000), Whole(1000)});
    StartHand();
    Act("R10");  // Cleo calls
    Act("R100"); // Dan raises to 100
    const Currency annIn = c.annCash;
    Act("R" + annIn.ToString()); // Ann: all in
    EXPECT_EQ(Action(2), "A");
    Act("R" + (annIn + Whole(5) - Whole(10)).ToString()); // Bob calls
    Act("R" + (annIn + Whole(5) - Whole(10)).ToString()); // Cleo calls
    ASSERT_EQ(Status(), "P1");

    Act("R600");
    if (c.reopens) {
        EXPECT_EQ(Cash(1), Whole(300));
        EXPECT_EQ(table->State().MinBet, Whole(700));
        return;
    }
    EXPECT_EQ(Status(), "P1") << "the raise was refused";
    EXPECT_EQ(Cash(1), Whole(900));
    Act("R" + (annIn + Whole(5) - Whole(100)).ToString());
    EXPECT_EQ(Cash(1), Whole(1000) - annIn - Whole(5));
    EXPECT_NE(Status(), "P1");
}

INSTANTIATE_TEST_SUITE_P(AllIn, ShortAllInTest,
                         ::testing::Values(ShortAllInCase{Whole(115), false},
                                           ShortAllInCase{Whole(295), true}));

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

// Chips that no other player matched go back to the one who put them in.
struct UncalledCase {
    Currency annCash, bobCash;
    std::vector<std::string> requests;
    std::string returned; // the line that gives them back
    Currency annAtMost, bobAtMost;
};

class UncalledTest : public IntegrityTest, public ::testing::WithParamInterface<UncalledCase> {};

TEST_P(UncalledTest, GoesBackToWhoeverPutItIn)
{
    const UncalledCase& c = GetParam();
    Open({"Ann", "Bob"}, {c.annCash, c.bobCash});
    StartHand(); // Ann deals: Bob small blind, Ann big blind
    for (const std::string& r : c.requests)
        Act(r);
    EXPECT_EQ(Status(), "RE");
    EXPECT_TRUE(Has(test::ReadAllMessages(dir.Path()), c.returned));
    EXPECT_LE(Cash(1), c.annAtMost);
    EXPECT_LE(Cash(2), c.bobAtMost);
    EXPECT_EQ(TotalCash(), c.annCash + c.bobCash);
}

INSTANTIATE_TEST_SUITE_P(
    Blinds, UncalledTest,
    ::testing::Values(
        // Bob's small blind of 5 is all he has: Ann gets no turn and her other
        // 5 come back; Bob can win at most 10.
        UncalledCase{Whole(1000), Whole(5), Lines(), "w" + Numbered(Msg::UncalledReturned, "Ann", "$5"),
                     Whole(1005), Whole(10)},
        // Ann's big blind of 7 is all she has: Bob completes to 10 and 3 of them come back.
        UncalledCase{Whole(7), Whole(1000), Lines{"R5"}, "w" + Numbered(Msg::UncalledReturned, "Bob", "$3"),
                     Whole(14), Whole(1007)},
        // Bob bets, Ann folds: the bet she did not call is his again.
        UncalledCase{Whole(1000), Whole(1000), Lines{"R5", "C", "R40", "F"},
                     "w" + Numbered(Msg::UncalledReturned, "Bob", "$40"), Whole(990), Whole(1010)}));

// Cleo leaves with 10 in the pot: her chips stay there as dead money and
// open no side pot of their own.
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

    // Cleo's window writes the back line: every table reads it, and her
    // next turn is hers for the whole turn time.
    ASSERT_TRUE(SendPlayerMessage(dir.Path(), "3b" + Numbered(Msg::YouAreBack)));
    table->Tick();
    EXPECT_FALSE(table->IsAway(3));
    for (int guard = 0; guard < 20 && Status() != "P3"; ++guard) {
        if (table->CanStartRound()) {
            ASSERT_TRUE(table->StartRound());
        }
        if (Status().starts_with("P")) {
            const int p = table->State().CurrentPlayer;
            const Currency due = test::ReadGameFile(dir.Path()).MinBet - test::ReadSeat(dir.Path(), p).Bet;
            test::SetAction(dir.Path(), p, due > Currency() ? "R" + due.ToString() : "C");
        }
        table->Tick();
    }
    ASSERT_EQ(Status(), "P3");
    time.clock.Advance(std::chrono::seconds(AwayTurnSeconds));
    table->Tick();
    EXPECT_EQ(Status(), "P3");
    EXPECT_EQ(table->TurnSecondsLeft(), 30 - AwayTurnSeconds);
}

} // namespace
} // namespace scrivo
