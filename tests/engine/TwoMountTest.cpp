// Machines sharing one server directory, simulated on one machine: the folder
// is mounted several times through bindfs (FUSE). With lock forwarding each
// mount passes its locks down to the folder below, where they meet those of
// the other mounts, as two machines' locks meet on a file server. Every
// process gets a mount of its own: bindfs holds all the locks of one mount
// as one process's locks, which never exclude each other, so two processes
// on one forwarding mount would not model two machines. Without forwarding
// the locks stay in each mount, as on a share that ignores them; the tests
// show that such a share is caught.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"

namespace scrivo {
namespace {

bool Mounted(const std::string& point)
{
    std::ifstream in("/proc/self/mountinfo");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, parent, dev, root, mountPoint;
        fields >> id >> parent >> dev >> root >> mountPoint;
        if (mountPoint == point) return true;
    }
    return false;
}

int Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// A folder and `count` bindfs views of it, unmounted again whatever happens
// to the test.
class BindMounts {
public:
    BindMounts(int count, bool forwardLocks, const std::string& options = {})
    {
        if (::access("/dev/fuse", R_OK | W_OK) != 0) {
            why = "no usable /dev/fuse";
            return;
        }
        if (Shell("command -v bindfs >/dev/null 2>&1") != 0) {
            why = "bindfs is not installed";
            return;
        }
        ::mkdir(source().c_str(), 0777);
        for (int i = 0; i < count; ++i) {
            const std::string point = m_root.File("m" + std::to_string(i));
            ::mkdir(point.c_str(), 0777);
            m_command = std::string("bindfs --multithreaded ") +
                        (forwardLocks ? "--enable-lock-forwarding " : "") + options + " '" + source() + "' ";
            if (Shell(m_command + "'" + point + "' 2>&1") != 0 || !Mounted(point)) {
                why = "bindfs could not mount here (" + m_command + ")";
                return;
            }
            points.push_back(point);
        }
    }
    // Mount i's server goes away, taking every lock held through it: what
    // is open through it, and any call through it, fails from now on.
    void Drop(std::size_t i)
    {
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream in(entry.path() / "cmdline");
            std::vector<std::string> args;
            for (std::string arg; std::getline(in, arg, '\0');)
                args.push_back(arg);
            if (args.size() >= 2 && args[0].ends_with("bindfs") && args.back() == points[i])
                ::kill(std::stoi(entry.path().filename().string()), SIGKILL);
        }
    }
    // A fresh server in its place, as when a machine mounts the share again;
    // what was open through the old one stays dead.
    bool Remount(std::size_t i)
    {
        const std::string& point = points[i];
        Shell("fusermount -u -z '" + point + "' 2>/dev/null || umount -l '" + point + "' 2>/dev/null");
        return Shell(m_command + "'" + point + "' 2>&1") == 0 && Mounted(point);
    }
    ~BindMounts()
    {
        for (const std::string& point : points)
            if (Shell("fusermount -u -z '" + point + "' 2>/dev/null") != 0 || Mounted(point))
                Shell("umount -l '" + point + "' 2>/dev/null");
    }
    BindMounts(const BindMounts&) = delete;
    BindMounts& operator=(const BindMounts&) = delete;

    bool Ready() const { return why.empty(); }
    std::string source() const { return m_root.File("shared"); }

    std::string why;
    std::vector<std::string> points;

private:
    test::TempDir m_root; // goes last, once nothing is mounted in it
    std::string m_command;
};

#define SKIP_WITHOUT_FUSE(mounts)                                                                            \
    if (!(mounts).Ready()) GTEST_SKIP() << "FUSE is not available: " << (mounts).why

