// Real programs on one server directory, and what happens to them: a host or
// a client killed, the host's lease file swapped, the game record damaged, the
// shared folder full for a while. The game goes on, with every chip there.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
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

using Seconds = std::chrono::seconds;

using test::CountContaining;
using test::Program;
using test::WaitFor;

class TakeOverProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FolderExists(JoinPath(ProgramFolder(), "scrivo-client")));
        server = root.File("server");
        std::filesystem::create_directory(server);
    }
    void TearDown() override
    {
        if (!HasFailure()) return;
        host.reset(); // what the programs said, for the failure's cause
        cleo.reset();
        dan.reset();
        for (const char* name : {"host.txt", "cleo.txt", "dan.txt", "dan2.txt"}) {
            const std::string text = test::TempDir::Read(out.File(name));
            std::printf("---- %s\n%s\n", name,
                        text.substr(text.size() > 3000 ? text.size() - 3000 : 0).c_str());
        }
    }
    // A host with one bot and two clients, Cleo and Dan; the clients end the
    // game after `hands` hands if one of them takes over.
    void Start(const std::string& hostOptions = {}, const std::string& cleoOptions = {})
    {
        host = std::make_unique<Program>(out.File("host.txt"),
                                         "scrivo-host --bots 1 --wait-players 2 --delay 20 --seed 5 --keep "
                                         "--cash 1000 --blinds 5/10 --type THLI --policy call --dir '" +
                                             server + "' " + hostOptions,
                                         runAs);
        ASSERT_TRUE(
            WaitFor([&] { return std::filesystem::exists(server) && Folder().size() > 0; }, Seconds(30)));
        cleo = std::make_unique<Program>(out.File("cleo.txt"), Client("Cleo") + cleoOptions, runAs);
        ASSERT_TRUE(
            WaitFor([&] { return ReadGameRecord(Folder()) && ReadGameRecord(Folder())->PlayerCount >= 3; },
                    Seconds(30)));
        dan = std::make_unique<Program>(out.File("dan.txt"), Client("Dan"), runAs);
    }
    std::string Client(const std::string& name)
    {
        return "scrivo-client --name " + name +
               " --delay 20 --hands 16 --keep --policy script:C,C,B,C,F --dir '" + server + "' ";
    }
    std::string Folder()
    {
        for (const auto& entry : std::filesystem::directory_iterator(server))
            if (entry.path().filename().string().ends_with("_tmp")) return entry.path().string();
        return {};
    }
    std::vector<std::string> Lines() { return test::ReadAllMessages(Folder()); }
    int Dealt() { return CountContaining(Lines(), "dShuffling the deck"); }
    Currency Total() { return test::SeatCashTotal(Folder(), 4); }

    test::TempDir root, out;
    std::string server;
    std::unique_ptr<Program> host, cleo, dan;
    std::string runAs;
};

TEST_F(TakeOverProcess, AKilledHostsTableIsTakenOverWithTheStakesBackAndPlayedOn)
{
    Start("--hands 1000");
    ASSERT_TRUE(WaitFor([&] { return Dealt() >= 3; }, Seconds(60)));
    host->Signal(SIGKILL);
    const auto killed = std::chrono::steady_clock::now();
    const int dealtBefore = Dealt();
    ASSERT_TRUE(WaitFor([&] { return CountContaining(Lines(), "now hosts the table") == 1; }, Seconds(20)));
    ASSERT_TRUE(WaitFor([&] { return Dealt() > dealtBefore; }, Seconds(30)));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count();
    RecordProperty("SecondsToFirstNewHand", std::to_string(seconds));
    std::printf("from the host's death to the first new hand: %.1f s\n", seconds);

    EXPECT_EQ(cleo->Wait(Seconds(150)), 0);
    EXPECT_EQ(dan->Wait(Seconds(30)), 0);
    EXPECT_EQ(CountContaining(Lines(), "now hosts the table"), 1);
    EXPECT_GE(Dealt(), dealtBefore + 10);
    EXPECT_EQ(Total(), Currency::FromWhole(4000));
}

