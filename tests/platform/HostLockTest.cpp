#include "platform/HostLock.h"

#include <gtest/gtest.h>

#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

// The lock tells a live host from a vanished one, and testing it leaves the
// holder's lock in place.
TEST(HostLockTest, ProbeSeesTheHolderAndLeavesItsLockAlone)
{
    test::TempDir dir;
    const std::string path = dir.File("hst.spk");
    EXPECT_EQ(ProbeHostLock(path), HostPresence::Unknown); // a game without the file

    HostLock lock;
    ASSERT_TRUE(lock.Acquire(path));
    EXPECT_EQ(ProbeHostLock(path), HostPresence::Present);
    EXPECT_EQ(ProbeHostLock(path), HostPresence::Present); // the probe took nothing away

    HostLock second;
    EXPECT_FALSE(second.Acquire(path)); // one host per game

    lock.Release();
    EXPECT_EQ(ProbeHostLock(path), HostPresence::Gone);
    {
        HostLock again;
        ASSERT_TRUE(again.Acquire(path));
    }
    EXPECT_EQ(ProbeHostLock(path), HostPresence::Gone); // dropped when the holder ends
}

} // namespace
} // namespace scrivo
