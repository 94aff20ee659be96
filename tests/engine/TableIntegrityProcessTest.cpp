// Real host and client programs in a shared server directory: a player who
// stops answering, a raw client held to the rules, a strong bot facing a
// short all in, and a host whose process dies and whose table a player
// takes over.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "gamefolder/TableOptions.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"

namespace scrivo {
namespace {

class TableIntegrityProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FolderExists(JoinPath(bin, "scrivo-host")) &&
                    FolderExists(JoinPath(bin, "scrivo-client")));
    }
    // Runs a shell script with B (the programs), S (the server directory)
    // and O (the output folder) set.
    int Run(const std::string& script)
    {
        const std::string full =
            "cd '" + out.Path() + "' || exit 1; B='" + bin + "'; S='" + server.Path() + "'; " + script;
        return std::system(full.c_str());
    }
    std::string Output(const std::string& name) { return test::TempDir::Read(out.File(name)); }
    std::string GameFolder() { return test::OnlyGameFolder(server.Path()); }

    const std::string bin = ProgramFolder();
    test::TempDir server, out;
};

// Bob joins and stops at once (his seat is in the file, nothing more): with a
// turn time the host times him out, marks him away, and the game goes on to
// its end.
TEST_F(TableIntegrityProcessTest, APlayerWhoStopsDoesNotStopTheTable)
{
    ASSERT_EQ(
        Run("(timeout -s KILL 90 \"$B\"/scrivo-host --dir \"$S\" --bots 1 --wait-players 1 --hands 8 "
            "--delay 20 --seed 4 --keep --turn-time 1 --policy call >host.txt 2>host.err; echo $? >host.rc) "
            "& "
            "hostjob=$!; "
            "\"$B\"/scrivo-client --dir \"$S\" --name Bob --delay 20 --policy call >bob.txt 2>&1 & bob=$!; "
            "while ! grep -aqs 'Bob' \"$S\"/*/usr.spk; do sleep 0.02; done; kill -USR1 $bob; wait "
            "$hostjob; "
            "kill -KILL $bob; exit 0"),
        0);
    EXPECT_EQ(Output("host.rc"), "0\n") << Output("host.err");
    const std::string host = Output("host.txt");
    // The game goes on to its end: the hands asked for, or one player has all the chips.
    EXPECT_TRUE(host.find("hands=8") != std::string::npos || host.find("winner=none") == std::string::npos)
        << host;
    EXPECT_NE(host.find("conserved=yes"), std::string::npos);
    EXPECT_NE(host.find("Bob ran out of time"), std::string::npos);
    EXPECT_NE(host.find("Bob is away and folds."), std::string::npos);
}

