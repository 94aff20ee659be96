#include "engine/Table.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "cards/Pack.h"
#include "engine/Commands.h"
#include "gamefolder/CurrentGame.h"
#include "gamefolder/RecordFile.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using test::Numbered;
using test::ReadSeat;
using test::SetAction;

Currency Whole(long long n) { return Currency::FromWhole(n); }

class TableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::UseNumberedLanguage();
        ProgramRandom().Seed(4242);
    }

    void Open(const test::GameSetup& setup)
    {
        setup_ = setup;
        test::WriteGameFolder(dir.Path(), setup);
        test::SitAt(dir.Path(), 1, setup.type, setup.bots);
        table = std::make_unique<Table>(view);
        ASSERT_TRUE(table->Init());
        mark = test::ReadAllMessages(dir.Path()).size();
    }

    void Open(std::vector<std::string> names, std::vector<Currency> cash = {}, std::string type = "THNL")
    {
        test::GameSetup setup;
        setup.names = std::move(names);
        setup.cash = std::move(cash);
        setup.type = std::move(type);
        Open(setup);
    }

    // Start Round and the tick that posts the blinds and deals.
    void StartHand()
    {
        ASSERT_TRUE(table->StartRound());
        table->Tick();
    }

    // The current player's request, processed by the host's next tick.
    void Act(const std::string& request)
    {
        SetAction(dir.Path(), table->State().CurrentPlayer, request);
        table->Tick();
    }

    std::string Status() { return Trim(test::ReadGameFile(dir.Path()).Status); }

    // Lines written since the last call.
    std::vector<std::string> NewLines()
    {
        const std::vector<std::string> all = test::ReadAllMessages(dir.Path());
        std::vector<std::string> fresh(all.begin() + static_cast<long>(std::min(mark, all.size())), all.end());
        mark = all.size();
        return fresh;
    }

    static bool Has(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    Currency TotalCash()
    {
        Currency sum;
        for (int p = 1; p <= table->State().PlayerCount; ++p) sum += ReadSeat(dir.Path(), p).Cash;
        return sum;
    }

    test::TempDir dir;
    test::RecordingMessageBox box;
    test::RecordingView view;
    test::GameSetup setup_;
    std::unique_ptr<Table> table;
    std::size_t mark = 0;
};

TEST_F(TableTest, InitWelcomesAnnouncesAndOffersStartRoundToTheHostOnly)
{
    Open({"Ann", "Bob"});
    ASSERT_EQ(table->MsgLines().size(), 1u);
    EXPECT_EQ(table->MsgLines()[0].substr(0, 1), "i");
    EXPECT_NE(table->MsgLines()[0].find("Ann, Bob."), std::string::npos);
    EXPECT_EQ(test::ReadAllMessages(dir.Path()).back(), "i" + Numbered(4, "1") + " " + Numbered(95));
    EXPECT_EQ(view.playerLabel, "Ann {19}");
    EXPECT_TRUE(view.startRoundAllowed);
    EXPECT_TRUE(table->CanStartRound());

    test::SitAt(dir.Path(), 2, "THNL");
    test::RecordingView otherView;
    Table other(otherView);
    ASSERT_TRUE(other.Init());
    EXPECT_FALSE(otherView.startRoundAllowed);
    EXPECT_FALSE(other.CanStartRound());
    EXPECT_FALSE(other.StartRound());
    EXPECT_EQ(test::ReadAllMessages(dir.Path()).back(), "p" + Numbered(94, "Bob"));
}

TEST_F(TableTest, TwoPlayersPostSmallBlindAfterTheDealerAndActFirst)
{
    Open({"Ann", "Bob"});
    StartHand();
    const std::vector<std::string> lines = NewLines();
    EXPECT_TRUE(Has(lines, "s" + Numbered(20, "Bob", "$5")));
    EXPECT_TRUE(Has(lines, "s" + Numbered(21, "Ann", "$10")));
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Blind), "SB");
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 1).Blind), "BB");
    EXPECT_EQ(Status(), "P2");
    EXPECT_EQ(table->State().MinBet, Whole(10));
    EXPECT_EQ(test::ReadGameFile(dir.Path()).Pot, Whole(15));
    // Each player got two cards, privately.
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 1).Card2).empty(), false);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("2c", 0) == 0; }));
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Action), "-");
}

