#include "engine/Commands.h"

#include <gtest/gtest.h>

#include "testsupport/EngineFixtures.h"

namespace scrivo {
namespace {

using test::Numbered;
using test::Whole;

struct EntryCase {
    std::string typed; // an amount, or "<C>", "<A>", "<F>" for the buttons
    bool accepted;
    std::string status; // the message left on the status line
    std::string request;
    std::string gameType = "THNL";
    bool bigBet = false;
    Currency lastRaise = Whole(10);
    Currency myCash = Whole(100);
    Currency myBet = Whole(5);
};

class CommandsTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(CommandsTest, RunsEveryCheckAndKeepsTheLastMessage)
{
    const Language language = test::NumberedLanguage();
    const EntryCase& c = GetParam();
    BetLimits limits{c.myCash,  c.myBet,    Whole(20), c.lastRaise, Whole(60),
                     Whole(10), c.gameType, c.bigBet,  "$"};
    limits.rules = HandRules::Classic;
    const CommandOutcome out = c.typed == "<C>"   ? CheckOrCall(limits, language)
                               : c.typed == "<A>" ? AllIn(limits, language)
                               : c.typed == "<F>" ? Fold(language)
                                                  : EnterAmount(c.typed, limits, language);
    EXPECT_EQ(out.accepted, c.accepted);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(out.request, c.request);
}

// MinBet 20, Pot 60, BigBlind 10; by default MyCash 100, MyBet 5, LastRaise 10.
INSTANTIATE_TEST_SUITE_P(
    Entries, CommandsTest,
    ::testing::Values(
        EntryCase{"<C>", true, Numbered(Msg::YouCall), "R15"},
        EntryCase{"<C>", true, Numbered(Msg::YouCheck), "C", "THNL", false, Whole(10), Whole(100), Whole(20)},
        EntryCase{"<C>", false, Numbered(Msg::BetAboveCash, "$10"), "", "THNL", false, Whole(10), Whole(10)},
        EntryCase{"<A>", true, Numbered(Msg::YouAllIn, "$37.50"), "R37.5", "THNL", false, Whole(10),
                  Currency::FromRaw(375000)},
        EntryCase{"<F>", true, Numbered(Msg::YouFold), "F"},
        EntryCase{"15", true, Numbered(Msg::YouBet, "$15"), "R15"},
        EntryCase{"", false, Numbered(Msg::CallAtLeast, "$15"), ""},
        EntryCase{"0", false, Numbered(Msg::CallAtLeast, "$15"), ""},
        // Only digits with one decimal point or comma are amounts.
        EntryCase{"abc", false, Numbered(Msg::AmountUnreadable, "abc"), ""},
        EntryCase{"-5", false, Numbered(Msg::AmountUnreadable, "-5"), ""},
        EntryCase{"30abc", false, Numbered(Msg::AmountUnreadable, "30abc"), ""},
        EntryCase{"40 chips", false, Numbered(Msg::AmountUnreadable, "40 chips"), ""},
        EntryCase{"1.000,50", false, Numbered(Msg::AmountUnreadable, "1.000,50"), ""},
        EntryCase{"1e300", false, Numbered(Msg::AmountUnreadable, "1e300"), ""},
        EntryCase{"25,50", true, Numbered(Msg::YouBet, "$25.50"), "R25.5"},
        EntryCase{" $25 ", true, Numbered(Msg::YouBet, "$25"), "R25"},
        EntryCase{"25.", true, Numbered(Msg::YouBet, "$25"), "R25"},
        EntryCase{"25.5", false, Numbered(Msg::TwoDecimals), ""},
        EntryCase{"25,505", false, Numbered(Msg::TwoDecimals), ""},
        EntryCase{"99999999999999999999", false, Numbered(Msg::BetAboveCash, "$100"), ""},
        EntryCase{"22.50", false, Numbered(Msg::MinRaise, "$10"), ""},
        EntryCase{"25.50", true, Numbered(Msg::YouBet, "$25.50"), "R25.5"},
        EntryCase{"30", false, Numbered(Msg::LimitBetExact, "$25"), "", "THLI"},
        EntryCase{"10", false, Numbered(Msg::CallAtLeast, "$15"), "", "THLI"},
        EntryCase{"35", true, Numbered(Msg::YouBet, "$35"), "R35", "THLI", true,
                  Currency()}, // a call and a raise
        EntryCase{"20", false, Numbered(Msg::LimitBetExact, "$35"), "", "THLI", true, Currency()},
        EntryCase{"70", false, Numbered(Msg::PotLimitExceeded), "", "THPL"},
        EntryCase{"60", true, Numbered(Msg::YouBet, "$60"), "R60", "THPL"}));

// The bet-size buttons: MinBet 20, MyBet 5 (15 to call), Pot 60, BigBlind 10;
// the pot raise is the call and then the pot after it.
TEST(SuggestedBetTest, EachSizeIsTheLegalAmountOfTheStructure)
{
    struct Case {
        const char* type;
        Currency cash;
        Currency least, half, pot;
    };
    for (const Case& c : {Case{"THNL", Whole(1000), Whole(25), Currency::FromRaw(525000), Whole(90)},
                          Case{"THNL", Whole(40), Whole(25), Whole(40), Whole(40)}, // all in at most
                          Case{"THPL", Whole(1000), Whole(25), Currency::FromRaw(525000), Whole(90)},
                          Case{"THLI", Whole(1000), Whole(25), Whole(25), Whole(25)},
                          Case{"THNL", Whole(15), Currency(), Currency(), Currency()}}) { // only a call
        BetLimits limits{c.cash, Whole(5), Whole(20), Whole(10), Whole(60), Whole(10), c.type, false, "$"};
        EXPECT_EQ(SuggestedBet(limits, BetSize::MinRaise), c.least) << c.type;
        EXPECT_EQ(SuggestedBet(limits, BetSize::HalfPot), c.half) << c.type;
        EXPECT_EQ(SuggestedBet(limits, BetSize::Pot), c.pot) << c.type;
    }
}

} // namespace
} // namespace scrivo
