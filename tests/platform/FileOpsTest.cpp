// The file layer under the record files: what it refuses to open, how a
// write cut short is undone, and what the counting and delaying layers see.
#include "platform/FileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/LockedFile.h"
#include "testsupport/FaultFileOps.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using test::FaultFileOps;
using test::FileCall;

// Something planted where a record file should be.
struct Planted {
    const char* name;
    std::function<void(const test::TempDir&, const std::string& path)> plant;
    const char* says;
};

void PrintTo(const Planted& p, std::ostream* os)
{
    *os << p.name;
}

class RefusedFile : public ::testing::TestWithParam<Planted> {};

TEST_P(RefusedFile, IsAFailureThatSaysWhyAndWritesNothing)
{
    test::TempDir dir;
    // Another user's file, which a link would have us overwrite from offset 0.
    const std::string victim = dir.Write("victim.txt", "private");
    const std::string path = dir.File("msg.spk");
    GetParam().plant(dir, path);

    LockedFile f;
    EXPECT_EQ(f.TryOpen(path), LockedFile::OpenStatus::Failed);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_NE(f.ErrorText().find(GetParam().says), std::string::npos) << f.ErrorText();
    EXPECT_EQ(test::TempDir::Read(victim), "private");
    EXPECT_FALSE(f.WriteAt(0, "x", 1));
    EXPECT_NE(::access(dir.File("absent").c_str(), F_OK), 0); // a dangling link's target is not made
}

void Link(const test::TempDir& d, const std::string& p, const char* to)
{
    ASSERT_EQ(::symlink(d.File(to).c_str(), p.c_str()), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(FileLayer, RefusedFile, ::testing::Values(
    Planted{"LinkToAnotherFile", [](const auto& d, const auto& p) { Link(d, p, "victim.txt"); },
            "symbolic link"},
    Planted{"LinkToNothing", [](const auto& d, const auto& p) { Link(d, p, "absent"); }, "symbolic link"},
    Planted{"Fifo", [](const auto&, const auto& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0666), 0); },
            "not a regular file"},
    Planted{"Folder", [](const auto&, const auto& p) { ASSERT_EQ(::mkdir(p.c_str(), 0777), 0); }, ""}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(FileLayer, OnlyARealDirectoryIsOne)
{
    test::TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0777), 0);
    ASSERT_EQ(::symlink(dir.File("real").c_str(), dir.File("link").c_str()), 0);
    dir.Write("file", "");
    // A trailing separator must not follow a link.
    for (const char* real : {"real", "real/"})
        EXPECT_TRUE(IsRealDirectory(dir.File(real))) << real;
    for (const char* other : {"link", "link/", "file", "missing"})
        EXPECT_FALSE(IsRealDirectory(dir.File(other))) << other;
    EXPECT_FALSE(IsRealDirectory(""));
}

// Three records of ten bytes; each case writes record 2 (or appends a fourth)
// while the file layer fails part way.
struct CutShort {
    const char* name;
    std::int64_t offset;
    bool readFirst; // as a read-modify-write does
    std::function<void(FaultFileOps&)> arrange;
    int error;
};

void PrintTo(const CutShort& c, std::ostream* os)
{
    *os << c.name;
}

class WriteCutShort : public ::testing::TestWithParam<CutShort> {};

TEST_P(WriteCutShort, LeavesTheOldBytesAndReportsTheFirstError)
{
    test::TempDir dir;
    const std::string before = "aaaaaaaaaabbbbbbbbbbcccccccccc";
    const std::string path = dir.Write("usr.spk", before);
    FaultFileOps faults;
    LockedFile f;
    ASSERT_EQ(f.TryOpen(path), LockedFile::OpenStatus::Ok);
    char record[10];
    if (GetParam().readFirst) {
        ASSERT_GE(f.ReadAt(GetParam().offset, record, 10), 0);
    }
    GetParam().arrange(faults);

    EXPECT_FALSE(f.WriteAt(GetParam().offset, "NNNNNNNNNN", 10));
    EXPECT_EQ(f.Error(), GetParam().error);
    EXPECT_EQ(test::TempDir::Read(path), before);
    EXPECT_EQ(f.Size(), 30);
    // The file stays usable once the fault has passed.
    faults.Clear();
    EXPECT_TRUE(f.WriteAt(10, "BBBBBBBBBB", 10));
    f.Close();
    EXPECT_EQ(test::TempDir::Read(path), "aaaaaaaaaaBBBBBBBBBBcccccccccc");
}