TEST_F(TableTest, SmallBlindEqualToItsCashGoesAllInAndTheBoardRunsOut)
{
    Open({"Ann", "Bob"}, {Whole(1000), Whole(5)});
    StartHand();
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(50, "Bob", "$5")));
    EXPECT_EQ(table->State().HandStake[2], StakeAllIn);
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Action), "A");
    EXPECT_EQ(ReadSeat(dir.Path(), 2).Cash, Currency());
    ASSERT_EQ(Status(), "P1");

    Act("C");
    const std::vector<std::string> lines = NewLines();
    EXPECT_TRUE(Has(lines, "d\r\n" + Numbered(36)));
    EXPECT_EQ(Status(), "RE");
    EXPECT_EQ(TotalCash(), Whole(1005));
    EXPECT_EQ(table->BoardCards().find('-'), std::string::npos);   // no placeholder left
}

TEST_F(TableTest, BothBlindsAllInNeverHandTheTurnToNobody)
{
    Open({"Ann", "Bob"}, {Whole(8), Whole(5)});
    StartHand();
    EXPECT_EQ(Status(), "RE");
    const std::vector<std::string> lines = NewLines();
    EXPECT_TRUE(Has(lines, "s" + Numbered(51, "Ann", "$8")));
    EXPECT_TRUE(Has(lines, "d\r\n" + Numbered(36)));
    table->Tick();   // end of hand
    EXPECT_EQ(TotalCash(), Whole(13));
    EXPECT_EQ(Status() == "GR" || Status() == "GE", true);
}

TEST_F(TableTest, RoundEndsWhenTheTurnComesBackToTheRaiser)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand();
    ASSERT_EQ(Status(), "P1");
    Act("R30");
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(25, "Ann", "$30", "$30")));
    EXPECT_EQ(test::ReadGameFile(dir.Path()).LastRaise, Whole(30));
    Act("R25");
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(26, "Bob", "$25")));
    Act("R20");
    const std::vector<std::string> lines = NewLines();
    EXPECT_TRUE(Has(lines, "d\r\n" + Numbered(33)));
    EXPECT_EQ(table->State().Stage, StageFlop);
    EXPECT_EQ(Status(), "P2");
    EXPECT_EQ(test::ReadGameFile(dir.Path()).LastRaise, Currency());
    EXPECT_EQ(lines.back(), "2s" + Numbered(40));

    // Everybody checks: the round ends when the turn is back at its starter.
    Act("C");
    Act("C");
    EXPECT_EQ(table->State().Stage, StageFlop);
    Act("C");
    EXPECT_EQ(table->State().Stage, StageTurn);
    EXPECT_TRUE(Has(NewLines(), "d\r\n" + Numbered(34)));
    EXPECT_FALSE(Trim(ReadSeat(dir.Path(), 0).Card4).empty());
}

TEST_F(TableTest, AllInRequestsAnnounceWhetherTheyRaiseTheLevel)
{
    Open({"Ann", "Bob", "Cleo"}, {Whole(1000), Whole(40), Whole(12)});
    StartHand();
    Act("R1000");   // Ann: all in, above the level
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(49, "Ann", "$1000", "$1000")));
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 1).Action), "A");
    Act("R35");     // Bob: all in, below the level
    EXPECT_TRUE(Has(NewLines(), "s" + Numbered(24, "Bob", "$35")));
    EXPECT_EQ(table->State().MinBet, Whole(1000));
    Act("R2");      // Cleo: all in, below the level; nobody can bet any more
    EXPECT_EQ(Status(), "RE");
    table->Tick();
    EXPECT_EQ(TotalCash(), Whole(1052));
}

struct RefusedCase {
    std::string name;
    std::string request;
};

