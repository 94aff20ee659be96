#include "gamefolder/HostLease.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>

#include "gamefolder/RecordFile.h"
#include "platform/Bytes.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Random.h"

namespace scrivo {

namespace {

constexpr char Magic[4] = {'S', 'P', 'K', 'L'};

template <typename T> void Put(std::string& out, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xff));
}

template <typename T> T Get(std::string_view bytes, std::size_t at)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return static_cast<T>(v);
}

bool IsHeld(int error)
{
    return error == EAGAIN || error == EACCES;
}

// Whole reads and writes of the record at the start of the file.
bool ReadBytes(int fd, std::string& out)
{
    out.assign(LeaseRecordLength, '\0');
    std::size_t got = 0;
    while (got < out.size()) {
        const long long n =
            CurrentFileOps().ReadAt(fd, out.data() + got, out.size() - got, static_cast<std::int64_t>(got));
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return true;
}

bool WriteBytes(int fd, const std::string& bytes)
{
    std::size_t put = 0;
    while (put < bytes.size()) {
        const long long n = CurrentFileOps().WriteAt(fd, bytes.data() + put, bytes.size() - put,
                                                     static_cast<std::int64_t>(put));
        if (n <= 0) return false;
        put += static_cast<std::size_t>(n);
    }
    return true;
}

bool SameFile(const FileStat& a, const FileStat& b)
{
    return a.device == b.device && a.inode == b.inode;
}

} // namespace

std::string EncodeLease(const LeaseRecord& record)
{
    std::string out(Magic, sizeof Magic);
    Put(out, record.epoch);
    Put(out, record.beat);
    Put(out, record.token);
    Put(out, static_cast<std::int16_t>(record.host));
    Put(out, record.gone);
    Put(out, Fnv1a(out));
    return out;
}

std::optional<LeaseRecord> DecodeLease(std::string_view bytes)
{
    if (bytes.size() < static_cast<std::size_t>(LeaseRecordLength) || bytes.substr(0, 4) != "SPKL")
        return std::nullopt;
    if (Get<std::uint32_t>(bytes, 32) != Fnv1a(bytes.substr(0, 32))) return std::nullopt;
    LeaseRecord r;
    r.epoch = Get<std::int64_t>(bytes, 4);
    r.beat = Get<std::int64_t>(bytes, 12);
    r.token = Get<std::uint64_t>(bytes, 20);
    r.host = Get<std::int16_t>(bytes, 28);
    r.gone = Get<std::uint16_t>(bytes, 30);
    if (r.epoch < 1 || r.host < 1 || r.host > MaxPlayers) return std::nullopt;
    return r;
}

int OpenLeaseFile(const std::string& folder, bool create)
{
    FileOps& ops = CurrentFileOps();
    const std::string path = HostFilePath(folder);
    // O_NONBLOCK: a FIFO planted at the name must not hang the open.
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    for (int tries = 0; tries < 3; ++tries) {
        int fd = ops.Open(path, flags, 0);
        if (fd >= 0) {
            FileStat st;
            if (ops.Fstat(fd, st) == 0 && st.IsRegular()) return fd;
            ops.Close(fd);
            fd = -1;
            errno = EINVAL;
        }
        const int error = errno;
        if (!create) return -1;
        FileStat st;
        if (ops.Lstat(path, st) == 0) {
            // A link, a FIFO or a device where our file belongs: the name is
            // taken back, whatever it points at stays untouched.
            if (st.IsRegular() || st.IsDirectory()) {
                errno = error;
                return -1;
            }
            if (ops.RemoveFile(path) != 0 && errno != ENOENT) return -1;
        } else if (errno != ENOENT) {
            return -1;
        }
        fd = OpenShared(ops, path, flags | O_CREAT | O_EXCL);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -1;
    }
    return -1;
}