// A host stopped for longer than a lease still holds its claim: nobody takes
// its table while it may come back, and once continued it plays the game to
// its end, nothing torn or doubled.
TEST_F(TakeOverProcess, AStoppedHostThatStillHoldsItsClaimKeepsTheTable)
{
    Start("--hands 12");
    ASSERT_TRUE(WaitFor([&] { return Dealt() >= 2; }, Seconds(60)));
    host->Signal(SIGSTOP);
    std::this_thread::sleep_for(Seconds(12)); // the pause itself, twice a lease
    EXPECT_EQ(CountContaining(Lines(), "now hosts the table"), 0);
    host->Signal(SIGCONT);
    EXPECT_EQ(host->Wait(Seconds(150)), 0);
    EXPECT_EQ(cleo->Wait(Seconds(30)), 0);
    EXPECT_EQ(dan->Wait(Seconds(30)), 0);
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(CountContaining(lines, "now hosts the table"), 0);
    EXPECT_EQ(CountContaining(lines, "dShuffling the deck"), CountContaining(lines, "posts the small blind"));
    EXPECT_EQ(Total(), Currency::FromWhole(4000));
}

TEST_F(TakeOverProcess, APlayerKilledAndStartedAgainIsBackInHisSeatWithItsCash)
{
    Start("--hands 14 --turn-time 2");
    ASSERT_TRUE(WaitFor([&] { return Dealt() >= 2; }, Seconds(60)));
    dan->Signal(SIGKILL);
    dan->Wait(Seconds(5));
    ASSERT_TRUE(WaitFor([&] { return CountContaining(Lines(), "4aYou are away") >= 1; }, Seconds(60)));
    const Currency kept = test::ReadSeat(Folder(), 4).Cash;
    EXPECT_GT(kept, Currency());
    dan = std::make_unique<Program>(out.File("dan2.txt"), Client("Dan"));
    ASSERT_TRUE(WaitFor([&] { return CountContaining(Lines(), "Dan is back.") == 1; }, Seconds(30)));
    EXPECT_EQ(host->Wait(Seconds(150)), 0);
    // Marked away while his program was gone, he is back, and every table is
    // told so, once his program plays again.
    const std::vector<std::string> lines = Lines();
    const auto away = std::find_if(lines.rbegin(), lines.rend(),
                                   [](const std::string& l) { return l.rfind("4aYou are away", 0) == 0; });
    const bool told = std::any_of(lines.rbegin(), away,
                                  [](const std::string& l) { return l.rfind("4bYou are back", 0) == 0; });
    ASSERT_NE(away, lines.rend());
    EXPECT_TRUE(told);
    EXPECT_EQ(Trim(test::ReadSeat(Folder(), 4).Name), "Dan");
    EXPECT_EQ(Total(), Currency::FromWhole(4000));
    EXPECT_EQ(test::ReadGameFile(Folder()).PlayerCount, 4);
}

