#include "gamefolder/RecordFile.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "gamefolder/Records.h"
#include "platform/LockedFile.h"
#include "testsupport/FakeClock.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"
#include "tests/gamefolder/ChildProcess.h"

namespace scrivo {
namespace {

using namespace std::chrono_literals;

// The fake clock, with a hook that runs on every wait: the place where a
// test lets the other process go.
class HookedClock final : public Clock {
public:
    HookedClock() { SetProgramClock(this); }
    ~HookedClock() override { SetProgramClock(nullptr); }
    TimePoint Now() override { return fake.Now(); }
    void SleepFor(std::chrono::milliseconds ms) override
    {
        fake.SleepFor(ms);
        waits.push_back(ms);
        if (onSleep) onSleep(fake.Sleeps());
    }
    test::FakeClock fake;
    std::vector<std::chrono::milliseconds> waits;
    std::function<void(int)> onSleep;
};

class RecordFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GameRecord g;
        g.PlayerCount = 3;
        g.BotCount = 1;
        g.Status = "GR";
        g.GameName = "Table";
        g.GameType = "THPL";
        g.StartCash = Currency::FromWhole(50);
        g.Pot = Currency::FromWhole(7);
        g.MinBet = Currency::FromWhole(4);
        g.LastRaise = Currency::FromWhole(2);
        g.SmallBlind = Currency::FromWhole(1);
        g.BigBlind = Currency::FromWhole(2);
        g.CurrencySymbol = "$";
        game = g;
        dir.Write("gam.spk", EncodeGameRecord(g));
        PlayerRecord p1 = NewSeatRecord(2, "Ann", Currency::FromWhole(50));
        PlayerRecord p2 = NewSeatRecord(1, "Bot", Currency::FromWhole(48));
        p2.Blind = "SB";
        p2.Card1 = "1_5";
        users = EncodePlayerRecord(NewBoardRecord()) + EncodePlayerRecord(p1) + EncodePlayerRecord(p2);
        dir.Write("usr.spk", users);
    }

    std::string Folder() const { return dir.Path(); }
    std::string FileBytes(const std::string& name) const { return test::TempDir::Read(dir.File(name)); }

    test::TempDir dir;
    test::RecordingMessageBox boxes;
    GameRecord game;
    std::string users;
};

TEST_F(RecordFileTest, WriteGameRecordChangesStatusAndLastRaiseOnly)
{
    ASSERT_TRUE(WriteGameRecord(Folder(), "P3", true));
    GameRecord expected = game;
    expected.Status = "P3";
    expected.LastRaise = Currency();
    EXPECT_EQ(FileBytes("gam.spk"), EncodeGameRecord(expected));

    ASSERT_TRUE(WriteGameRecord(Folder(), "RE", false));
    expected.Status = "RE";
    EXPECT_EQ(FileBytes("gam.spk"), EncodeGameRecord(expected));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RecordFileTest, WritePlayerRecordChangesTheActionBytesOnly)
{
    ASSERT_TRUE(WritePlayerRecord(Folder(), "R12.5", 2));
    std::string expected = users;
    expected.replace(2 * 80 + 43, 15, "R12.5          ");
    EXPECT_EQ(FileBytes("usr.spk"), expected);
    EXPECT_EQ(*ReadPlayerRecord(Folder(), 2), "R12.5");
    EXPECT_EQ(*ReadPlayerRecord(Folder(), 1), "-");
}

TEST_F(RecordFileTest, MissingRecordsAreNotThereAndNeverMade)
{
    auto action = ReadPlayerRecord(Folder(), 3);
    EXPECT_EQ(action.status.error, FolderError::NotThere);
    EXPECT_EQ(*action, "");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.LastText().rfind("Error getting player status: ", 0), 0u) << boxes.LastText();

    EXPECT_EQ(WritePlayerRecord(Folder(), "D", 9).error, FolderError::NotThere);
    EXPECT_EQ(boxes.LastText().rfind("Error writing player status: ", 0), 0u) << boxes.LastText();
    EXPECT_EQ(FileBytes("usr.spk"), users);
}

TEST_F(RecordFileTest, ShortGameFileIsNotThereAndIsClosedBeforeTheReport)
{
    dir.Write("gam.spk", EncodeGameRecord(game).substr(0, 83));
    auto read = ReadGameRecord(Folder());
    EXPECT_EQ(read.status.error, FolderError::NotThere);
    EXPECT_TRUE(boxes.shown.empty());   // the caller reports this one

    // When the report shows, the file must already be free again.
    class CheckingBox final : public MessageBoxService {
    public:
        explicit CheckingBox(std::string p) : path(std::move(p)) { SetMessageBoxService(this); }
        ~CheckingBox() override { SetMessageBoxService(nullptr); }
        MsgAnswer Show(const MessageBoxRequest& r) override
        {
            texts.push_back(r.text);
            LockedFile f;
            freeAtReport = f.TryOpen(path) == LockedFile::OpenStatus::Ok;
            return MsgAnswer::Ok;
        }
        std::string path;
        std::vector<std::string> texts;
        bool freeAtReport = false;
    } checking(dir.File("gam.spk"));
    EXPECT_EQ(WriteGameRecord(Folder(), "GE", false).error, FolderError::NotThere);
    ASSERT_EQ(checking.texts.size(), 1u);
    EXPECT_EQ(checking.texts[0].rfind("Error writing status: ", 0), 0u);
    EXPECT_TRUE(checking.freeAtReport);
    EXPECT_EQ(FileBytes("gam.spk").size(), 83u);
}

