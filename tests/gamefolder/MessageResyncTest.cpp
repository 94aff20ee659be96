#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "gamefolder/RecordFile.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using Lines = std::vector<std::string>;

// A reader that has seen five lines, and a folder whose msg.spk is then
// damaged in some way before two more lines arrive.
class MessageResync : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 1; i <= 5; ++i)
            ASSERT_TRUE(SendPlayerMessage(dir.Path(), "i old " + std::to_string(i)));
        auto seen = ReadMessagesSince(dir.Path(), 0);
        ASSERT_TRUE(seen);
        ASSERT_EQ(seen->lastRecord, 5);
    }
    std::string Path() const { return dir.File("msg.spk"); }
    void Send(const std::string& line) { ASSERT_TRUE(SendPlayerMessage(dir.Path(), line)); }
    void CutTo(std::size_t bytes) { ASSERT_EQ(::truncate(Path().c_str(), static_cast<off_t>(bytes)), 0); }

    test::TempDir dir;
    test::RecordingMessageBox boxes;
};

TEST_F(MessageResync, AFileCutShortIsReadAgainFromItsStart)
{
    CutTo(0);
    Send("i new 1");
    Send("i new 2");
    auto batch = ReadMessagesSince(dir.Path(), 5);
    ASSERT_TRUE(batch);
    EXPECT_TRUE(batch->restarted);
    EXPECT_EQ(batch->lines, (Lines{"i new 1", "i new 2"}));
    EXPECT_EQ(batch->lastRecord, 2);
    // And from then on the reader follows the new file as usual.
    Send("i new 3");
    batch = ReadMessagesSince(dir.Path(), 2);
    EXPECT_FALSE(batch->restarted);
    EXPECT_EQ(batch->lines, (Lines{"i new 3"}));
    EXPECT_EQ(batch->lastRecord, 3);
}

TEST_F(MessageResync, AFileCutInsideARecordKeepsTheWholeOnes)
{
    CutTo(3 * MessageRecordLength + 42);
    auto batch = ReadMessagesSince(dir.Path(), 5);
    ASSERT_TRUE(batch);
    EXPECT_TRUE(batch->restarted);
    EXPECT_EQ(batch->lines, (Lines{"i old 1", "i old 2", "i old 3"}));
    EXPECT_EQ(batch->lastRecord, 3);
}

TEST_F(MessageResync, ADeletedFileStartsOverEmpty)
{
    ASSERT_EQ(std::remove(Path().c_str()), 0);
    auto batch = ReadMessagesSince(dir.Path(), 5);
    ASSERT_TRUE(batch);
    EXPECT_TRUE(batch->restarted);
    EXPECT_TRUE(batch->lines.empty());
    EXPECT_EQ(batch->lastRecord, 0);
    Send("i after");
    EXPECT_EQ(ReadMessagesSince(dir.Path(), batch->lastRecord)->lines, (Lines{"i after"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MessageResync, AGrowingFileIsNeverReadAgain)
{
    Send("i new");
    auto batch = ReadMessagesSince(dir.Path(), 5);
    EXPECT_FALSE(batch->restarted);
    EXPECT_EQ(batch->lines, (Lines{"i new"}));
    batch = ReadMessagesSince(dir.Path(), 6);
    EXPECT_FALSE(batch->restarted);
    EXPECT_TRUE(batch->lines.empty());
    EXPECT_EQ(batch->lastRecord, 6);
}

// A file grown out of all proportion (a hole of a hundred million empty
// records) is read a slice at a time, never all in one tick.
TEST_F(MessageResync, AHugeFileIsReadASliceAtATime)
{
    ASSERT_EQ(::truncate(Path().c_str(), static_cast<off_t>(100'000'000) * MessageRecordLength), 0);
    auto batch = ReadMessagesSince(dir.Path(), 0);
    ASSERT_TRUE(batch);
    EXPECT_LT(batch->lastRecord, 1'000'000);
    EXPECT_EQ(static_cast<std::int64_t>(batch->lines.size()), batch->lastRecord);
    EXPECT_EQ(batch->lines[0], "i old 1");
}

} // namespace
} // namespace scrivo