LeaseLook LookAtLease(const std::string& folder)
{
    LeaseLook look;
    FileOps& ops = CurrentFileOps();
    const int fd = OpenLeaseFile(folder, false);
    if (fd < 0) {
        look.error = errno;
        return look;
    }
    look.opened = true;
    if (ops.SetRangeLock(fd, F_WRLCK, HostClaimOffset, 1) == 0) {
        ops.SetRangeLock(fd, F_UNLCK, HostClaimOffset, 1);
    } else {
        // A claim that cannot be tested is taken for held.
        look.claimed = true;
    }
    if (ops.SetRangeLock(fd, F_RDLCK, 0, HostClaimOffset) == 0) {
        std::string bytes;
        if (ReadBytes(fd, bytes)) look.record = DecodeLease(bytes);
        ops.SetRangeLock(fd, F_UNLCK, 0, HostClaimOffset);
    } else {
        look.busy = true;
    }
    ops.Close(fd);
    return look;
}

bool SeatClaimed(const std::string& folder, int player)
{
    FileOps& ops = CurrentFileOps();
    const int fd = OpenLeaseFile(folder, false);
    if (fd < 0) return errno != ENOENT;
    bool claimed = true;
    if (ops.SetRangeLock(fd, F_WRLCK, SeatClaimOffset(player), 1) == 0) {
        ops.SetRangeLock(fd, F_UNLCK, SeatClaimOffset(player), 1);
        claimed = false;
    }
    ops.Close(fd);
    return claimed;
}

SeatClaim::~SeatClaim()
{
    Release();
}

bool SeatClaim::Take(const std::string& folder, int player)
{
    Release();
    FileOps& ops = CurrentFileOps();
    const int fd = OpenLeaseFile(folder, true);
    if (fd < 0) return false;
    if (ops.SetRangeLock(fd, F_WRLCK, SeatClaimOffset(player), 1) != 0) {
        ops.Close(fd);
        return false;
    }
    m_fd = fd;
    m_folder = folder;
    m_player = player;
    return true;
}

bool SeatClaim::Confirm()
{
    if (m_fd < 0) return false;
    FileOps& ops = CurrentFileOps();
    FileStat mine, named;
    if (ops.Fstat(m_fd, mine) == 0 && ops.Lstat(HostFilePath(m_folder), named) == 0 && named.IsRegular() &&
        SameFile(mine, named))
        return true;
    const int fd = OpenLeaseFile(m_folder, true);
    if (fd < 0) return true; // out of reach for now: looked at again later
    if (ops.SetRangeLock(fd, F_WRLCK, SeatClaimOffset(m_player), 1) != 0) {
        const bool held = IsHeld(errno);
        ops.Close(fd);
        return !held;
    }
    ops.Close(m_fd);
    m_fd = fd;
    return true;
}

void SeatClaim::Release()
{
    if (m_fd < 0) return;
    CurrentFileOps().Close(m_fd); // the claim goes with the descriptor
    m_fd = -1;
}

HostLease::~HostLease()
{
    Release();
}

HostLease::Outcome HostLease::Fail()
{
    m_error = errno != 0 ? errno : EIO;
    return Outcome::Failed;
}

bool HostLease::LockRecord(int fd)
{
    FileOps& ops = CurrentFileOps();
    // Readers hold it for one read: a short wait finds it free.
    for (int tries = 0; tries < 200; ++tries) {
        if (ops.SetRangeLock(fd, F_WRLCK, 0, HostClaimOffset) == 0) return true;
        if (!IsHeld(errno)) return false;
        ProgramClock().SleepFor(std::chrono::milliseconds(1));
    }
    return false;
}

bool HostLease::ReadRecord(int fd, std::optional<LeaseRecord>& out)
{
    std::string bytes;
    if (!ReadBytes(fd, bytes)) return false;
    out = DecodeLease(bytes);
    return true;
}

bool HostLease::WriteRecord(int fd, const LeaseRecord& record)
{
    return WriteBytes(fd, EncodeLease(record));
}

bool HostLease::IsLater(const std::optional<LeaseRecord>& other) const
{
    return other && other->token != m_record.token && other->epoch >= m_record.epoch;
}

