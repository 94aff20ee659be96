// Record operations when the file layer fails or a file stays held: the
// records stay whole, nothing is asked, and a held file is retried after
// short waits rather than whole seconds.
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

#include "gamefolder/RecordFile.h"
#include "gamefolder/Records.h"
#include "platform/FileOps.h"
#include "platform/LockBackoff.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FaultFileOps.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using namespace std::chrono_literals;
using test::FileCall;
using Lines = std::vector<std::string>;

// Another client holds every file until the clock reaches `until`.
struct HeldUntil final : ForwardingFileOps {
    HeldUntil(test::FakeClock& clock, Clock::TimePoint until)
        : ForwardingFileOps(CurrentFileOps()), clock(clock), until(until), scope(*this)
    {
    }
    int SetLock(int fd, short type) override
    {
        ++tries;
        if (type != F_UNLCK && clock.Now() < until) return errno = EAGAIN, -1;
        return Inner().SetLock(fd, type);
    }
    test::FakeClock& clock;
    Clock::TimePoint until;
    int tries = 0;
    ScopedFileOps scope;
};

class RecordFileFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string users = EncodePlayerRecord(NewBoardRecord());
        for (int p = 1; p <= 3; ++p)
            users += EncodePlayerRecord(NewSeatRecord(p, "P" + std::to_string(p), Currency::FromWhole(100)));
        dir.Write("usr.spk", users);
        for (const char* line : {"i one", "i two"})
            ASSERT_TRUE(SendPlayerMessage(dir.Path(), line));
        before = {Read("usr.spk"), Read("msg.spk")};
    }
    std::string Read(const std::string& name) const { return test::TempDir::Read(dir.File(name)); }
    bool Unchanged() const { return Read("usr.spk") == before[0] && Read("msg.spk") == before[1]; }
    // Nobody holds the file any more.
    bool Free(const std::string& name) const
    {
        LockedFile f;
        return f.TryOpen(dir.File(name)) == LockedFile::OpenStatus::Ok;
    }

    test::TempDir dir;
    test::RecordingMessageBox boxes;
    test::ScopedFakeClock fake;
    test::FakeClock& clock = fake.clock;
    Lines before;
};

TEST_F(RecordFileFaults, AFailedWriteInTheMiddleOfAnOperationLeavesEveryRecordWhole)
{
    struct Fault {
        const char* what;
        std::function<void(test::FaultFileOps&)> arrange;
        std::function<FolderStatus()> operation;
        int error;
    };
    // clang-format off
    const Fault faults[] = {
        {"half the action written, then the device fails",
         [](auto& f) { f.ShortWrite(1, 7); f.Fail(FileCall::Write, 2, EIO); },
         [&] { return WritePlayerRecord(dir.Path(), "R12.5", 2); }, EIO},
        {"the disk fills up half way through a line", [](auto& f) { f.LimitWrites(40); },
         [&] { return SendPlayerMessage(dir.Path(), "i three"); }, ENOSPC},
        {"the read of the seat fails before any write", [](auto& f) { f.Fail(FileCall::Read, 1, EIO); },
         [&] { return WritePlayerRecord(dir.Path(), "F", 3); }, EIO}};
    // clang-format on
    for (const auto& fault : faults) {
        test::FaultFileOps ops;
        fault.arrange(ops);
        // The operation reports its error to the caller and asks nothing.
        EXPECT_EQ(fault.operation().description, ErrorDescription(fault.error)) << fault.what;
    }
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_TRUE(Unchanged());
    EXPECT_TRUE(Free("usr.spk") && Free("msg.spk"));
    EXPECT_EQ(ReadMessagesSince(dir.Path(), 0)->lines, (Lines{"i one", "i two"}));

    // Once the fault is gone the next operations land where they belong.
    ASSERT_TRUE(WritePlayerRecord(dir.Path(), "R12.5", 2));
    ASSERT_TRUE(SendPlayerMessage(dir.Path(), "i three"));
    EXPECT_EQ(ReadPlayerRecord(dir.Path(), 2).value, "R12.5");
    EXPECT_EQ(ReadPlayerRecord(dir.Path(), 3).value, "-");
    EXPECT_EQ(ReadMessagesSince(dir.Path(), 0)->lines, (Lines{"i one", "i two", "i three"}));
}

