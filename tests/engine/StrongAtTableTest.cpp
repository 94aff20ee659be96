// Strong bots at the host's table: what the host notes of every seat's play
// reaches the bot's view of the hand, and the seat's level picks the brain.
#include <algorithm>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "cards/Pack.h"
#include "engine/StrongBot.h"
#include "engine/Table.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/TableTestAccess.h"

namespace scrivo {
namespace {

using test::Whole;

class StrongAtTableTest : public test::HostTable {};

// Four players: Ann deals, Bob and Cy post the blinds, Di opens. Di raises,
// Ann calls, Bob folds to the raise, Cy calls; on the flop Cy checks and Di
// bets. Ann's view at her turn:
TEST_F(StrongAtTableTest, TheSituationShowsTheHandSoFarAndEachSeatsHabits)
{
    Open({"Ann", "Bob", "Cy", "Di"});
    StartHand();
    for (const char* request : {"R30", "R30", "F", "R20", "C", "R40"})
        Act(request);
    ASSERT_EQ(table->State().CurrentPlayer, 1);
    table->Tick(); // Ann's turn comes: the game record's figures are read in
    const BotSituation s = TableTestAccess::SituationOf(*table, 1);
    EXPECT_EQ(s.board.size(), 3u);
    EXPECT_GE(s.hole[0].facevalue, 0);
    EXPECT_FALSE(s.hole[0].SameCard(s.hole[1]));
    EXPECT_EQ(s.pot, Whole(135));
    EXPECT_EQ(s.stake, Whole(30));
    EXPECT_EQ(s.level, Whole(70));
    EXPECT_EQ(s.lastRaise, Whole(40));
    EXPECT_EQ(s.cash, Whole(970));
    EXPECT_EQ(s.position, 0);
    EXPECT_EQ(s.dealtIn, 4);
    ASSERT_EQ(s.opponents.size(), 3u);
    const BotOpponent &bob = s.opponents[0], &cy = s.opponents[1], &di = s.opponents[2];
    EXPECT_FALSE(bob.live);
    EXPECT_TRUE(cy.live && di.live);
    EXPECT_EQ(std::tuple(bob.position, cy.position, di.position), std::tuple(1, 2, 3));
    EXPECT_EQ(std::tuple(bob.stake, cy.stake, di.stake, di.cash),
              std::tuple(Whole(5), Whole(30), Whole(70), Whole(930)));
    auto did = [](const HandActions& a) {
        return std::tuple(a.preFlopRaises, a.preFlopCalls, a.laterBets, a.laterCalls, a.laterChecks);
    };
    EXPECT_EQ(did(bob.did), std::tuple(0, 0, 0, 0, 0));
    EXPECT_EQ(did(cy.did), std::tuple(0, 1, 0, 0, 1));
    EXPECT_EQ(did(di.did), std::tuple(1, 0, 1, 0, 0));
    // Facing only the big blind is no bet faced; Bob's fold to the raise is.
    auto seen = [](const SeatHistory& h) {
        return std::tuple(h.handsDealt, h.handsPlayed, h.betsFaced, h.foldsToBets, h.handsRaised);
    };
    EXPECT_EQ(seen(bob.history), std::tuple(1, 0, 1, 1, 0));
    EXPECT_EQ(seen(cy.history), std::tuple(1, 1, 1, 0, 0));
    EXPECT_EQ(seen(di.history), std::tuple(1, 1, 0, 0, 1));

    // The hand ends; in the next one nothing is known of it until somebody
    // acts, and the habits carry over.
    Act("F");
    Act("F");
    for (int i = 0; i < 3 && !table->CanStartRound(); ++i)
        table->Tick();
    ASSERT_TRUE(table->StartRound());
    for (int i = 0; i < 3 && table->State().Stage != StagePreFlop; ++i)
        table->Tick();
    ASSERT_EQ(table->State().Stage, StagePreFlop);
    const int first = table->State().CurrentPlayer;
    const BotSituation next = TableTestAccess::SituationOf(*table, first);
    for (const BotOpponent& o : next.opponents) {
        EXPECT_EQ(did(o.did), std::tuple(0, 0, 0, 0, 0));
        EXPECT_EQ(o.history.handsDealt, 1);
    }
    Act("R10");
    const BotSituation after = TableTestAccess::SituationOf(*table, table->State().CurrentPlayer);
    for (const BotOpponent& o : after.opponents)
        EXPECT_EQ(o.history.handsDealt, 2);

    // An all in raise, one call, folds: the two who show down are noted so.
    const HandState& h = TableTestAccess::Hand(*table);
    const int shover = h.toAct;
    Act(BetRequest(h.Seat(shover).stack));
    const int caller = h.toAct;
    Act(BetRequest(std::min(CallAmount(LimitsFor(h, caller)), h.Seat(caller).stack)));
    while (!h.over)
        Act("F");
    const std::vector<SeatHistory>& seats = table->SeatHistories();
    for (int p = 1; p <= 4; ++p) {
        const SeatHistory& sh = seats[static_cast<std::size_t>(p)];
        EXPECT_EQ(sh.shoves, p == shover ? 1 : 0) << p;
        EXPECT_EQ(sh.showdowns, p == shover || p == caller ? 1 : 0) << p;
    }
}

// The bot (player 2) facing an all in for its whole stack, many times over.
class LevelTest : public test::HostTable, public ::testing::WithParamInterface<BotLevel> {
protected:
    std::set<std::string> Decisions(const std::string& hole)
    {
        Open({"Ann", "Robo"}, {}, "THNL", 1);
        TableTestAccess::Session(*table).BotLevels = {BotLevel::Classic, BotLevel::Classic, GetParam()};
        // Heads-up, Ann on the button goes all in; the bot has the big blind.
        StartEvent start;
        start.config = HandConfig{HandRules::Standard, "THNL", Whole(5), Whole(10)};
        start.seats = {{}, {true, Whole(1000)}, {true, Whole(1000)}};
        start.pack = ParseCardList("0_12,1_12," + hole).cards;
        colPack rest;
        rest.ResetPack();
        while (rest.Count() > 0) {
            const clsCard card = rest.TakeACard();
            if (std::none_of(start.pack.begin(), start.pack.end(),
                             [&](const clsCard& c) { return c.SameCard(card); }))
                start.pack.push_back(card);
        }
        HandState& h = TableTestAccess::Hand(*table);
        EXPECT_TRUE(Apply(h, start).Accepted());
        EXPECT_TRUE(Apply(h, *ParseRequest(1, "R995")).Accepted());
        TableTestAccess::State(*table).CurrentPlayer = 2;
        std::set<std::string> seen;
        for (int i = 0; i < 40; ++i) {
            test::SetAction(dir.Path(), 2, "-");
            TableTestAccess::BotDecide(*table);
            seen.insert(Action(2));
        }
        return seen;
    }
};

TEST_P(LevelTest, StrongFoldsSevenTwoAndCallsWithAcesClassicDoesEither)
{
    const std::set<std::string> trash = Decisions("0_5,2_0");
    const std::set<std::string> aces = Decisions("2_12,3_12");
    if (GetParam() == BotLevel::Strong) {
        EXPECT_EQ(trash, std::set<std::string>{"F"});
        EXPECT_EQ(aces, std::set<std::string>{"R990"});
    } else {
        const std::set<std::string> both{"F", "R990"};
        EXPECT_EQ(trash, both);
        EXPECT_EQ(aces, both);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelTest, ::testing::Values(BotLevel::Classic, BotLevel::Strong));

} // namespace
} // namespace scrivo