TEST(TwoMachines, AHostAndTwoClientsOnSeparateMountsPlayWithChipsConservedAndNoTornRecord)
{
    // The mounts keep their attribute cache: a table's look for new lines
    // and its check of gam.spk ask the server past it.
    BindMounts mounts(3, true);
    SKIP_WITHOUT_FUSE(mounts);
    const std::string bin = ProgramFolder();
    test::TempDir out;
    const std::vector<std::string>& at = mounts.points;
    test::RunTogether(
        bin, out,
        {{"host",
          "scrivo-host --bots 1 --wait-players 2 --hands 12 --delay 5 --seed 7 --keep --cash "
          "3000 --blinds 5/10 --type THLI --policy call",
          at[0]},
         {"Cleo", "scrivo-client --name Cleo --seed 11 --delay 10 --policy script:C,B,C,F,C,C", at[1]},
         {"Dan", "scrivo-client --name Dan --seed 12 --delay 10 --policy script:C,C,B,C,F", at[2]}},
        240);
    if (HasFailure()) return;

    test::ToolOutput host = test::ReadToolOutput(out.File("host.txt"));
    EXPECT_EQ(host.summary["conserved"], "yes");
    EXPECT_GE(std::stol("0" + host.summary["hands"]), 12);

    // Every record whole, every chip there, and each machine saw the same game.
    const std::string folder = test::OnlyGameFolder(mounts.source());
    EXPECT_EQ(std::filesystem::file_size(GameFilePath(folder)), std::uintmax_t(GameRecordLength));
    EXPECT_EQ(std::filesystem::file_size(PlayerFilePath(folder)), 5u * PlayerRecordLength);
    EXPECT_EQ(std::filesystem::file_size(MessageFilePath(folder)) % MessageRecordLength, 0u);
    EXPECT_EQ(test::SeatCashTotal(folder, 4), Currency::FromWhole(12000));
    ASSERT_FALSE(host.publicLines.empty());
    for (const std::string name : {"Cleo", "Dan"})
        test::ExpectSameGame(host, test::ReadToolOutput(out.File(name + ".txt")), name);
}

// A host and two clients, each on a mount of its own, with what the tests
// do to the mounts; the programs are killed at the end whatever happens.
class TableOnMounts : public ::testing::Test {
protected:
    void Start(const std::string& name, const std::string& line, std::size_t mount)
    {
        programs[name] = std::make_unique<test::Program>(out.File(name + ".txt"),
                                                         line + " --dir '" + mounts.points[mount] + "'");
    }
    // The host and Cleo and Dan, the clients ending the game after `hands`
    // should one of them host it by then; once three hands are dealt.
    void StartTable(const std::string& hostOptions, int hands)
    {
        Start("host",
              "scrivo-host --bots 1 --wait-players 2 --delay 20 --seed 5 --keep --cash 1000 --blinds 5/10 "
              "--type THLI --policy call " +
                  hostOptions,
              0);
        ASSERT_TRUE(test::WaitFor([&] { return !std::filesystem::is_empty(mounts.source()); },
                                  std::chrono::seconds(30)));
        const std::string client =
            " --delay 20 --keep --policy script:C,C,B,C,F --hands " + std::to_string(hands);
        Start("Cleo", "scrivo-client --name Cleo" + client, 1);
        ASSERT_TRUE(test::WaitFor([&] { return test::ReadGameFile(Folder()).PlayerCount >= 3; },
                                  std::chrono::seconds(30)));
        Start("Dan", "scrivo-client --name Dan" + client, 2);
        ASSERT_TRUE(
            test::WaitFor([&] { return Count("dShuffling the deck") >= 3; }, std::chrono::seconds(60)));
    }
    std::string Folder() { return test::OnlyGameFolder(mounts.source()); }
    int Count(const std::string& part)
    {
        return test::CountContaining(test::ReadAllMessages(Folder()), part);
    }
    void ExpectAllEndedWholeAndConserved()
    {
        for (const char* name : {"Cleo", "Dan", "host"})
            EXPECT_NE(programs[name]->Wait(std::chrono::seconds(120)), -1) << name;
        EXPECT_EQ(Count("dShuffling the deck"), Count("posts the small blind"));
        std::set<std::string> headers;
        for (const std::string& line : test::ReadAllMessages(Folder()))
            if (line.find("--- Hand ") != std::string::npos) {
                EXPECT_TRUE(headers.insert(line).second) << line;
            }
        EXPECT_EQ(test::SeatCashTotal(Folder(), 4), Currency::FromWhole(4000));
    }

    BindMounts mounts{3, true};
    test::TempDir out;
    std::map<std::string, std::unique_ptr<test::Program>> programs; // killed before the mounts go
};