// A Standard game against a raw client that writes straight into its seat
// record: a request written out of turn is cleared when the turn comes, a
// request the rules refuse is handed back with the reason, and the game
// plays on to its end with its chips intact.
TEST_F(TableIntegrityProcessTest, AStandardGameHoldsARawClientToTheRules)
{
    ASSERT_EQ(
        Run("(timeout -s KILL 90 \"$B\"/scrivo-host --dir \"$S\" --rules standard --bots 1 --wait-players 1 "
            "--hands 4 --delay 20 --seed 8 --keep --policy call >host.txt 2>host.err; echo $? >host.rc) &"),
        0);
    std::string folder;
    for (int i = 0; i < 500 && folder.empty(); ++i) {
        if (!std::filesystem::is_empty(server.Path())) folder = GameFolder();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(ReadTableRules(folder), HandRules::Standard);
    JoinResult joined;
    for (int i = 0; i < 100 && joined.outcome != JoinOutcome::Joined; ++i) {
        joined = JoinGame(server.Path(), std::filesystem::path(folder).filename().string(), "Raw");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(joined.outcome, JoinOutcome::Joined);
    EXPECT_EQ(joined.session.Rules, HandRules::Standard);
    const int me = joined.session.MyPlayerNo;
    const std::string mine = "P" + std::to_string(me);
    int turns = 0, early = 0, uncleared = 0;
    std::string last;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(80);
    while (std::chrono::steady_clock::now() < deadline && Output("host.rc").empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto game = ReadGameRecord(folder);
        if (!game) continue;
        const std::string status = game->Status.Text();
        if (status == last) continue;
        last = status;
        if (status.size() == 2 && status[0] == 'P' && status != mine && early < 3) {
            // A bet written while someone else has the turn.
            if (WritePlayerRecord(folder, "R50", me)) ++early;
            continue;
        }
        if (status != mine) continue;
        ++turns;
        const std::string before = Trim(test::ReadSeat(folder, me).Action);
        if (!before.empty() && (before[0] == 'R' || before[0] == 'C' || before[0] == 'F')) ++uncleared;
        // One cent more than the call is never a full raise: refused, then a call.
        const PlayerRecord seat = test::ReadSeat(folder, me);
        const Currency call = game->MinBet > seat.Bet ? game->MinBet - seat.Bet : Currency();
        ASSERT_TRUE(WritePlayerRecord(folder, "R" + (call + Currency::FromRaw(100)).ToString(), me));
        for (int i = 0; i < 300 && Trim(test::ReadSeat(folder, me).Action) != "-"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string answer = call.IsZero() ? "C" : "R" + call.ToString();
        ASSERT_TRUE(WritePlayerRecord(folder, answer, me));
        // Taken once the host has put something else in its place.
        for (int i = 0; i < 300 && Trim(test::ReadSeat(folder, me).Action) == answer; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        last.clear();
    }
    Run("wait");
    EXPECT_GT(turns, 0);
    EXPECT_GT(early, 0);
    EXPECT_EQ(uncleared, 0);
    EXPECT_EQ(Output("host.rc"), "0\n") << Output("host.err");
    EXPECT_NE(Output("host.txt").find("conserved=yes"), std::string::npos);
    std::size_t reasons = 0;
    for (const std::string& line : test::ReadAllMessages(folder))
        if (line.find("The smallest bet is") != std::string::npos ||
            line.find("A raise must be at least") != std::string::npos)
            ++reasons;
    EXPECT_GT(reasons, 0u);
}

// A strong bot that raised faces an all in re-raise smaller than a full
// raise, which does not reopen the betting: it calls or folds, and the hand
// ends in the few ticks its actions need, under both rule sets.
TEST_F(TableIntegrityProcessTest, AShortAllInAfterABotsRaiseEndsTheHand)
{
    for (const std::string rules : {"standard", "classic"}) {
        ASSERT_EQ(
            Run("timeout -s KILL 30 \"$B\"/scrivo-host --dir \"$S\" --rules " + rules +
                " --bots 1 --bot-level strong --policy script:B60,A --hands 1 --delay 5 --stacks 300,5000 "
                "--blinds 5/10 --type THNL --seed 7 --deck 2_5,3_2,0_12,1_12,0_3,1_9,2_10,3_11,0_0 "
                ">host.txt 2>host.err; echo $? >host.rc"),
            0);
        ASSERT_EQ(Output("host.rc"), "0\n") << rules << Output("host.err");
        const test::ToolOutput host = test::ReadToolOutput(out.File("host.txt"));
        EXPECT_EQ(host.summary.at("hands"), "1") << rules;
        // A bot decides on its third tick; the host's seat answers at once.
        const std::string err = Output("host.err");
        const std::size_t at = err.find("ticks=");
        ASSERT_NE(at, std::string::npos) << err;
        const long ticks = std::stol(err.substr(at + 6));
        EXPECT_LE(ticks, 3 * std::stol(host.summary.at("actions")) + 6) << rules << err;
    }
}

// The host's process is killed mid-game: the client takes the table over
// within seconds, deals the hands it was asked for, and as the last to leave
// removes the game.
TEST_F(TableIntegrityProcessTest, AVanishedHostIsTakenOverAndTheGameCleanedUp)
{
    ASSERT_EQ(
        Run("\"$B\"/scrivo-host --dir \"$S\" --bots 1 --wait-players 1 --delay 50 --seed 5 --cash 100000 "
            "--blinds 1/2 --policy call >host.txt 2>&1 & host=$!; "
            "(timeout -s KILL 90 \"$B\"/scrivo-client --dir \"$S\" --name Bob --delay 50 --hands 2 "
            "--policy call >bob.txt 2>&1; echo $? >bob.rc) & "
            "while ! grep -aqs 'Bob' \"$S\"/*/usr.spk; do sleep 0.1; done; sleep 2; "
            "kill -KILL $host; date +%s >killed; "
            "while ! grep -aqs 'now hosts the table' bob.txt && [ ! -e bob.rc ]; do sleep 0.1; done; "
            "date +%s >noticed; wait"),
        0);
    EXPECT_EQ(Output("bob.rc"), "0\n") << Output("bob.txt");
    EXPECT_NE(Output("bob.txt").find("Bob now hosts the table."), std::string::npos);
    EXPECT_LE(std::stol(Output("noticed")) - std::stol(Output("killed")), 10);
    EXPECT_TRUE(std::filesystem::is_empty(server.Path())) << GameFolder();
}

} // namespace
} // namespace scrivo
