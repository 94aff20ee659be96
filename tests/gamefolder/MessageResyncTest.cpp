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

// A file grown out of all proportion by a hole of four gigabytes (never
// written: no lines) is passed over at little cost, and the line written
// after it is found; the same length of zeros actually written is read a
// bounded slice per call.
TEST_F(MessageResync, HugeBlankRunsAreNoLinesAndAreReadInSlices)
{
    constexpr std::int64_t hole = 42'949'672; // records: four gigabytes
    ASSERT_EQ(::truncate(Path().c_str(), static_cast<off_t>(hole) * MessageRecordLength), 0);
    Send("i after the hole");
    std::vector<std::string> lines;
    std::int64_t last = 0;
    int calls = 0;
    for (; last < hole + 1 && calls < 1000; ++calls) {
        auto batch = ReadMessagesSince(dir.Path(), last);
        ASSERT_TRUE(batch);
        lines.insert(lines.end(), batch->lines.begin(), batch->lines.end());
        last = batch->lastRecord;
    }
    EXPECT_EQ(last, hole + 1);
    EXPECT_EQ(lines, (Lines{"i old 1", "i old 2", "i old 3", "i old 4", "i old 5", "i after the hole"}));

    const std::string zeros(static_cast<std::size_t>(200'000) * MessageRecordLength, '\0');
    ASSERT_EQ(::truncate(Path().c_str(), 5 * MessageRecordLength), 0);
    {
        std::FILE* f = std::fopen(Path().c_str(), "ab");
        ASSERT_NE(f, nullptr);
        std::fwrite(zeros.data(), 1, zeros.size(), f);
        std::fclose(f);
    }
    auto batch = ReadMessagesSince(dir.Path(), 5);
    ASSERT_TRUE(batch);
    EXPECT_TRUE(batch->lines.empty());
    EXPECT_GT(batch->lastRecord, 5);
    EXPECT_LT(batch->lastRecord, 5 + 200'000);
}

} // namespace
} // namespace scrivo
