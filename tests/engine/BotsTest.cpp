#include "engine/Table.h"

#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "gamefolder/CurrentGame.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

Currency Whole(long long n) { return Currency::FromWhole(n); }

// The host with one bot (player 2) whose turn it is.
class BotsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::UseNumberedLanguage();
        ProgramRandom().Seed(99);
        test::GameSetup setup;
        setup.names = {"Ann", "Robo"};
        setup.bots = 1;
        test::WriteGameFolder(dir.Path(), setup);
        test::SitAt(dir.Path(), 1, "THNL", 1);
        table = std::make_unique<Table>(view);
        ASSERT_TRUE(table->Init());
        TableState& s = table->MutableState();
        s.CurrentPlayer = 2;
        s.BigBlind = Whole(10);
    }

    // Lets the bot decide many times and collects what it wrote.
    std::multiset<std::string> Decisions(int times)
    {
        std::multiset<std::string> seen;
        for (int i = 0; i < times; ++i) {
            test::SetAction(dir.Path(), 2, "-");
            table->BotDecide();
            seen.insert(Trim(test::ReadSeat(dir.Path(), 2).Action));
        }
        return seen;
    }

    static std::set<std::string> Kinds(const std::multiset<std::string>& s) { return {s.begin(), s.end()}; }

    test::TempDir dir;
    test::RecordingMessageBox box;
    test::RecordingView view;
    std::unique_ptr<Table> table;
};

TEST_F(BotsTest, ShortBotFacingACallGoesAllInOrFolds)
{
    TableState& s = table->MutableState();
    s.PlayerCash[2] = Whole(30);
    s.HandStake[2] = Currency();
    s.MinBet = Whole(50);
    const auto seen = Decisions(200);
    EXPECT_EQ(Kinds(seen), (std::set<std::string>{"F", "R30"}));
    EXPECT_GT(seen.count("R30"), seen.count("F"));
}

TEST_F(BotsTest, BotFacingACallItCanCoverCallsExactly)
{
    TableState& s = table->MutableState();
    s.PlayerCash[2] = Whole(500);
    s.HandStake[2] = Whole(10);
    s.MinBet = Whole(35);
    EXPECT_EQ(Kinds(Decisions(100)), (std::set<std::string>{"F", "R25"}));
}

TEST_F(BotsTest, LimitBotBetsTheSmallThenTheBigBetOrNothing)
{
    GameType = "THLI";
    TableState& s = table->MutableState();
    s.PlayerCash[2] = Whole(100);
    s.HandStake[2] = Whole(10);
    s.MinBet = Whole(10);
    EXPECT_EQ(Kinds(Decisions(200)), (std::set<std::string>{"C", "R10"}));
    s.BigBet = true;
    EXPECT_EQ(Kinds(Decisions(200)), (std::set<std::string>{"C", "R20"}));
    s.PlayerCash[2] = Whole(15);   // cannot pay the big bet: asked again later
    EXPECT_EQ(Kinds(Decisions(200)), (std::set<std::string>{"C", "-"}));
}

TEST_F(BotsTest, PotLimitBotBetsUpToThePotAndWritesNothingForZero)
{
    GameType = "THPL";
    TableState& s = table->MutableState();
    s.PlayerCash[2] = Whole(100);
    s.HandStake[2] = Whole(10);
    s.MinBet = Whole(10);
    s.LastRaise = Currency();
    s.Pot = Whole(40);
    const auto seen = Decisions(2000);
    for (const std::string& a : seen) {
        if (a == "C" || a == "-") continue;
        ASSERT_EQ(a[0], 'R');
        const auto amount = Currency::Parse(a.substr(1));
        ASSERT_TRUE(amount);
        EXPECT_GT(*amount, Currency());
        EXPECT_LE(*amount, Whole(40));
    }
    EXPECT_TRUE(seen.count("-") > 0);   // an amount of 0 writes nothing
}

TEST_F(BotsTest, NoLimitBotNeverBetsMoreThanItHas)
{
    GameType = "THNL";
    TableState& s = table->MutableState();
    s.PlayerCash[2] = Whole(100);
    s.HandStake[2] = Whole(10);
    s.MinBet = Whole(10);
    s.LastRaise = Whole(300);
    const auto seen = Decisions(300);
    EXPECT_EQ(Kinds(seen), (std::set<std::string>{"C", "R100"}));
}

TEST_F(BotsTest, BotOutOfTheHandDoesNothing)
{
    table->MutableState().HandStake[2] = StakeAllIn;
    EXPECT_EQ(Kinds(Decisions(20)), (std::set<std::string>{"-"}));
}

TEST_F(BotsTest, BotDecidesEveryThirdTickAndChatsOnlyWithChatLines)
{
    TableState& s = table->MutableState();
    s.PlayerCash[2] = Whole(100);
    s.HandStake[2] = Whole(10);
    s.MinBet = Whole(10);
    s.BotTicks = 0;
    test::SetAction(dir.Path(), 2, "-");
    table->BotStep("P2");
    table->BotStep("P2");
    EXPECT_EQ(Trim(test::ReadSeat(dir.Path(), 2).Action), "-");
    table->BotStep("P2");
    EXPECT_NE(Trim(test::ReadSeat(dir.Path(), 2).Action), "-");
    EXPECT_EQ(s.BotTicks, 0);

    const std::size_t before = test::ReadAllMessages(dir.Path()).size();
    for (int i = 0; i < 400; ++i) table->BotStep("RE");
    table->Tick();
    EXPECT_EQ(test::ReadAllMessages(dir.Path()).size(), before);

    BotChat = {"", "Hello there"};
    for (int i = 0; i < 400; ++i) table->BotStep("RE");
    table->Tick();
    const std::vector<std::string> lines = test::ReadAllMessages(dir.Path());
    ASSERT_GT(lines.size(), before);
    EXPECT_EQ(lines.back(), "m" + test::Numbered(18, "Robo", "Hello there"));
}

} // namespace
} // namespace scrivo