// The host is paused and its machine loses the share meanwhile: its claim
// goes with the share, a player takes the table over, and the host, going on
// once the share is back, finds the later host and only plays at its seat.
TEST_F(TableOnMounts, AHostPausedWhileItsShareWentNeverHostsAgain)
{
    SKIP_WITHOUT_FUSE(mounts);
    ASSERT_NO_FATAL_FAILURE(StartTable("", 15));
    programs["host"]->Signal(SIGSTOP);
    mounts.Drop(0);
    ASSERT_TRUE(mounts.Remount(0));
    const int before = Count("dShuffling the deck");
    ASSERT_TRUE(test::WaitFor([&] { return Count("now hosts the table") == 1; }, std::chrono::seconds(30)));
    programs["host"]->Signal(SIGCONT);
    ExpectAllEndedWholeAndConserved();
    const std::string hostSaid = test::TempDir::Read(out.File("host.txt"));
    EXPECT_NE(hostSaid.find("a later host holds the table"), std::string::npos) << hostSaid;
    EXPECT_EQ(Count("now hosts the table"), 1);
    EXPECT_GE(Count("dShuffling the deck"), before + 10);
}

// The share is out of reach for every machine for 20 s, then mounted again
// (every file open through it dead, every claim gone): waited out, the game
// played to its end.
TEST_F(TableOnMounts, AShareOutOfReachForTwentySecondsIsWaitedOut)
{
    SKIP_WITHOUT_FUSE(mounts);
    ASSERT_NO_FATAL_FAILURE(StartTable("--hands 10", 12));
    const std::size_t mark = test::ReadAllMessages(Folder()).size();
    for (std::size_t i = 0; i < 3; ++i)
        mounts.Drop(i);
    std::this_thread::sleep_for(std::chrono::seconds(20)); // the outage itself, not a check
    for (std::size_t i = 0; i < 3; ++i)
        ASSERT_TRUE(mounts.Remount(i));
    ExpectAllEndedWholeAndConserved();
    for (const char* name : {"host.txt", "Cleo.txt", "Dan.txt"}) {
        const std::string said = test::TempDir::Read(out.File(name));
        EXPECT_NE(said.find("cannot be reached; waiting. ("), std::string::npos) << name << said;
        EXPECT_EQ(said.find("Error in game tick"), std::string::npos) << name << said;
    }
    // Both players still in their seats: each plays on after the outage.
    const std::vector<std::string> lines = test::ReadAllMessages(Folder());
    for (const std::string name : {"Cleo", "Dan"}) {
        bool played = false;
        for (std::size_t i = mark; i < lines.size(); ++i)
            for (const char* act : {" calls", " checks", " puts in"})
                played = played || lines[i].find(name + act) != std::string::npos;
        EXPECT_TRUE(played) << name;
    }
}

// Four processes append lines at once, each through a mount of its own.
class SharedLocks : public ::testing::TestWithParam<bool> {};

TEST_P(SharedLocks, AreFoundWorkingOrBrokenByTheLockCheckAndByLostLines)
{
    const bool forwarded = GetParam();
    BindMounts mounts(4, forwarded);
    SKIP_WITHOUT_FUSE(mounts);

    const std::string check = ProgramFolder() + "/scrivo-folder --check-locks '" + mounts.points[0] + "' '" +
                              mounts.points[1] + "' >/dev/null";
    EXPECT_EQ(Shell(check), forwarded ? 0 : 1);

    constexpr int Writers = 4, Lines = 300;
    std::vector<pid_t> writers;
    for (int w = 0; w < Writers; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int failed = 0;
            for (int i = 0; i < Lines; ++i)
                failed +=
                    !SendPlayerMessage(mounts.points[w], "i w" + std::to_string(w) + ":" + std::to_string(i));
            ::_exit(failed == 0 ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto all = ReadMessagesSince(mounts.source(), 0);
    ASSERT_TRUE(all);
    const std::set<std::string> distinct(all->lines.begin(), all->lines.end());
    const std::size_t lost = Writers * Lines - distinct.size();
    // Locks that meet keep every line, but for a rare one the mount server
    // itself lets through (about one run in thirty loses one of 1200);
    // locks that do not meet lose about half of them.
    if (forwarded) {
        EXPECT_LE(lost, 2u);
        EXPECT_LE(all->lines.size(), std::size_t(Writers * Lines));
    } else {
        EXPECT_GT(lost, std::size_t(Writers * Lines / 10)) << "locks that do not meet went unnoticed";
    }
}

INSTANTIATE_TEST_SUITE_P(TwoMachines, SharedLocks, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Forwarded" : "KeptInEachMount"; });

} // namespace
} // namespace scrivo