class RefusedRequestTest : public TableTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedRequestTest, IsHandedBackAndTheTurnStays)
{
    Open({"Ann", "Bob"});
    StartHand();
    NewLines();
    const PlayerRecord before = ReadSeat(dir.Path(), 2);
    const long long processed = table->Counters().actionsProcessed;
    Act(GetParam().request);
    EXPECT_EQ(Status(), "P2");
    EXPECT_EQ(table->State().CurrentPlayer, 2);
    const PlayerRecord after = ReadSeat(dir.Path(), 2);
    EXPECT_EQ(Trim(after.Action), "-");
    EXPECT_EQ(after.Cash, before.Cash);
    EXPECT_EQ(after.Bet, before.Bet);
    EXPECT_EQ(table->State().HandStake[2], Whole(5));
    EXPECT_EQ(test::ReadGameFile(dir.Path()).Pot, Whole(15));
    EXPECT_EQ(table->Counters().actionsProcessed, processed);
    EXPECT_EQ(NewLines(), std::vector<std::string>{"2s" + Numbered(40)});
    EXPECT_TRUE(box.shown.empty());

    Act("R5");   // a proper call still works afterwards
    EXPECT_EQ(Status(), "P1");
}

INSTANTIATE_TEST_SUITE_P(Requests, RefusedRequestTest,
                         ::testing::Values(RefusedCase{"NotANumber", "Rabc"}, RefusedCase{"Zero", "R0"},
                                           RefusedCase{"Negative", "R-5"}, RefusedCase{"AboveCash", "R995.01"},
                                           RefusedCase{"Empty", "R"}, RefusedCase{"UnknownLetter", "Z"}),
                         [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST_F(TableTest, DepartedPlayerIsSkippedSilentlyForTheRestOfTheGame)
{
    Open({"Ann", "Bob", "Cleo"});
    StartHand();
    ASSERT_EQ(Status(), "P1");
    NewLines();
    Act("D");
    EXPECT_EQ(table->State().HandStake[1], StakeOut);
    EXPECT_EQ(NewLines(), std::vector<std::string>{"2s" + Numbered(40)});
    EXPECT_EQ(Status(), "P2");
    // Play on by calls and checks; the departed seat is never asked again.
    for (int i = 0; i < 40 && Status() != "RE"; ++i) {
        ASSERT_NE(Status(), "P1");
        const Currency call = table->State().MinBet - table->State().HandStake[table->State().CurrentPlayer];
        Act(call > Currency() ? "R" + call.ToString() : "C");
    }
    EXPECT_EQ(Status(), "RE");
    table->Tick();
    EXPECT_EQ(TotalCash(), Whole(3000));
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 1).Action), "D");
}

TEST_F(TableTest, FoldToOneGivesThePotWithoutShowdown)
{
    Open({"Ann", "Bob"});
    StartHand();
    NewLines();
    Act("F");
    const std::vector<std::string> lines = NewLines();
    EXPECT_TRUE(Has(lines, "w" + Numbered(27, "Bob")));
    EXPECT_TRUE(Has(lines, "d" + Numbered(28, "Ann")));
    EXPECT_TRUE(Has(lines, "w" + Numbered(32, "Ann", "$15")));
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == 'c'; }));
    EXPECT_EQ(Status(), "RE");
    EXPECT_EQ(ReadSeat(dir.Path(), 1).Cash, Whole(1005));
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Action), "X");
}

TEST_F(TableTest, EndOfHandCountsHandsAndWaitsForStartRound)
{
    Open({"Ann", "Bob"});
    StartHand();
    Act("F");
    NewLines();
    table->Tick();
    EXPECT_EQ(Status(), "GR");
    EXPECT_EQ(table->State().HandNo, 2);
    EXPECT_EQ(NewLines(), std::vector<std::string>{"i" + Numbered(4, "2") + "\r\n"});
    EXPECT_TRUE(view.startRoundAllowed);
    EXPECT_EQ(view.handsEnded, 1);

    // The next hand moves the button: Bob deals, Ann posts the small blind.
    ASSERT_TRUE(table->StartRound());
    EXPECT_FALSE(table->StartRound());   // a second press before the hand starts is ignored
    EXPECT_EQ(Status(), "GP");
    table->Tick();
    EXPECT_EQ(Status(), "GS");
    EXPECT_EQ(table->State().Dealer, 2);
    EXPECT_TRUE(Trim(ReadSeat(dir.Path(), 1).Blind).empty());
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Action), "-");
    table->Tick();
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 1).Blind), "SB");
    EXPECT_EQ(Status(), "P1");
}

