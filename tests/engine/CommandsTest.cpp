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
        EntryCase{"abc", false, Numbered(Msg::CallAtLeast, "$15"), ""},
        EntryCase{"-5", false, Numbered(Msg::CallAtLeast, "$15"), ""},
        EntryCase{"25.5", false, Numbered(Msg::TwoDecimals), ""},
        EntryCase{"22.50", false, Numbered(Msg::MinRaise, "$10"), ""},
        EntryCase{"25.50", true, Numbered(Msg::YouBet, "$25.50"), "R25.5"},
        EntryCase{"40 chips", true, Numbered(Msg::YouBet, "$40"), "R40"},
        EntryCase{"1e300", false, Numbered(Msg::BetAboveCash, "$100"), ""},
        EntryCase{"30", false, Numbered(Msg::LimitBetExact, "$25"), "", "THLI"},
        EntryCase{"10", false, Numbered(Msg::CallAtLeast, "$15"), "", "THLI"},
        EntryCase{"35", true, Numbered(Msg::YouBet, "$35"), "R35", "THLI", true,
                  Currency()}, // a call and a raise
        EntryCase{"20", false, Numbered(Msg::LimitBetExact, "$35"), "", "THLI", true, Currency()},
        EntryCase{"70", false, Numbered(Msg::PotLimitExceeded), "", "THPL"},
        EntryCase{"60", true, Numbered(Msg::YouBet, "$60"), "R60", "THPL"}));

} // namespace
} // namespace scrivo
