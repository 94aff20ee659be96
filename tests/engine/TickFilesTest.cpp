#include "engine/Table.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "gamefolder/RecordFile.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/FaultFileOps.h"

namespace scrivo {
namespace {

using test::Whole;

// Counts the opens of each record file by its name (those that found or
// made the file: a file is looked for once before it is made).
class OpenCounter final : public ForwardingFileOps {
public:
    OpenCounter() : ForwardingFileOps(CurrentFileOps()), m_scope(*this) {}
    int Open(const std::string& path, int flags, unsigned mode) override
    {
        const int fd = ForwardingFileOps::Open(path, flags, mode);
        if (fd >= 0) ++opens[path.substr(path.find_last_of(PathSeparator) + 1)];
        return fd;
    }
    int MostOpened() const
    {
        int most = 0;
        for (const auto& [name, n] : opens)
            most = std::max(most, n);
        return most;
    }
    std::map<std::string, int> opens;

private:
    ScopedFileOps m_scope;
};

class TickFilesTest : public test::HostTable {
protected:
    Currency Pot() { return test::ReadGameFile(dir.Path()).Pot; }
    // Every chip is in a seat or in the pot.
    Currency Chips() { return TotalCash() + Pot(); }
};

// However the hand goes, a tick never opens a file twice: every read and
// write of the tick happens under one open, for the host with its bots and
// for a client that draws every seat.
TEST_F(TickFilesTest, EveryTickOpensEachRecordFileAtMostOnce)
{
    ProgramRandom().Seed(99);
    Open({"Host", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8"}, {}, "THNL", 8);
    test::RecordingView clientView;
    Table client(clientView, test::SessionAt(dir.Path(), 9, "THNL", 8), language);
    ASSERT_TRUE(client.Init());
    int worst = 0, clientWorst = 0, ticks = 0;
    for (; ticks < 3000 && view.handsEnded < 4 && table->State().Stage != StageGameOver; ++ticks) {
        if (table->CanStartRound()) table->StartRound();
        {
            OpenCounter counter;
            table->Tick();
            worst = std::max(worst, counter.MostOpened());
        }
        // The host's seat plays through its record like a player.
        const TableState& s = table->State();
        if (table->MyTurn()) test::SetAction(dir.Path(), 1, s.HandStake[1] < s.MinBet ? "F" : "C");
        OpenCounter counter;
        client.Tick();
        clientWorst = std::max(clientWorst, counter.MostOpened());
    }
    EXPECT_GE(view.handsEnded, 4);
    EXPECT_EQ(worst, 1);
    EXPECT_EQ(clientWorst, 1);
    EXPECT_TRUE(box.shown.empty()) << box.LastText();
}

// A client waiting on the host learns from a stat that gam.spk is as it
// read it: of every MaxQuietTicks + 1 polls with nothing new, only one
// opens (and locks) it, and none opens another record file.
TEST_F(TickFilesTest, AClientPollWithNothingNewOpensNoRecordFileMostOfTheTime)
{
    Open({"Host", "Bob"});
    test::RecordingView clientView;
    Table client(clientView, test::SessionAt(dir.Path(), 2, "THNL"), language);
    ASSERT_TRUE(client.Init());
    for (int i = 0; i < 3; ++i) {
        table->Tick();
        client.Tick();
    }
    OpenCounter counter;
    constexpr int Rounds = 4;
    for (int i = 0; i < Rounds * (MaxQuietTicks + 1); ++i)
        client.Tick();
    EXPECT_EQ(counter.opens, (std::map<std::string, int>{{GameFileName, Rounds}}));
    EXPECT_EQ(client.State().LastStatus, GameStatus::Waiting);
    EXPECT_TRUE(box.shown.empty()) << box.LastText();
}

// The host's own write of gam.spk leaves the record as surely known as a
// read: the poll after it asks with a stat, even when the polls before had
// used up their turns without a read.
TEST_F(TickFilesTest, AHostPollAfterItsOwnStatusWriteDoesNotReadTheGameRecord)
{
    Open({"Host", "Bob"});
    StartHand();
    ASSERT_EQ(Status(), "P2");
    auto gameOpens = [&] {
        OpenCounter counter;
        table->Tick();
        return counter.opens[GameFileName];
    };
    // Idle polls up to one that reads, then as many as may go on a stat.
    int polls = 0;
    while (gameOpens() == 0 && ++polls < 10) {
    }
    for (int i = 0; i < MaxQuietTicks - 1; ++i)
        ASSERT_EQ(gameOpens(), 0);
    test::SetAction(dir.Path(), 2, "R5"); // the call of the small blind
    ASSERT_EQ(gameOpens(), 1);            // the request taken, the status written
    ASSERT_EQ(Status(), "P1");
    EXPECT_EQ(gameOpens(), 0);
}

// The disk fills while the blinds go in: the tick fails, the following
// ones retry the writes it left, and once there is room the hand goes on
// with each blind posted once and no chip lost.
TEST_F(TickFilesTest, AFullDiskAtTheStartOfAHandNeverPostsTheBlindsTwice)
{
    Open({"Ann", "Bob", "Cy"});
    const Currency total = TotalCash();
    ASSERT_TRUE(table->StartRound());
    for (const std::size_t room : {0, 250, 600}) {
        test::FaultFileOps disk;
        disk.LimitWrites(room);
        table->Tick();
    }
    box.Clear();
    table->Tick();
    ASSERT_EQ(Status(), "P1");
    EXPECT_EQ(Chips(), total);
    EXPECT_EQ(Cash(2), Whole(995));
    EXPECT_EQ(Cash(3), Whole(990));
    EXPECT_EQ(Pot(), Whole(15));
    Act("R10");
    EXPECT_EQ(Status(), "P2");
    EXPECT_EQ(Chips(), total);
    EXPECT_TRUE(box.shown.empty()) << box.LastText();
}

// A seat count out of range or below the players seated: a late joiner is
// refused, and the host puts its own copy back with one report while the
// game goes on for everybody.
TEST_F(TickFilesTest, ADamagedSeatCountIsPutBackByTheHostWithOneReport)
{
    Open({"Ann", "Bob", "Cy"});
    StartHand();
    const Currency before = TotalCash();
    test::RecordingView clientView;
    Table client(clientView, test::SessionAt(dir.Path(), 3, "THNL"), language);
    ASSERT_TRUE(client.Init());
    box.Clear();
    for (const int count : {-1, 0, 10, 32767}) {
        SCOPED_TRACE(count);
        {
            auto file = OpenRecordFile(GameFilePath(dir.Path()), GameRecordLength);
            ASSERT_TRUE(file);
            GameRecord g = *file->ReadGame();
            g.PlayerCount = static_cast<std::int16_t>(count);
            ASSERT_TRUE(file->WriteGame(g));
        }
        test::RecordingView fresh;
        Table late(fresh, test::SessionAt(dir.Path(), 2, "THNL"), language);
        EXPECT_FALSE(late.Init());
    }
    box.Clear();
    for (int i = 0; i < 3 * FailedTicksToStop; ++i) {
        table->Tick();
        client.Tick();
    }
    // The host, the game record's one writer, puts its own copy back with one
    // report: the game goes on for both tables.
    EXPECT_EQ(box.shown.size(), 1u) << testing::PrintToString(box.Texts());
    EXPECT_NE(table->State().Stage, StageGameOver);
    EXPECT_FALSE(client.State().Closing);
    EXPECT_EQ(test::ReadGameFile(dir.Path()).PlayerCount, table->State().PlayerCount);
    EXPECT_EQ(TotalCash(), before);
}

// Damage that the host meets only on some polls, with good ones between:
// reported once, the game going on, and it still adds up to the stop. Damage that went away
// long ago does not count against a later failure.
TEST_F(TickFilesTest, DamageMetNowAndThenIsReportedOnceAndStopsTheTable)
{
    Open({"Ann", "Bob"});
    StartHand();
    const std::string usr = dir.File("usr.spk");
    const std::string saved = test::TempDir::Read(usr);
    const auto failOnce = [&] {
        std::filesystem::resize_file(usr, PlayerRecordLength); // the players' records are gone
        table->Tick();
        std::filesystem::rename(dir.Write("copy", saved), usr);
    };
    failOnce();
    for (int i = 0; i < SoundTicksToForget; ++i)
        table->Tick();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.LastText().rfind("Error in game tick: ", 0), 0u);
    Act("R5"); // and the game goes on
    ASSERT_EQ(Status(), "P1");
    box.Clear();
    for (int i = 1; i < FailedTicksToStop; ++i) {
        failOnce();
        table->Tick();
        table->Tick();
    }
    EXPECT_EQ(box.shown.size(), 1u) << box.LastText();
    EXPECT_FALSE(table->State().Closing);
    failOnce();
    EXPECT_EQ(box.shown.size(), 2u) << box.LastText(); // the damage, then the stop
    EXPECT_EQ(table->State().Stage, StageGameOver);
    EXPECT_TRUE(view.gameEnded);
}

// msg.spk cut short or deleted mid-game: the tables read it again from its
// first record, show none of the lines still there again, and the game goes
// on.
TEST_F(TickFilesTest, AShrunkOrDeletedMessageFileIsReadAfresh)
{
    Open({"Ann", "Bob"});
    StartHand();
    std::vector<std::string> seen;
    view.onLines = [&](const std::vector<LogLine>& lines) {
        for (const LogLine& l : lines)
            seen.push_back(l.line);
    };
    for (const bool remove : {false, true}) {
        SCOPED_TRACE(remove);
        table->Tick(); // every line so far shown
        const std::string path = MessageFilePath(dir.Path());
        const std::vector<std::string> before = test::ReadAllMessages(dir.Path());
        ASSERT_GE(before.size(), 4u);
        if (remove)
            ASSERT_EQ(std::remove(path.c_str()), 0);
        else
            ASSERT_EQ(::truncate(path.c_str(), 4 * MessageRecordLength), 0);
        seen.clear();
        table->Tick();
        for (std::size_t i = 0; i < 4 && !remove; ++i)
            EXPECT_FALSE(Has(seen, before[i])) << before[i];
        ASSERT_TRUE(SendPlayerMessage(dir.Path(), "mHello again"));
        seen.clear();
        table->Tick();
        EXPECT_TRUE(Has(seen, "mHello again"));
        EXPECT_EQ(table->LastMsgNo(), static_cast<long>(test::ReadAllMessages(dir.Path()).size()));
    }
    const std::string current = Status();
    Act("R10");
    EXPECT_NE(Status(), current);
    EXPECT_TRUE(box.shown.empty()) << box.LastText();
}

} // namespace
} // namespace scrivo