TEST_F(TableTest, LastPlayerWithCashEndsTheGame)
{
    Open({"Ann", "Bob", "Cleo"}, {Whole(3000), Whole(0), Whole(0)});
    table->MutableState().Stage = StagePreFlop;
    test::SetStatus(dir.Path(), "RE");
    NewLines();
    table->Tick();
    EXPECT_EQ(Status(), "GE");
    const std::vector<std::string> lines = NewLines();
    EXPECT_TRUE(Has(lines, "b" + Numbered(22, "Bob")));
    EXPECT_TRUE(Has(lines, "b" + Numbered(22, "Cleo")));
    EXPECT_EQ(lines.back(), "s" + Numbered(46, "Ann"));
    EXPECT_EQ(table->State().Stage, StageGameOver);
    EXPECT_FALSE(table->CanStartRound());
    EXPECT_FALSE(table->StartRound());
    EXPECT_TRUE(view.gameEnded);
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Action), "O");
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 1).Action), "-");
}

TEST_F(TableTest, RunOutAfterTheFlopBurnsOnceAndDealsTurnAndRiver)
{
    Open({"Ann", "Bob"});
    ProgramRandom().Seed(77);
    colPack expected;
    expected.ResetPack();
    expected.Shuffle();
    std::vector<clsCard> order;
    while (expected.Count() > 0) order.push_back(expected.TakeACard());

    ProgramRandom().Seed(77);
    table->DealHoleCards();
    table->MutableState().Stage = StageFlop;
    table->DealBoard(1);         // burn 4, flop 5 6 7
    table->MutableState().Stage = StageTurn;
    table->DealBoard(0);         // burn 8, turn 9, river 10
    table->Tick();               // sends what the dealing announced
    const PlayerRecord board = ReadSeat(dir.Path(), 0);
    EXPECT_EQ(Trim(board.Card1), CardToText(order[5]));
    EXPECT_EQ(Trim(board.Card3), CardToText(order[7]));
    EXPECT_EQ(Trim(board.Card4), CardToText(order[9]));
    EXPECT_EQ(Trim(board.Card5), CardToText(order[10]));
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 1).Card1), CardToText(order[0]));
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Card2), CardToText(order[3]));
    const std::vector<std::string> lines = NewLines();
    EXPECT_EQ(lines.back(), "c" + CardToText(order[9]) + "," + CardToText(order[10]));
}

// A view that tries to run the game again from inside a view call, as a
// window does when it lets events run during a pause.
TEST_F(TableTest, TickStartedInsideATickReturnsAtOnce)
{
    Open({"Ann", "Bob"});
    int nested = 0;
    view.onLines = [&](const std::vector<LogLine>&) {
        ++nested;
        table->Tick();
    };
    StartHand();
    table->Tick();
    EXPECT_GT(nested, 0);
    EXPECT_EQ(table->Counters().ticks, 2);
    EXPECT_EQ(Status(), "P2");
}

TEST_F(TableTest, TableClosedDuringATickLeavesTheGameAlone)
{
    Open({"Ann", "Bob"});
    StartHand();
    SetAction(dir.Path(), 2, "R5");
    view.onLines = [&](const std::vector<LogLine>&) {
        if (!table->State().Closing) table->Leave();
    };
    table->Tick();
    EXPECT_EQ(Status(), "GE");
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Action), "R5");
}

TEST_F(TableTest, ErrorInsideATickIsReportedAndTheGameGoesOn)
{
    Open({"Ann", "Bob"});
    StartHand();
    const std::string usr = dir.File("usr.spk");
    const std::string saved = test::TempDir::Read(usr);
    std::filesystem::resize_file(usr, 80);   // the players' records are gone
    test::SetStatus(dir.Path(), "P2");
    table->Tick();
    ASSERT_FALSE(box.shown.empty());
    EXPECT_EQ(box.LastText().rfind("Error in game tick: ", 0), 0u);

    {
        std::ofstream out(usr, std::ios::binary | std::ios::trunc);
        out << saved;
    }
    box.Clear();
    Act("R5");
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(Status(), "P1");
}