// A short write of n bytes, then the device fails.
std::function<void(FaultFileOps&)> ShortThenEIO(int n)
{
    return [n](FaultFileOps& f) {
        f.ShortWrite(1, n);
        f.Fail(FileCall::Write, 2, EIO);
    };
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(FileLayer, WriteCutShort, ::testing::Values(
    CutShort{"FailsBeforeAnyByte", 10, true, [](FaultFileOps& f) { f.Fail(FileCall::Write, 1, EIO); }, EIO},
    CutShort{"ShortThenFails", 10, true, ShortThenEIO(4), EIO},
    CutShort{"ShortStraddlingTheEnd", 25, true, ShortThenEIO(7), EIO},
    CutShort{"OverwriteWithoutARead", 5, false, ShortThenEIO(9), EIO},
    CutShort{"AppendOnAFullDisk", 30, false, [](FaultFileOps& f) { f.LimitWrites(6); }, ENOSPC},
    CutShort{"ShortAppendThenFails", 30, false, ShortThenEIO(3), EIO},
    // Without the old bytes nothing could be put back, so nothing is written.
    CutShort{"OldBytesUnreadable", 12, false, [](FaultFileOps& f) { f.Fail(FileCall::Read, 1, EIO); }, EIO}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(FileLayer, LockAndStatFailuresCloseTheFileAndSayWhy)
{
    test::TempDir dir;
    const std::string path = dir.File("gam.spk");
    ASSERT_EQ(LockedFile().TryOpen(path), LockedFile::OpenStatus::Ok);
    for (FileCall call : {FileCall::Open, FileCall::Lock, FileCall::Stat}) {
        FaultFileOps faults;
        faults.Fail(call, 1, EIO);
        LockedFile f;
        EXPECT_EQ(f.TryOpen(path), LockedFile::OpenStatus::Failed);
        EXPECT_EQ(f.ErrorText(), ErrorDescription(EIO));
        const int opened = faults.Calls(FileCall::Open) - (call == FileCall::Open ? 1 : 0);
        EXPECT_EQ(faults.Calls(FileCall::Close), opened); // no descriptor left behind
    }
    FaultFileOps held;
    held.Fail(FileCall::Lock, 1, EAGAIN);
    LockedFile f;
    EXPECT_EQ(f.TryOpen(path), LockedFile::OpenStatus::Held);
    EXPECT_EQ(held.Calls(FileCall::Close), 1);
}

TEST(FileLayer, CountsAndDelaysSeeEveryCallOfALockedSequence)
{
    test::TempDir dir;
    const std::string path = dir.Write("usr.spk", std::string(160, 'x'));
    PosixFileOps posix;
    CountingFileOps counting(posix);
    long long waited = 0;
    DelayFileOps delayed(counting, std::chrono::microseconds(700), false,
                         [&](std::chrono::microseconds d) { waited += d.count(); });
    ScopedFileOps scope(delayed);
    {
        LockedFile f; // one read-modify-write of a record, then an append
        ASSERT_EQ(f.TryOpen(path), LockedFile::OpenStatus::Ok);
        char record[80];
        ASSERT_EQ(f.ReadAt(80, record, 80), 80);
        ASSERT_TRUE(f.WriteAt(80, record, 80));
        ASSERT_TRUE(f.WriteAt(f.Size(), record, 80));
    }
    const FileOpCounts want{1, 2, 1, 2, 1, 1}; // the lock taken and let go; one stat under it
    EXPECT_EQ(counting.Counts(), want) << ToString(counting.Counts());
    EXPECT_EQ(delayed.DelayedCalls(), want.RoundTrips());
    EXPECT_EQ(waited, 700 * want.RoundTrips());

    DelayFileOps everything(counting, std::chrono::microseconds(1), true, [](auto) {});
    ScopedFileOps inner(everything);
    counting.Reset();
    FileStat st;
    ASSERT_EQ(CurrentFileOps().Stat(path, st), 0);
    EXPECT_EQ(st.size, 240);
    EXPECT_EQ(everything.DelayedCalls(), 1);
    EXPECT_EQ(counting.Counts().stats, 1);
}

} // namespace
} // namespace scrivo
