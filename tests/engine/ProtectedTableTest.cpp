// Protected tables played in one process: a host and clients, each its own
// table on one game folder, the exchange of the cards between them.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Commands.h"
#include "engine/Table.h"
#include "gamefolder/Records.h"
#include "platform/Paths.h"
#include "privacy/Protocol.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/FakeClock.h"
#include "testsupport/ProcessState.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using namespace privacy;
using test::Whole;

// A protected game: player 1 hosts, `bots` bots after him, then the
// clients; every human table has a key file of its own in keys/.
struct ProtectedGame {
    ProtectedGame(std::vector<std::string> names, int bots, long long cash = 1000)
    {
        setup.type = "THNL";
        setup.names = std::move(names);
        setup.bots = bots;
        setup.startCash = Whole(cash);
        test::WriteGameFolder(dir.Path(), setup);
        std::filesystem::create_directory(keys.Path() + "/k");
        views.resize(setup.names.size() + 1);
        lines.resize(setup.names.size() + 1);
        for (int p = 1; p <= static_cast<int>(setup.names.size()); ++p) {
            if (p >= 2 && p <= bots + 1) continue;
            GameSession session = test::SessionAt(dir.Path(), p, setup.type, bots);
            session.Protected = true;
            session.SigningKeyFile = KeyFile(p);
            session.Rules = HandRules::Standard;
            session.TurnSeconds = 20;
            views[static_cast<std::size_t>(p)] = std::make_unique<test::RecordingView>();
            auto& seen = lines[static_cast<std::size_t>(p)];
            views[static_cast<std::size_t>(p)]->onLines = [&seen](const std::vector<LogLine>& fresh) {
                for (const LogLine& l : fresh)
                    seen.push_back(l.line);
            };
            tables.push_back(std::make_unique<Table>(*views[static_cast<std::size_t>(p)], session, language));
        }
    }

    std::string KeyFile(int p) const { return keys.Path() + "/k/seat" + std::to_string(p) + ".key"; }

    bool Open()
    {
        return std::all_of(tables.begin(), tables.end(), [](auto& t) { return t->Init(); });
    }

    Table& Host() { return *tables.front(); }

    // One round of polls; each player on turn checks or calls, or plays
    // what `choose` says. `skip` tables do not poll.
    void Round(const std::function<bool(Table&)>& skip = {})
    {
        if (Host().CanStartRound()) Host().StartRound();
        for (auto& t : tables) {
            if (skip && skip(*t)) continue;
            t->Tick();
            if (after) after(*t);
            if (t->MyTurn()) {
                const CommandOutcome out = choose ? choose(*t) : CheckOrCall(LimitsOf(*t), language);
                WriteRequest(*t, out);
            }
        }
    }

    Currency TotalCash() const
    {
        Currency sum;
        for (std::size_t p = 1; p <= setup.names.size(); ++p)
            sum += test::ReadSeat(dir.Path(), static_cast<int>(p)).Cash;
        return sum;
    }

    bool Said(int p, MsgId id) const
    {
        const std::string mark = test::Numbered(id).substr(0, test::Numbered(id).find(']') + 1);
        const auto& seen = lines[static_cast<std::size_t>(p)];
        return std::any_of(seen.begin(), seen.end(),
                           [&](const std::string& l) { return l.find(mark) != std::string::npos; });
    }

    test::FreshProcessState fresh;
    test::RecordingMessageBox box;
    test::TempDir dir;
    test::TempDir keys;
    test::GameSetup setup;
    Language language = test::NumberedLanguage();
    std::vector<std::unique_ptr<test::RecordingView>> views;
    std::vector<std::vector<std::string>> lines;
    std::vector<std::unique_ptr<Table>> tables;
    std::function<CommandOutcome(Table&)> choose;
    std::function<void(Table&)> after;
};

TEST(ProtectedTable, HostAndTwoClientsPlayToTheEndWithChipsConserved)
{
    ProtectedGame game({"Ann", "Otto", "Bob", "Cleo"}, 1, 1000);
    ASSERT_TRUE(game.Open());
    Random random(7);
    game.choose = [&](Table& t) {
        const BetLimits limits = LimitsOf(t);
        switch (random.Below(40)) {
        case 0:
            return AllIn(limits, game.language);
        case 1:
        case 2:
        case 3:
            return Fold(game.language);
        default:
            return CheckOrCall(limits, game.language);
        }
    };
    for (int round = 0; round < 4000 && !game.views[1]->gameEnded && game.views[1]->handsEnded < 12; ++round)
        game.Round();
    EXPECT_GE(game.views[1]->handsEnded, 3);
    EXPECT_EQ(game.box.Texts(), std::vector<std::string>{});
    EXPECT_EQ(game.TotalCash(), Whole(4000));
    for (auto& t : game.tables) {
        EXPECT_EQ(t->Counters().handsFailed, 0);
        EXPECT_EQ(t->Counters().cheatsNamed, 0);
    }
    EXPECT_EQ(game.Host().Counters().handsVoided, 0);
    // Each player saw his own cards in his log, from no file.
    for (int p : {1, 3, 4})
        EXPECT_TRUE(std::any_of(game.lines[static_cast<std::size_t>(p)].begin(),
                                game.lines[static_cast<std::size_t>(p)].end(),
                                [&](const std::string& l) { return l.rfind(std::to_string(p) + "c", 0) == 0; }))
            << p;
}

} // namespace
} // namespace scrivo
