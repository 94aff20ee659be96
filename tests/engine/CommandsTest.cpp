#include "engine/Commands.h"

#include <gtest/gtest.h>

#include "testsupport/EngineFixtures.h"

namespace scrivo {
namespace {

using test::Numbered;

Currency Whole(long long n) { return Currency::FromWhole(n); }

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::UseNumberedLanguage();
        limits.myCash = Whole(100);
        limits.myBet = Whole(5);
        limits.minBet = Whole(20);
        limits.lastRaise = Whole(10);
        limits.pot = Whole(60);
        limits.bigBlind = Whole(10);
        limits.gameType = "THNL";
        limits.currencySymbol = "$";
    }
    BetLimits limits;
};

TEST_F(CommandsTest, CallWritesTheDifferenceAndCheckWhenLevelIsMet)
{
    CommandOutcome call = CheckOrCall(limits);
    EXPECT_TRUE(call.accepted);
    EXPECT_EQ(call.request, "R15");
    EXPECT_EQ(call.status, Numbered(8));

    limits.myBet = Whole(20);
    CommandOutcome check = CheckOrCall(limits);
    EXPECT_EQ(check.request, "C");
    EXPECT_EQ(check.status, Numbered(9));
}

TEST_F(CommandsTest, CallAboveTheCashWritesNothing)
{
    limits.myCash = Whole(10);
    const CommandOutcome out = CheckOrCall(limits);
    EXPECT_FALSE(out.accepted);
    EXPECT_TRUE(out.request.empty());
    EXPECT_EQ(out.status, Numbered(14, "$10"));
}

TEST_F(CommandsTest, AllInWritesThePlainCash)
{
    limits.myCash = Currency::FromRaw(375000);
    const CommandOutcome out = AllIn(limits);
    EXPECT_EQ(out.request, "R37.5");
    EXPECT_EQ(out.status, Numbered(11, "$37.50"));
    EXPECT_EQ(Fold().request, "F");
}

struct EntryCase {
    std::string name;
    std::string gameType;
    bool bigBet;
    std::string typed;
    bool accepted;
    std::string status;   // the message left on the status line
    std::string request;
    Currency lastRaise = Currency::FromWhole(10);
};

class EnterAmountTest : public CommandsTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EnterAmountTest, RunsEveryCheckAndKeepsTheLastMessage)
{
    const EntryCase& c = GetParam();
    limits.gameType = c.gameType;
    limits.bigBet = c.bigBet;
    limits.lastRaise = c.lastRaise;
    const CommandOutcome out = EnterAmount(c.typed, limits);
    EXPECT_EQ(out.accepted, c.accepted);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(out.request, c.request);
}

// MyCash 100, MyBet 5, MinBet 20, LastRaise 10, Pot 60, BigBlind 10.
INSTANTIATE_TEST_SUITE_P(
    Checks, EnterAmountTest,
    ::testing::Values(
        EntryCase{"NoLimitRaise", "THNL", false, "30", true, Numbered(45, "$30"), "R30"},
        EntryCase{"ExactCall", "THNL", false, "15", true, Numbered(45, "$15"), "R15"},
        EntryCase{"ZeroClearsThenCallCheckSpeaks", "THNL", false, "0", false, Numbered(17, "$15"), ""},
        EntryCase{"NotANumber", "THNL", false, "abc", false, Numbered(17, "$15"), ""},
        EntryCase{"CentsNeedTwoDigits", "THNL", false, "25.5", false, Numbered(96), ""},
        EntryCase{"TwoDigitCentsPass", "THNL", false, "22.50", false, Numbered(92, "$10"), ""},
        EntryCase{"CentsRaiseAccepted", "THNL", false, "25.50", true, Numbered(45, "$25.50"), "R25.5"},
        EntryCase{"AboveCash", "THNL", false, "150", false, Numbered(14, "$100"), ""},
        EntryCase{"LimitSmallBetOnly", "THLI", false, "30", false, Numbered(15, "$10"), ""},
        EntryCase{"LimitSmallBetBelowCall", "THLI", false, "10", false, Numbered(17, "$15"), ""},
        EntryCase{"LimitBigBetAfterTurn", "THLI", true, "20", true, Numbered(45, "$20"), "R20", Currency()},
        EntryCase{"LimitBigBetRefusesSmall", "THLI", true, "10", false, Numbered(17, "$15"), ""},
        EntryCase{"PotLimitAbovePot", "THPL", false, "70", false, Numbered(16), ""},
        EntryCase{"PotLimitWithinPot", "THPL", false, "60", true, Numbered(45, "$60"), "R60"},
        EntryCase{"BelowTheCall", "THNL", false, "10", false, Numbered(17, "$15"), ""},
        EntryCase{"RaiseSmallerThanLastRaise", "THNL", false, "20", false, Numbered(92, "$10"), ""},
        EntryCase{"NegativeRefused", "THNL", false, "-5", false, Numbered(17, "$15"), ""},
        EntryCase{"TrailingTextIgnored", "THNL", false, "40 chips", true, Numbered(45, "$40"), "R40"},
        EntryCase{"HugeNumberIsAboveCash", "THNL", false, "1e300", false, Numbered(14, "$100"), ""}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return info.param.name; });

} // namespace
} // namespace scrivo
