#include "platform/LockedFile.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

TEST(LockedFile, CreatesReadsAndWritesAtOffsets)
{
    test::TempDir dir;
    LockedFile f;
    ASSERT_EQ(f.TryOpen(dir.File("a.spk")), LockedFile::OpenStatus::Ok);
    EXPECT_EQ(f.Size(), 0);
    ASSERT_TRUE(f.WriteAt(100, "xyz", 3));
    EXPECT_EQ(f.Size(), 103);
    char buf[8] = {};
    EXPECT_EQ(f.ReadAt(101, buf, 8), 2); // short at the end of the file
    EXPECT_EQ(std::string(buf, 2), "yz");
}

TEST(LockedFile, AnotherProcessSeesTheFileHeldUntilItIsClosed)
{
    test::TempDir dir;
    const std::string path = dir.File("b.spk");
    LockedFile f;
    ASSERT_EQ(f.TryOpen(path), LockedFile::OpenStatus::Ok);

    auto childStatus = [&] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            LockedFile g;
            ::_exit(static_cast<int>(g.TryOpen(path)));
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return static_cast<LockedFile::OpenStatus>(WEXITSTATUS(status));
    };
    EXPECT_EQ(childStatus(), LockedFile::OpenStatus::Held);
    f.Close();
    EXPECT_EQ(childStatus(), LockedFile::OpenStatus::Ok);
}

// A table keeps the attributes taken at the open to tell later, from a stat
// alone, whether anyone wrote since; they must survive the file being handed
// on by a move.
TEST(LockedFile, TheAttributesAtTheOpenGoWithTheFileWhenMoved)
{
    test::TempDir dir;
    const std::string path = dir.File("c.spk");
    {
        LockedFile f;
        ASSERT_EQ(f.TryOpen(path), LockedFile::OpenStatus::Ok);
        ASSERT_TRUE(f.WriteAt(0, "abcd", 4));
    }
    LockedFile f;
    ASSERT_EQ(f.TryOpen(path), LockedFile::OpenStatus::Ok);
    const FileStat opened = f.OpenedStat();
    ASSERT_NE(opened.modifiedNs, 0);
    ASSERT_EQ(opened.size, 4);

    LockedFile constructed(std::move(f));
    EXPECT_EQ(constructed.OpenedStat().modifiedNs, opened.modifiedNs);
    EXPECT_EQ(constructed.OpenedStat().size, opened.size);
    EXPECT_EQ(constructed.OpenedStat().inode, opened.inode);
    LockedFile assigned;
    assigned = std::move(constructed);
    EXPECT_EQ(assigned.OpenedStat().modifiedNs, opened.modifiedNs);
    EXPECT_EQ(assigned.OpenedStat().inode, opened.inode);
}

TEST(LockedFile, MissingFolderIsAFailureWithItsReason)
{
    LockedFile f;
    EXPECT_EQ(f.TryOpen("/nonexistent-folder/x.spk"), LockedFile::OpenStatus::Failed);
    EXPECT_FALSE(f.ErrorText().empty());
    EXPECT_FALSE(f.IsOpen());
}

} // namespace
} // namespace scrivo