TEST_F(TableTest, CheckBelowTheLevelIsReportedButProcessed)
{
    Open({"Ann", "Bob"});
    StartHand();
    Act("C");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, "Internal Check error");
    EXPECT_EQ(box.shown[0].text, "Bob tried to check but it's only got 5");
    EXPECT_EQ(box.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(Status(), "P1");
}

// Two clients in one process: the host (player 1) and Bob (player 2).
TEST_F(TableTest, RefusedRequestGivesTheTurnBackToTheClient)
{
    Open({"Ann", "Bob"});
    StartHand();
    test::SitAt(dir.Path(), 2, "THNL");
    test::RecordingView bobView;
    Table bob(bobView);
    ASSERT_TRUE(bob.Init());
    bob.Tick();
    ASSERT_TRUE(bob.MyTurn());
    EXPECT_TRUE(bobView.actionsEnabled);

    // A request the host cannot apply, as a faulty client might write it.
    CommandOutcome bad;
    bad.accepted = true;
    bad.request = "R5000";
    ASSERT_TRUE(WriteRequest(bob, bad));
    EXPECT_FALSE(bob.MyTurn());
    bob.Tick();
    EXPECT_FALSE(bob.MyTurn());

    test::SitAt(dir.Path(), 1, "THNL");
    table->Tick();
    EXPECT_EQ(Status(), "P2");
    test::SitAt(dir.Path(), 2, "THNL");
    bob.Tick();
    EXPECT_TRUE(bob.MyTurn());
    EXPECT_TRUE(bobView.actionsEnabled);
    ASSERT_TRUE(WriteRequest(bob, CheckOrCall(LimitsOf(bob))));
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 2).Action), "R5");
}

TEST_F(TableTest, ClientThatMissedStatusesStillGetsItsNextTurn)
{
    Open({"Ann", "Bob"});
    StartHand();
    test::SitAt(dir.Path(), 2, "THNL");
    test::RecordingView bobView;
    Table bob(bobView);
    ASSERT_TRUE(bob.Init());
    bob.Tick();
    ASSERT_TRUE(bob.MyTurn());
    ASSERT_TRUE(WriteRequest(bob, CheckOrCall(LimitsOf(bob))));   // Bob calls

    // The host plays on while Bob's client sleeps: Ann checks, the flop
    // comes, and the turn is Bob's again: the status text is "P2" again.
    test::SitAt(dir.Path(), 1, "THNL");
    table->Tick();
    ASSERT_EQ(Status(), "P1");
    Act("C");
    ASSERT_EQ(Status(), "P2");
    test::SitAt(dir.Path(), 2, "THNL");
    bob.Tick();
    EXPECT_TRUE(bob.MyTurn());
    EXPECT_EQ(bob.State().MyBet, Whole(10));
}

TEST_F(TableTest, LeavingLastRemovesTheGameFolderAndHostLeavingEndsIt)
{
    Open({"Ann", "Bob"});
    table->Leave();
    EXPECT_TRUE(std::filesystem::exists(dir.File("gam.spk")));
    EXPECT_EQ(Status(), "GE");
    EXPECT_EQ(Trim(ReadSeat(dir.Path(), 1).Action), "D");
    EXPECT_EQ(test::ReadAllMessages(dir.Path()).back(), "w" + Numbered(6, "Ann"));
    table->Tick();   // a closing table no longer polls
    EXPECT_EQ(table->Counters().ticks, 0);

    test::SitAt(dir.Path(), 2, "THNL");
    test::RecordingView bobView;
    Table bob(bobView);
    ASSERT_TRUE(bob.Init());
    bob.Leave();
    EXPECT_FALSE(std::filesystem::exists(dir.File("gam.spk")));
}

} // namespace
} // namespace scrivo
