// Several clients at once, as separate processes: the only lock between
// machines is the record file's own, so threads would prove nothing.
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gamefolder/CurrentGame.h"
#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "gamefolder/Records.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "testsupport/FakeClock.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"
#include "tests/gamefolder/ChildProcess.h"

namespace scrivo {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

std::vector<std::unique_ptr<ChildProcess>> StartAll(const std::vector<std::vector<std::string>>& commands)
{
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (const auto& args : commands) {
        children.push_back(std::make_unique<ChildProcess>(args));
        EXPECT_TRUE(children.back()->Started());
    }
    // Every client is up before any starts: then they all go at once.
    for (auto& c : children) c->Go();
    return children;
}

TEST(BetweenProcesses, EightClientsAppendingGiveEveryLineWholeAndInOrder)
{
    constexpr int clients = 8, lines = 500;
    test::TempDir folder;
    std::vector<std::vector<std::string>> commands;
    for (int c = 0; c < clients; ++c)
        commands.push_back({SCRIVO_FOLDER_HELPER, "append", folder.Path(), std::to_string(lines), "c" + std::to_string(c)});
    auto children = StartAll(commands);
    for (auto& c : children) EXPECT_EQ(c->Wait(), 0);

    EXPECT_EQ(test::TempDir::Read(MessageFilePath(folder.Path())).size(),
              static_cast<std::size_t>(clients * lines * MessageRecordLength));
    auto all = ReadMessagesSince(folder.Path(), 0);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->lastRecord, clients * lines);
    std::map<std::string, int> next;   // each client's lines arrive in its own order
    for (const std::string& line : all->lines) {
        const auto colon = line.find(':');
        ASSERT_NE(colon, std::string::npos) << line;
        const std::string tag = line.substr(0, colon);
        EXPECT_EQ(line.substr(colon + 1), std::to_string(next[tag]++)) << line;
    }
    EXPECT_EQ(next.size(), static_cast<std::size_t>(clients));
    for (const auto& [tag, count] : next) EXPECT_EQ(count, lines) << tag;
}

TEST(BetweenProcesses, EightJoinersFillTheTableWithoutSharingASeat)
{
    test::TempDir server;
    test::RecordingMessageBox boxes;
    ServerDirectory = server.Path() + "/";
    LastPlayer = "Host";
    for (int i = 1; i <= 8; ++i) BotNames[static_cast<std::size_t>(i)] = "Bot" + std::to_string(i);
    CreateRequest request;
    request.gameName = "Crowded";
    request.startCash = "50";
    request.smallBlind = "1";
    request.bigBlind = "2";
    request.bots = "3";
    BotCounter bots;
    ASSERT_TRUE(CreateGame(request, bots));
    const std::string folder = GameFolder;
    const std::string id = folder.substr(folder.rfind('/') + 1);

    std::vector<std::vector<std::string>> commands;
    for (int j = 0; j < 8; ++j)
        commands.push_back({SCRIVO_FOLDER_HELPER, "join", ServerDirectory, id, "Joiner" + std::to_string(j)});
    auto children = StartAll(commands);

    std::set<int> seats;
    int refused = 0;
    for (auto& c : children) {
        const std::string seat = c->ReadLine();
        const int code = c->Wait();
        if (code == 0) {
            seats.insert(std::stoi(seat));
        } else {
            EXPECT_EQ(code, 66);
            ++refused;
        }
    }
    EXPECT_EQ(seats, (std::set<int>{5, 6, 7, 8, 9}));
    EXPECT_EQ(refused, 3);

    auto game = ReadGameRecord(folder);
    ASSERT_TRUE(game);
    EXPECT_EQ(game->PlayerCount, 9);
    const std::string users = test::TempDir::Read(PlayerFilePath(folder));
    ASSERT_EQ(users.size(), 10u * PlayerRecordLength);
    std::set<std::string> names;
    for (int p = 5; p <= 9; ++p) {
        const PlayerRecord seat = DecodePlayerRecord(users.substr(static_cast<std::size_t>(p) * 80, 80));
        EXPECT_EQ(seat.PlayerNo, p);
        EXPECT_EQ(seat.Action, "-");
        EXPECT_EQ(seat.Cash, Currency::FromWhole(50));
        EXPECT_EQ(seat.Name.rfind("Joiner", 0), 0u) << seat.Name;
        names.insert(seat.Name);
    }
    EXPECT_EQ(names.size(), 5u);
    EXPECT_TRUE(boxes.shown.empty());
}

