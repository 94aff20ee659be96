#include <cstdio>
#include <functional>
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
    void SetUp() override { ResetFolder(); }
    void ResetFolder()
    {
        std::remove(Path().c_str());
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

// What the reader at record 5 gets after the damage and the lines sent since,
// then after one more line: a part record at the end waits, and the next
// whole record takes its place.
TEST_F(MessageResync, ADamagedFileIsReadAgainFromItsStartAndAGrowingOneNever)
{
    const Lines two{"i new 1", "i new 2"};
    struct Case {
        const char* damage;
        std::function<void()> apply;
        Lines sent;
        bool restarted;
        Lines lines;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"cut to nothing", [&] { CutTo(0); }, two, true, two},
        {"cut inside a record", [&] { CutTo(3 * MessageRecordLength + 42); }, {}, true,
         {"i old 1", "i old 2", "i old 3"}},
        {"deleted", [&] { ASSERT_EQ(std::remove(Path().c_str()), 0); }, {}, true, {}},
        {"none", [] {}, two, false, two},
        {"an append cut short elsewhere", [&] { CutTo(5 * MessageRecordLength + 51); }, {}, false, {}}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        ResetFolder();
        c.apply();
        for (const auto& line : c.sent)
            Send(line);
        auto batch = ReadMessagesSince(dir.Path(), 5);
        ASSERT_TRUE(batch);
        EXPECT_EQ(batch->restarted, c.restarted);
        EXPECT_EQ(batch->lines, c.lines);
        const int last = static_cast<int>(c.lines.size()) + (c.restarted ? 0 : 5);
        EXPECT_EQ(batch->lastRecord, last);
        Send("i new 3"); // from then on the reader follows the file as usual
        batch = ReadMessagesSince(dir.Path(), last);
        EXPECT_FALSE(batch->restarted);
        EXPECT_EQ(batch->lines, (Lines{"i new 3"}));
        EXPECT_EQ(batch->lastRecord, last + 1);
    }
    EXPECT_TRUE(boxes.shown.empty());
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
