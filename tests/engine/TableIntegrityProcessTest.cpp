// Real host and client programs in a shared server directory: bots seated
// under a host named like a bot, a player who stops answering, and a host
// whose process dies.
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

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

TEST_F(TableIntegrityProcessTest, EightBotsUnderAHostNamedLikeABot)
{
    ASSERT_EQ(
        Run("timeout -s KILL 60 \"$B\"/scrivo-host --dir \"$S\" --name Alice --bots 8 --hands 2 --delay 0 "
            "--seed 3 --keep >host.txt 2>host.err; echo $? >host.rc"),
        0);
    EXPECT_EQ(Output("host.rc"), "0\n");
    EXPECT_EQ(Output("host.err").find("Bot Join"), std::string::npos) << Output("host.err");
    const std::string folder = GameFolder();
    const GameRecord g = test::ReadGameFile(folder);
    EXPECT_EQ(g.PlayerCount, 9);
    EXPECT_EQ(g.BotCount, 8);
    std::set<std::string> names;
    for (int p = 1; p <= g.PlayerCount; ++p)
        names.insert(Trim(test::ReadSeat(folder, p).Name));
    EXPECT_EQ(names.size(), 9u);
    EXPECT_NE(Output("host.txt").find("conserved=yes"), std::string::npos);
}

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
            "while ! grep -aqs 'Bob' \"$S\"/*/usr.spk; do sleep 0.02; done; kill -STOP $bob; wait "
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

// The host's process is killed mid-game: the client says so, ends with
// status 3 within seconds, and as the last to leave removes the game.
TEST_F(TableIntegrityProcessTest, AVanishedHostIsNoticedAndTheGameCleanedUp)
{
    ASSERT_EQ(
        Run("\"$B\"/scrivo-host --dir \"$S\" --bots 1 --wait-players 1 --delay 50 --seed 5 --cash 100000 "
            "--blinds 1/2 --policy call >host.txt 2>&1 & host=$!; "
            "(timeout -s KILL 40 \"$B\"/scrivo-client --dir \"$S\" --name Bob --delay 50 --policy call "
            ">bob.txt 2>&1; echo $? >bob.rc) & "
            "while ! grep -aqs 'Bob' \"$S\"/*/usr.spk; do sleep 0.1; done; sleep 2; "
            "kill -KILL $host; date +%s >killed; wait; date +%s >ended"),
        0);
    EXPECT_EQ(Output("bob.rc"), "3\n") << Output("bob.txt");
    EXPECT_NE(Output("bob.txt").find("The host has left: the game is over."), std::string::npos);
    EXPECT_LE(std::stol(Output("ended")) - std::stol(Output("killed")), 10);
    EXPECT_TRUE(std::filesystem::is_empty(server.Path())) << GameFolder();
}

} // namespace
} // namespace scrivo