TEST_F(RecordFileFaults, ALinkInPlaceOfARecordFileIsAFailureAndNeverAWrite)
{
    const std::string victim = dir.Write("victim.txt", "someone else's");
    ASSERT_EQ(::unlink(dir.File("msg.spk").c_str()), 0);
    ASSERT_EQ(::symlink(victim.c_str(), dir.File("msg.spk").c_str()), 0);
    const FolderStatus sent = SendPlayerMessage(dir.Path(), "i hello");
    EXPECT_EQ(sent.error, FolderError::Failed);
    EXPECT_EQ(sent.description,
              "File/Connection problem - " + dir.File("msg.spk") + " is a symbolic link, not a record file");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(test::TempDir::Read(victim), "someone else's");
}

TEST_F(RecordFileFaults, AHeldFileIsTriedAgainSoonAndSilentlyThenGivenUpAsAnOutage)
{
    const auto start = clock.Now();
    {
        HeldUntil held(clock, start + 10s);
        ASSERT_TRUE(WritePlayerRecord(dir.Path(), "C", 1));
        // Nothing asked, and the file taken within one wait of its release.
        EXPECT_GE(clock.Since(start), 10s);
        EXPECT_LE(clock.Since(start), 10s + LockBackoff::LastStep);
        EXPECT_EQ(held.tries, static_cast<int>(clock.waits.size()) + 2); // the last try, and letting go
        // The first tries come within milliseconds, later ones no more than a
        // few hundred apart: a long hold costs tens of tries a second, not more.
        EXPECT_LE(clock.waits[0], 2ms);
        EXPECT_LE(clock.waits[0] + clock.waits[1] + clock.waits[2], 15ms);
        for (auto wait : clock.waits)
            EXPECT_LE(wait, LockBackoff::LastStep);
        EXPECT_LT(clock.waits.size(), 10s / (LockBackoff::LastStep / 2) + 10);
    }
    // Held for good (a stopped program, or two waiting for each other): given
    // up after the limit as an outage, so that the caller lets go and retries.
    const auto second = clock.Now();
    HeldUntil stuck(clock, second + 10min);
    const FolderStatus status = WritePlayerRecord(dir.Path(), "F", 1);
    EXPECT_FALSE(status);
    EXPECT_TRUE(status.outage);
    EXPECT_GE(clock.Since(second), HeldFileLimit);
    EXPECT_LE(clock.Since(second), HeldFileLimit + LockBackoff::LastStep);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RecordFileFaults, OtherFailuresComeBackAtOnceEvenAfterAHold)
{
    // Held for three seconds; then the share is gone for two tries.
    const auto start = clock.Now();
    HeldUntil held(clock, start + 3s);
    struct Gone final : ForwardingFileOps {
        explicit Gone(test::FakeClock& c) : ForwardingFileOps(CurrentFileOps()), clock(c), scope(*this) {}
        int Open(const std::string& path, int flags, unsigned mode) override
        {
            if (clock.Now() < start + 3s || failures.size() == 2) return Inner().Open(path, flags, mode);
            failures.push_back(clock.Now());
            return errno = EIO, -1;
        }
        test::FakeClock& clock;
        Clock::TimePoint start = clock.Now();
        std::vector<Clock::TimePoint> failures;
        ScopedFileOps scope;
    } gone(clock);

    // The hold was waited out; the failure after it came back at once,
    // without a wait of its own.
    EXPECT_EQ(WritePlayerRecord(dir.Path(), "F", 2).description,
              "File/Connection problem - " + dir.File("usr.spk") + ": " + ErrorDescription(EIO));
    ASSERT_EQ(gone.failures.size(), 1u);
    EXPECT_GE(gone.failures[0], start + 3s);
    EXPECT_LE(gone.failures[0], start + 3s + LockBackoff::LastStep);
    EXPECT_EQ(clock.Now(), gone.failures[0]);
    // The caller's next tries land once the share is back.
    EXPECT_FALSE(WritePlayerRecord(dir.Path(), "F", 2));
    ASSERT_TRUE(WritePlayerRecord(dir.Path(), "F", 2));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadPlayerRecord(dir.Path(), 2).value, "F");
}

} // namespace
} // namespace scrivo