TEST_F(RecordFileTest, MessagesAreAppendedAndReadFromARecordNumber)
{
    ASSERT_TRUE(SendPlayerMessage(Folder(), "sAnn posts the small blind"));
    ASSERT_TRUE(SendPlayerMessage(Folder(), ""));
    ASSERT_TRUE(SendPlayerMessage(Folder(), "3c2_12,0_4"));
    ASSERT_TRUE(SendPlayerMessage(Folder(), "m" + std::string(150, 'y')));
    EXPECT_EQ(FileBytes("msg.spk").size(), 400u);
    EXPECT_EQ(FileBytes("msg.spk").substr(100, 100), std::string(100, '\x01'));

    auto all = ReadMessagesSince(Folder(), 0);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->lastRecord, 4);
    EXPECT_EQ(all->lines, (std::vector<std::string>{"sAnn posts the small blind", "", "3c2_12,0_4",
                                                    "m" + std::string(99, 'y')}));
    auto later = ReadMessagesSince(Folder(), 3);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->lines.size(), 1u);
    EXPECT_EQ(later->lastRecord, 4);
    auto none = ReadMessagesSince(Folder(), 4);
    EXPECT_TRUE(none->lines.empty());
    EXPECT_EQ(none->lastRecord, 4);
}

TEST_F(RecordFileTest, PartialLastMessageIsNotReadAndTheNextAppendReplacesIt)
{
    ASSERT_TRUE(SendPlayerMessage(Folder(), "i1"));
    ASSERT_TRUE(SendPlayerMessage(Folder(), "i2"));
    // An append cut short elsewhere: 51 bytes of a third record.
    dir.Write("msg.spk", FileBytes("msg.spk") + std::string(51, 'z'));

    auto before = ReadMessagesSince(Folder(), 0);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->lines, (std::vector<std::string>{"i1", "i2"}));
    EXPECT_EQ(before->lastRecord, 2);

    ASSERT_TRUE(SendPlayerMessage(Folder(), "i3"));
    EXPECT_EQ(FileBytes("msg.spk").size(), 300u);
    auto after = ReadMessagesSince(Folder(), before->lastRecord);
    EXPECT_EQ(after->lines, (std::vector<std::string>{"i3"}));
}

TEST_F(RecordFileTest, OneOpenHoldsASequenceOfReadsAndWrites)
{
    auto file = OpenRecordFile(dir.File("usr.spk"), PlayerRecordLength);
    ASSERT_TRUE(file);
    EXPECT_EQ(*file->RecordCount(), 3);
    auto bot = file->ReadPlayer(2);
    ASSERT_TRUE(bot);
    bot->Cash -= Currency::FromWhole(2);
    bot->Bet += Currency::FromWhole(2);
    ASSERT_TRUE(file->WritePlayer(2, *bot));
    EXPECT_EQ(file->ReadPlayer(3).status.error, FolderError::NotThere);
    auto board = file->ReadPlayer(BoardPlayerNo);
    EXPECT_EQ(board->Name, BoardName);
    file->Close();
    EXPECT_FALSE(file->ReadRecord(1));   // a closed file is never used
    EXPECT_EQ(DecodePlayerRecord(FileBytes("usr.spk").substr(160)).Cash, Currency::FromWhole(46));
}

TEST_F(RecordFileTest, OtherFailuresAskRetryOrCancelAndCancelSkipsTheOperation)
{
    const std::string missing = dir.File("gone");
    boxes.answers = {MsgAnswer::Retry, MsgAnswer::Cancel};
    EXPECT_EQ(WritePlayerRecord(missing, "D", 1).error, FolderError::Cancelled);
    ASSERT_EQ(boxes.shown.size(), 2u);   // no second report after Cancel
    for (const auto& r : boxes.shown) {
        EXPECT_EQ(r.text, "File/Connection problem - " + ErrorDescription(ENOENT));
        EXPECT_EQ(r.buttons, MsgButtons::RetryCancel);
        EXPECT_EQ(r.icon, MsgIcon::Exclamation);
    }
    EXPECT_FALSE(ReadGameRecord(missing));
    EXPECT_EQ(ReadMessagesSince(missing, 0).status.error, FolderError::Cancelled);
}

TEST_F(RecordFileTest, RetryOpensOnceTheProblemIsGone)
{
    class FixingBox final : public MessageBoxService {
    public:
        explicit FixingBox(std::string f) : folder(std::move(f)) { SetMessageBoxService(this); }
        ~FixingBox() override { SetMessageBoxService(nullptr); }
        MsgAnswer Show(const MessageBoxRequest&) override
        {
            ++asked;
            ::mkdir(folder.c_str(), 0777);
            return MsgAnswer::Retry;
        }
        std::string folder;
        int asked = 0;
    } fixing(dir.File("later"));
    EXPECT_TRUE(SendPlayerMessage(dir.File("later"), "i hello"));
    EXPECT_EQ(fixing.asked, 1);
    EXPECT_EQ(*ReadMessagesSince(dir.File("later"), 0)->lines.begin(), "i hello");
}

TEST_F(RecordFileTest, HeldFileIsWaitedForOneSecondAtATimeUntilReleased)
{
    test::ChildProcess holder({SCRIVO_FOLDER_HELPER, "hold", dir.File("usr.spk")});
    ASSERT_TRUE(holder.Started());
    ASSERT_EQ(holder.ReadLine(), "held");

    HookedClock clock;
    clock.onSleep = [&](int sleeps) {
        if (sleeps == 3) {
            holder.Go();
            holder.Wait();
        }
    };
    ASSERT_TRUE(WritePlayerRecord(Folder(), "F", 1));
    EXPECT_EQ(clock.waits, (std::vector<std::chrono::milliseconds>{1s, 1s, 1s}));
    EXPECT_EQ(*ReadPlayerRecord(Folder(), 1), "F");
    EXPECT_TRUE(boxes.shown.empty());   // waiting is silent
}

} // namespace
} // namespace scrivo
