#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "gamefolder/RecordFile.h"
#include "platform/Text.h"
#include "testsupport/TempDir.h"

extern char** environ;

namespace scrivo::test {
namespace {

namespace fs = std::filesystem;

// One copy of the program in a folder of its own, as a player installs it:
// the program, its language file and its own SPK.ini.
struct Install {
    TempDir dir;
    std::string program = dir.File("scrivo-poker-hooked");

    Install()
    {
        fs::copy_file(SCRIVO_HOOKED_PROGRAM, program);
        fs::permissions(program, fs::perms::owner_all);
        fs::copy_file(std::string(SCRIVO_SOURCE_DIR) + "/lang/Lang_English.ini",
                      dir.File("Lang_English.ini"));
        // A quick poll keeps the game short; the wizard still opens (no name yet).
        dir.Write("SPK.ini", "[System]\nServer Delay=250\n");
    }

    pid_t Start(const std::string& script)
    {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string v = *e;
            if (v.rfind("SCRIVO_HOOK_SCRIPT=", 0) != 0 && v.rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.push_back(v);
        }
        env.insert(env.end(),
                   {"SCRIVO_HOOK_SCRIPT=" + dir.Write("script.txt", script), "QT_QPA_PLATFORM=offscreen",
                    "SCRIVO_HOOK_TIMEOUT=120", "SCRIVO_HOOK_PAUSE_SCALE=0.05"});
        std::vector<char*> envp;
        for (auto& v : env)
            envp.push_back(v.data());
        envp.push_back(nullptr);
        const std::string out = dir.File("output.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        std::vector<char*> argv{program.data(), nullptr};
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0);
        return pid;
    }

    std::string Output() const { return TempDir::Read(dir.File("output.txt")); }
};

int WaitFor(pid_t pid, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// Texts of the game's private lines for one player (a player digit, a kind
// letter, the text), card lines left out.
std::set<std::string> PrivateTexts(const std::string& server, char player)
{
    std::set<std::string> texts;
    for (const auto& entry : fs::directory_iterator(server)) {
        if (!entry.is_directory()) continue;
        FolderResult<MessageBatch> batch = ReadMessagesSince(entry.path().string(), 0);
        if (!batch.Ok()) continue;
        for (const auto& line : batch->lines)
            if (line.size() > 2 && line[0] == player && line[1] != 'c') texts.insert(line.substr(2));
    }
    return texts;
}

TEST(TwoPlayers, BothWindowsShowTheSamePublicLinesOfTheFirstHand)
{
    TempDir server;
    Install host, guest;
    const std::string hostLog = host.dir.File("log.txt"), hostPublic = host.dir.File("public.txt");
    const std::string guestLog = guest.dir.File("log.txt"), guestPublic = guest.dir.File("public.txt");

    const pid_t hostPid = host.Start("wizard Hostie " + server.Path() +
                                     " English\ncreate Duel 1\nwaitlog Guesty has joined the table.\nkey S\n"
                                     "autocall\nwaitstatus GR|GE\nwaitread\nsavelog " +
                                     hostLog + "\nsavepublic " + hostPublic + "\nquit\n");
    const pid_t guestPid = guest.Start("wizard Guesty " + server.Path() +
                                       " English\njoin\nautocall\nwaitstatus GR|GE\nwaitread\nsavelog " +
                                       guestLog + "\nsavepublic " + guestPublic + "\nquit\n");
    const int hostRc = WaitFor(hostPid, std::chrono::seconds(240));
    const int guestRc = WaitFor(guestPid, std::chrono::seconds(60));
    ASSERT_EQ(hostRc, 0) << host.Output();
    ASSERT_EQ(guestRc, 0) << guest.Output();

    // Every public line of the game, whole and in order, on both tables.
    const std::vector<std::string> hostShared = Lines(TempDir::Read(hostPublic));
    const std::vector<std::string> guestShared = Lines(TempDir::Read(guestPublic));
    EXPECT_EQ(hostShared, guestShared);
    EXPECT_GE(hostShared.size(), 5u);
    const auto named = [&](const char* who) {
        return std::any_of(hostShared.begin(), hostShared.end(),
                           [&](const std::string& l) { return l.find(who) != std::string::npos; });
    };
    EXPECT_TRUE(named("Guesty") && named("Hostie")) << "both players act in the public lines";
    // And each window's log shows them, apart from the card lines drawn as signs.
    for (const std::string& log : {hostLog, guestLog}) {
        const std::string shown = TempDir::Read(log);
        for (const std::string& line : hostShared) {
            if (line.size() < 2 || line[0] == 'c') continue;
            for (const std::string& part : Lines(line.substr(1)))
                EXPECT_NE(shown.find(part), std::string::npos) << part << "\n----\n" << shown;
        }
        // Nothing private to the other player alone reached this window.
        const char me = log == hostLog ? '1' : '2';
        const std::set<std::string> mine = PrivateTexts(server.Path(), me);
        for (const std::string& text : PrivateTexts(server.Path(), me == '1' ? '2' : '1'))
            if (mine.count(text) == 0) {
                EXPECT_EQ(shown.find(text), std::string::npos) << text;
            }
    }
}

// The same through the windows of a protected table: each window deals its
// part, signs its requests, and shows its own cards, which no file holds.
TEST(TwoPlayers, AProtectedHandIsPlayedThroughTwoWindows)
{
    TempDir server;
    Install host, guest;
    const std::string hostLog = host.dir.File("log.txt"), guestLog = guest.dir.File("log.txt");
    const pid_t hostPid =
        host.Start("wizard Hostie " + server.Path() +
                   " English\ncreate Secret 0 1000 protected\nwaitlog Guesty has joined the "
                   "table.\nkey S\nautocall\nwaitstatus GR|GE\nwaitread\nsavelog " +
                   hostLog + "\nquit\n");
    const pid_t guestPid =
        guest.Start("wizard Guesty " + server.Path() +
                    " English\njoin\nautocall\nwaitstatus GR|GE\nwaitread\nsavelog " + guestLog + "\nquit\n");
    ASSERT_EQ(WaitFor(hostPid, std::chrono::seconds(240)), 0) << host.Output();
    ASSERT_EQ(WaitFor(guestPid, std::chrono::seconds(60)), 0) << guest.Output();
    for (const std::string& log : {hostLog, guestLog})
        EXPECT_NE(TempDir::Read(log).find("This table is protected"), std::string::npos)
            << TempDir::Read(log);
    // No card in any seat record, and a signed exchange beside them.
    for (const auto& entry : fs::directory_iterator(server.Path())) {
        if (!entry.is_directory()) continue;
        EXPECT_GT(fs::file_size(entry.path() / "xch.spk"), 4096u);
        FolderResult<RecordFile> seats =
            OpenRecordFile(PlayerFilePath(entry.path().string()), PlayerRecordLength);
        ASSERT_TRUE(seats.Ok());
        for (int p = 1; p <= 2; ++p) {
            const FolderResult<PlayerRecord> seat = seats->ReadPlayer(p);
            ASSERT_TRUE(seat.Ok());
            EXPECT_TRUE(Trim(seat->Card1).empty() && Trim(seat->Card2).empty()) << p;
        }
        seats->Close();
    }
}

} // namespace
} // namespace scrivo::test