HostLease::Outcome HostLease::Take(const std::string& folder, int player)
{
    Release();
    FileOps& ops = CurrentFileOps();
    const int fd = OpenLeaseFile(folder, true);
    if (fd < 0) return Fail();
    if (ops.SetRangeLock(fd, F_WRLCK, HostClaimOffset, 1) != 0) {
        const bool held = IsHeld(errno);
        const Outcome out = held ? Outcome::Held : Fail();
        ops.Close(fd);
        return out;
    }
    std::optional<LeaseRecord> last;
    if (!LockRecord(fd) || !ReadRecord(fd, last)) {
        const Outcome out = Fail();
        ops.Close(fd);
        return out;
    }
    LeaseRecord mine;
    mine.epoch = last ? last->epoch + 1 : 1;
    mine.beat = 0;
    mine.token = EntropySeed() | 1;
    mine.host = player;
    // The claim was free: a host of another seat is no longer there.
    if (last) mine.gone = last->gone | (last->host != player ? 1u << last->host : 0u);
    mine.gone &= static_cast<std::uint16_t>(~(1u << player));
    if (!WriteRecord(fd, mine)) {
        const Outcome out = Fail();
        ops.Close(fd);
        return out;
    }
    ops.SetRangeLock(fd, F_UNLCK, 0, HostClaimOffset);
    m_fd = fd;
    m_folder = folder;
    m_record = mine;
    return Outcome::Ok;
}

// The name may have been given to another file (or a link, or a FIFO): the
// claim on the old one tells nobody anything. The new one is claimed as well
// unless it shows a later host.
HostLease::Outcome HostLease::Repair()
{
    FileOps& ops = CurrentFileOps();
    FileStat mine, named;
    // A descriptor the share no longer knows (mounted again, a stale
    // handle) claims nothing either: the file at the name is claimed anew.
    const bool known = ops.Fstat(m_fd, mine) == 0;
    if (known && ops.Lstat(HostFilePath(m_folder), named) == 0 && named.IsRegular() && SameFile(mine, named))
        return Outcome::Ok;
    const int fd = OpenLeaseFile(m_folder, true);
    if (fd < 0) return Fail();
    const bool claimed = ops.SetRangeLock(fd, F_WRLCK, HostClaimOffset, 1) == 0;
    std::optional<LeaseRecord> there;
    if (!LockRecord(fd) || !ReadRecord(fd, there)) {
        const Outcome out = Fail();
        ops.Close(fd);
        return out;
    }
    if (IsLater(there)) {
        ops.Close(fd);
        return Outcome::Deposed;
    }
    if (!claimed) {
        // Somebody else holds the new file's claim without a later record:
        // not a host; the old claim stays ours and the next beat looks again.
        ops.Close(fd);
        return Outcome::Ok;
    }
    if (!WriteRecord(fd, m_record)) {
        const Outcome out = Fail();
        ops.Close(fd);
        return out;
    }
    ops.SetRangeLock(fd, F_UNLCK, 0, HostClaimOffset);
    ops.Close(m_fd);
    m_fd = fd;
    return Outcome::Ok;
}

HostLease::Outcome HostLease::Confirm(bool beat)
{
    if (m_fd < 0) return Outcome::Deposed;
    if (beat) {
        if (m_recordLocked) Unlock();
        if (const Outcome out = Repair(); out != Outcome::Ok) return out;
    }
    if (!m_recordLocked) {
        if (!LockRecord(m_fd)) return Fail();
        m_recordLocked = true;
    }
    std::optional<LeaseRecord> there;
    if (!ReadRecord(m_fd, there)) {
        const Outcome out = Fail();
        Unlock();
        return out;
    }
    if (IsLater(there)) {
        Unlock();
        return Outcome::Deposed;
    }
    if (beat || there != m_record) {
        if (beat) ++m_record.beat;
        if (!WriteRecord(m_fd, m_record)) {
            const Outcome out = Fail();
            Unlock();
            return out;
        }
    }
    return Outcome::Ok;
}

void HostLease::Unlock()
{
    if (!m_recordLocked) return;
    m_recordLocked = false;
    if (m_fd >= 0) CurrentFileOps().SetRangeLock(m_fd, F_UNLCK, 0, HostClaimOffset);
}

void HostLease::Release()
{
    Unlock();
    if (m_fd < 0) return;
    CurrentFileOps().Close(m_fd);
    m_fd = -1;
}

} // namespace scrivo