TEST_F(TakeOverProcess, SwappingTheLeaseFileOrDamagingTheCountEndsNothing)
{
    Start("--hands 14");
    ASSERT_TRUE(WaitFor([&] { return Dealt() >= 2; }, Seconds(60)));
    const std::string lease = JoinPath(Folder(), "hst.spk");
    const std::string outside = root.File("outside");
    const auto swapIn = [&](const std::function<void(const std::string&)>& make) {
        const std::string temp = JoinPath(Folder(), "x");
        make(temp);
        std::filesystem::rename(temp, lease);
        const int dealt = Dealt();
        EXPECT_TRUE(WaitFor([&] { return Dealt() >= dealt + 1; }, Seconds(30)));
    };
    swapIn([](const std::string& p) { std::ofstream(p).put('x'); });
    swapIn([&](const std::string& p) { std::filesystem::create_symlink(outside, p); });
    swapIn([](const std::string& p) { ::mkfifo(p.c_str(), 0666); });
    for (const std::int16_t count : {0, -1}) {
        FolderResult<RecordFile> file = OpenRecordFile(GameFilePath(Folder()), GameRecordLength);
        ASSERT_TRUE(file);
        GameRecord g = *file->ReadGame();
        g.PlayerCount = count;
        ASSERT_TRUE(file->WriteGame(g));
        file->Close();
        const int dealt = Dealt();
        EXPECT_TRUE(WaitFor([&] { return Dealt() >= dealt + 1; }, Seconds(30)));
    }
    EXPECT_EQ(host->Wait(Seconds(150)), 0);
    EXPECT_EQ(cleo->Wait(Seconds(30)), 0);
    EXPECT_TRUE(std::filesystem::is_directory(Folder()));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(outside)));
    EXPECT_EQ(Total(), Currency::FromWhole(4000));
}

// A tmpfs of its own that a test fills up for 3 s, then makes read-only for
// the players' account for 10 s; skipped where nothing may be mounted.
TEST_F(TakeOverProcess, AFullDiskAndAReadOnlyFolderAreWaitedOut)
{
    if (::mount("tmpfs", server.c_str(), "tmpfs", 0, "size=4m,mode=0777") != 0)
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{server};
    // The programs run as nobody, whom file modes bind.
    ::chmod(root.Path().c_str(), 0755);
    runAs = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    // A checkout inside a folder only its owner may enter cannot run as nobody.
    const std::string probe = runAs + " test -r '" + JoinPath(ProgramFolder(), "Lang_English.ini") + "'";
    if (std::system(probe.c_str()) != 0) GTEST_SKIP() << "nobody cannot reach the programs here";
    Start("--hands 14");
    ASSERT_TRUE(WaitFor([&] { return Dealt() >= 2; }, Seconds(60)));
    const std::string filler = JoinPath(server, "filler");
    ASSERT_NE(std::system(("dd if=/dev/zero of='" + filler + "' bs=64k 2>/dev/null").c_str()), -1);
    std::this_thread::sleep_for(Seconds(3)); // the outage itself, not a check
    std::filesystem::remove(filler);
    const int dealt = Dealt();
    ASSERT_TRUE(WaitFor([&] { return Dealt() > dealt; }, Seconds(60)));
    const auto setModes = [&](mode_t files, mode_t folder) {
        for (const char* name : {"gam.spk", "usr.spk", "msg.spk", "hst.spk"})
            ::chmod(JoinPath(Folder(), name).c_str(), files);
        ::chmod(Folder().c_str(), folder);
    };
    setModes(0444, 0555);
    std::this_thread::sleep_for(Seconds(10)); // the outage itself, not a check
    setModes(0666, 0777);
    EXPECT_EQ(host->Wait(Seconds(150)), 0);
    EXPECT_EQ(cleo->Wait(Seconds(30)), 0);
    EXPECT_EQ(dan->Wait(Seconds(30)), 0);
    EXPECT_EQ(Total(), Currency::FromWhole(4000));
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(CountContaining(lines, "dShuffling the deck"), CountContaining(lines, "posts the small blind"));
    const std::string hostSaid = test::TempDir::Read(out.File("host.txt"));
    // Waited out twice, not taken for damage, nobody took the table over.
    std::size_t waits = 0;
    for (std::size_t at = 0; (at = hostSaid.find("cannot be reached; waiting. (", at)) != std::string::npos;
         ++at)
        ++waits;
    EXPECT_EQ(waits, 2u) << hostSaid;
    EXPECT_EQ(hostSaid.find("Error in game tick"), std::string::npos);
    EXPECT_EQ(CountContaining(lines, "now hosts the table"), 0);
}

} // namespace
} // namespace scrivo