// Waits on the fake clock and runs a hook on every wait.
class HookedClock final : public Clock {
public:
    HookedClock() { SetProgramClock(this); }
    ~HookedClock() override { SetProgramClock(nullptr); }
    TimePoint Now() override { return fake.Now(); }
    void SleepFor(std::chrono::milliseconds ms) override
    {
        fake.SleepFor(ms);
        if (onSleep) onSleep(fake.Sleeps());
    }
    test::FakeClock fake;
    std::function<void(int)> onSleep;
};

TEST(BetweenProcesses, AClientKilledWhileHoldingAFileReleasesIt)
{
    test::TempDir folder;
    ASSERT_TRUE(SendPlayerMessage(folder.Path(), "i first"));
    // The other client dies halfway through its append.
    ChildProcess dying({SCRIVO_FOLDER_HELPER, "torn", folder.Path()});
    ASSERT_EQ(dying.ReadLine(), "held");

    HookedClock clock;
    clock.onSleep = [&](int sleeps) {
        if (sleeps == 2) {
            dying.Kill();
            EXPECT_EQ(dying.Wait(), 128 + SIGKILL);
        }
    };
    ASSERT_TRUE(SendPlayerMessage(folder.Path(), "i second"));
    EXPECT_EQ(clock.fake.Sleeps(), 2);   // the next try after the death gets the file
    EXPECT_EQ(clock.fake.Slept(), 2s);
    EXPECT_EQ(test::TempDir::Read(MessageFilePath(folder.Path())).size(), 200u);
    EXPECT_EQ(ReadMessagesSince(folder.Path(), 0)->lines, (std::vector<std::string>{"i first", "i second"}));
}

// The real clock, counting its waits.
class CountingClock final : public Clock {
public:
    CountingClock() { SetProgramClock(this); }
    ~CountingClock() override { SetProgramClock(nullptr); }
    TimePoint Now() override { return m_steady.Now(); }
    void SleepFor(std::chrono::milliseconds ms) override
    {
        waits.push_back(ms);
        if (onSleep) onSleep(static_cast<int>(waits.size()));
        m_steady.SleepFor(ms);
    }
    std::vector<std::chrono::milliseconds> waits;
    std::function<void(int)> onSleep;

private:
    SteadyClock m_steady;
};

TEST(BetweenProcesses, WritePlayerRecordWaitsWholeSecondsUntilTheOtherClientLetsGo)
{
    test::TempDir folder;
    folder.Write("usr.spk", EncodePlayerRecord(NewBoardRecord()) +
                                EncodePlayerRecord(NewSeatRecord(2, "Ann", Currency::FromWhole(5))));
    ChildProcess holder({SCRIVO_FOLDER_HELPER, "hold", PlayerFilePath(folder.Path())});
    ASSERT_EQ(holder.ReadLine(), "held");

    CountingClock clock;
    // The other client closes the file during the second wait.
    clock.onSleep = [&](int waits) {
        if (waits == 2) holder.Go();
    };
    ASSERT_TRUE(WritePlayerRecord(folder.Path(), "C", 1));
    EXPECT_EQ(clock.waits, (std::vector<std::chrono::milliseconds>{1s, 1s}));
    EXPECT_EQ(holder.Wait(), 0);
    EXPECT_EQ(*ReadPlayerRecord(folder.Path(), 1), "C");
}

} // namespace
} // namespace scrivo
