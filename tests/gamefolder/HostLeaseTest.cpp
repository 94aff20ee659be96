// The host's lease: its record kept whole or not believed, one host at a
// time with ever higher epochs, and a name swapped for a link or a FIFO taken
// back without touching what the link points at.
#include "gamefolder/HostLease.h"

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

TEST(HostLease, ARecordIsBelievedOnlyWholeAndOurs)
{
    const LeaseRecord sound{7, 42, 0x1234567890abcdefULL, 3, 0b10};
    const std::string bytes = EncodeLease(sound);
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(LeaseRecordLength));
    EXPECT_EQ(DecodeLease(bytes), sound);
    const auto changed = [&](std::size_t at) {
        std::string b = bytes;
        b[at] = static_cast<char>(b[at] ^ 0x01);
        return b;
    };
    const struct {
        const char* what;
        std::string bytes;
    } bad[] = {
        {"empty", ""},
        {"cut short", bytes.substr(0, bytes.size() - 1)},
        {"another magic", changed(0)},
        {"epoch changed", changed(4)},
        {"beat changed", changed(12)},
        {"host changed", changed(28)},
        {"checksum changed", changed(bytes.size() - 1)},
        {"host 0, checksum right", EncodeLease({7, 42, 1, 0, 0})},
        {"epoch 0, checksum right", EncodeLease({0, 42, 1, 3, 0})},
        {"a text file", std::string(LeaseRecordLength, 'x')},
    };
    for (const auto& c : bad)
        EXPECT_EQ(DecodeLease(c.bytes), std::nullopt) << c.what;
}

TEST(HostLease, OneHostAtATimeEachWithAHigherEpoch)
{
    test::TempDir dir;
    // Whatever stood in the file before is no lease: the first host is epoch 1.
    dir.Write(HostFileName, "not a lease at all, just some text of someone else's");
    HostLease first;
    ASSERT_EQ(first.Take(dir.Path(), 1), HostLease::Outcome::Ok);
    EXPECT_EQ(first.Record().epoch, 1);
    EXPECT_EQ(first.Confirm(true), HostLease::Outcome::Ok);
    first.Unlock();
    LeaseLook look = LookAtLease(dir.Path());
    EXPECT_TRUE(look.opened && look.claimed && !look.busy);
    EXPECT_EQ(look.record, first.Record());
    EXPECT_EQ(look.record->beat, 1);

    HostLease second;
    EXPECT_EQ(second.Take(dir.Path(), 3), HostLease::Outcome::Held);
    // The first host's process ends: its claim goes, its record stays.
    const LeaseRecord before = first.Record();
    first.Release();
    look = LookAtLease(dir.Path());
    EXPECT_FALSE(look.claimed);
    EXPECT_EQ(look.record, before);
    ASSERT_EQ(second.Take(dir.Path(), 3), HostLease::Outcome::Ok);
    EXPECT_EQ(second.Record().epoch, 2);
    EXPECT_EQ(second.Record().gone, 1u << 1); // seat 1's host is gone
    EXPECT_EQ(second.Confirm(false), HostLease::Outcome::Ok);
    second.Unlock();

    // A host that was paused meanwhile finds a later one at its next check.
    HostLease paused;
    ASSERT_EQ(paused.Take(dir.Path(), 4), HostLease::Outcome::Held);
    second.Release();
    ASSERT_EQ(paused.Take(dir.Path(), 4), HostLease::Outcome::Ok);
    EXPECT_EQ(paused.Record().epoch, 3);
    EXPECT_EQ(paused.Record().gone, (1u << 1) | (1u << 3));
    {
        const int fd = OpenLeaseFile(dir.Path(), false);
        ASSERT_GE(fd, 0);
        LeaseRecord later = paused.Record();
        later.epoch = 4;
        later.token ^= 1;
        const std::string bytes = EncodeLease(later);
        ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
    }
    EXPECT_EQ(paused.Confirm(false), HostLease::Outcome::Deposed);
}

TEST(HostLease, ANameSwappedForALinkOrAFifoIsTakenBackAndTheTargetLeftAlone)
{
    const struct {
        const char* what;
        std::function<void(const std::string& at, const std::string& target)> make;
    } swaps[] = {
        {"a link", [](const std::string& at,
                      const std::string& target) { std::filesystem::create_symlink(target, at); }},
        {"a dangling link",
         [](const std::string& at, const std::string& target) {
             std::filesystem::create_symlink(target + ".none", at);
         }},
        {"a FIFO",
         [](const std::string& at, const std::string&) { ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0); }},
    };
    for (const auto& swap : swaps) {
        for (const bool whileHeld : {false, true}) {
            SCOPED_TRACE(std::string(swap.what) + (whileHeld ? ", while a host holds the lease" : ""));
            test::TempDir dir, outside;
            const std::string target = outside.Write("precious", "keep me");
            const std::string name = JoinPath(dir.Path(), HostFileName);
            HostLease host;
            if (whileHeld) {
                ASSERT_EQ(host.Take(dir.Path(), 1), HostLease::Outcome::Ok);
                std::filesystem::remove(name);
            }
            swap.make(name, target);
            EXPECT_LT(OpenLeaseFile(dir.Path(), false), 0); // never opened through it
            EXPECT_FALSE(LookAtLease(dir.Path()).opened);
            if (whileHeld) {
                EXPECT_EQ(host.Confirm(true), HostLease::Outcome::Ok);
                host.Unlock();
            } else {
                ASSERT_EQ(host.Take(dir.Path(), 1), HostLease::Outcome::Ok);
            }
            EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(name)));
            EXPECT_EQ(LookAtLease(dir.Path()).record, host.Record());
            EXPECT_EQ(test::TempDir::Read(target), "keep me");
            EXPECT_EQ(std::filesystem::directory_iterator(outside.Path())->path().filename(), "precious");
        }
    }
}

} // namespace
} // namespace scrivo
