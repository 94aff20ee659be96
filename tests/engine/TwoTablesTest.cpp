// Two games played side by side in one process, each by its host's table and
// a joined client's table: nothing of one game may reach the other.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Commands.h"
#include "engine/Table.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/ProcessState.h"

namespace scrivo {
namespace {

using test::Whole;

test::GameSetup SetupOf(const std::string& type, std::vector<std::string> names, int bots)
{
    test::GameSetup setup;
    setup.type = type;
    setup.names = std::move(names);
    setup.bots = bots;
    return setup;
}

struct Game : test::HostAndClient {
    // The client sits after the bots, as a join seats it.
    Game(const std::string& type, std::vector<std::string> names, int bots, const Language& language)
        : HostAndClient(SetupOf(type, std::move(names), bots), bots + 2, language)
    {
    }

    bool MentionsAnyOf(const std::vector<std::string>& names) const
    {
        for (const std::string& line : test::ReadAllMessages(dir.Path()))
            for (const std::string& name : names)
                if (line.find(name) != std::string::npos) return true;
        return false;
    }

    Currency TotalCash() const
    {
        Currency sum;
        for (std::size_t p = 1; p <= setup.names.size(); ++p)
            sum += test::ReadSeat(dir.Path(), static_cast<int>(p)).Cash;
        return sum;
    }
};

TEST(TwoTablesTest, EachTablePlaysItsOwnGame)
{
    test::FreshProcessState fresh;
    test::RecordingMessageBox box;
    const Language language = test::NumberedLanguage();
    // Limit with a bot beside no limit without: a bot that took the other
    // game's type would bet amounts its own game refuses.
    Game limit("THLI", {"Ann", "Otto", "Bob"}, 1, language);
    Game noLimit("THNL", {"Cleo", "Dan"}, 0, language);
    std::array<Game*, 2> games{&limit, &noLimit};
    for (Game* g : games)
        ASSERT_TRUE(g->Open());

    const auto done = [&] { return limit.hostView.handsEnded >= 1 && noLimit.hostView.handsEnded >= 1; };
    for (int round = 0; round < 500 && !done(); ++round) {
        for (Game* g : games) {
            if (g->hostView.handsEnded == 0 && g->host->CanStartRound()) {
                ASSERT_TRUE(g->host->StartRound());
            }
            for (Table* t : {g->host.get(), g->client.get()}) {
                t->Tick();
                if (t->MyTurn()) {
                    EXPECT_TRUE(WriteRequest(*t, CheckOrCall(LimitsOf(*t), language)));
                }
            }
        }
    }

    ASSERT_TRUE(done());
    EXPECT_EQ(box.Texts(), std::vector<std::string>{});
    EXPECT_FALSE(limit.MentionsAnyOf({"Cleo", "Dan"}));
    EXPECT_FALSE(noLimit.MentionsAnyOf({"Ann", "Otto", "Bob"}));
    EXPECT_EQ(limit.TotalCash(), Whole(3000));
    EXPECT_EQ(noLimit.TotalCash(), Whole(2000));
    EXPECT_EQ(limit.host->Session().BotCount, 1);
    EXPECT_EQ(noLimit.host->Session().BotCount, 0);
    // Each table shuffles with a generator of its own: the two deals differ.
    const auto dealt = [](const Game& g) {
        std::vector<clsCard> cards = g.host->Hand().board;
        for (const HandSeat& seat : g.host->Hand().seats)
            if (seat.dealt) cards.insert(cards.end(), seat.hole.begin(), seat.hole.end());
        return cards;
    };
    const std::vector<clsCard> first = dealt(limit), second = dealt(noLimit);
    EXPECT_FALSE(std::equal(second.begin(), second.end(), first.begin(), first.end(),
                            [](const clsCard& a, const clsCard& b) { return a.SameCard(b); }));
}

} // namespace
} // namespace scrivo
