#include "platform/FileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace scrivo {

namespace {

void Fill(const struct stat& st, FileStat& out)
{
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.mode = st.st_mode;
    out.size = st.st_size;
    out.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

PosixFileOps g_posix;
std::atomic<FileOps*> g_current{&g_posix};

} // namespace

bool FileStat::IsRegular() const
{
    return S_ISREG(mode);
}
bool FileStat::IsDirectory() const
{
    return S_ISDIR(mode);
}
bool FileStat::IsSymlink() const
{
    return S_ISLNK(mode);
}

int PosixFileOps::Open(const std::string& path, int flags, unsigned mode)
{
    int fd;
    do
        fd = ::open(path.c_str(), flags, static_cast<mode_t>(mode));
    while (fd < 0 && errno == EINTR);
    return fd;
}

int PosixFileOps::SetLock(int fd, short type)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // the whole file, however long it grows
    return ::fcntl(fd, F_OFD_SETLK, &fl);
}

long long PosixFileOps::ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset)
{
    return ::pread(fd, buffer, size, offset);
}

long long PosixFileOps::WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    return ::pwrite(fd, data, size, offset);
}

int PosixFileOps::Truncate(int fd, std::int64_t size)
{
    return ::ftruncate(fd, size);
}

namespace {
// statx forced past any attribute cache, or plain stat where statx is missing.
int FreshStat(int dirFd, const char* path, int flags, FileStat& out)
{
    struct statx sx {};
    if (::statx(dirFd, path, flags | AT_STATX_FORCE_SYNC, STATX_BASIC_STATS, &sx) == 0) {
        out.device = (static_cast<std::uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
        out.inode = sx.stx_ino;
        out.mode = sx.stx_mode;
        out.size = static_cast<std::int64_t>(sx.stx_size);
        out.modifiedNs =
            static_cast<std::int64_t>(sx.stx_mtime.tv_sec) * 1'000'000'000 + sx.stx_mtime.tv_nsec;
        return 0;
    }
    if (errno != ENOSYS) return -1;
    struct stat st {};
    if ((flags & AT_EMPTY_PATH) ? ::fstat(dirFd, &st) : ::stat(path, &st)) return -1;
    Fill(st, out);
    return 0;
}
} // namespace

int PosixFileOps::Fstat(int fd, FileStat& out)
{
    // A network file system may answer fstat from attributes cached before
    // another machine appended; under a lock the size must be the server's.
    return FreshStat(fd, "", AT_EMPTY_PATH, out);
}

int PosixFileOps::Stat(const std::string& path, FileStat& out)
{
    // Asked by a table to see whether another machine added anything: a
    // cached answer would show it late.
    return FreshStat(AT_FDCWD, path.c_str(), 0, out);
}

int PosixFileOps::Lstat(const std::string& path, FileStat& out)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return -1;
    Fill(st, out);
    return 0;
}

int PosixFileOps::Close(int fd)
{
    return ::close(fd);
}

int ForwardingFileOps::Open(const std::string& path, int flags, unsigned mode)
{
    return m_inner.Open(path, flags, mode);
}
int ForwardingFileOps::SetLock(int fd, short type)
{
    return m_inner.SetLock(fd, type);
}
long long ForwardingFileOps::ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset)
{
    return m_inner.ReadAt(fd, buffer, size, offset);
}
long long ForwardingFileOps::WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    return m_inner.WriteAt(fd, data, size, offset);
}
int ForwardingFileOps::Truncate(int fd, std::int64_t size)
{
    return m_inner.Truncate(fd, size);
}
int ForwardingFileOps::Fstat(int fd, FileStat& out)
{
    return m_inner.Fstat(fd, out);
}
int ForwardingFileOps::Stat(const std::string& path, FileStat& out)
{
    return m_inner.Stat(path, out);
}
int ForwardingFileOps::Lstat(const std::string& path, FileStat& out)
{
    return m_inner.Lstat(path, out);
}
int ForwardingFileOps::Close(int fd)
{
    return m_inner.Close(fd);
}

FileOpCounts FileOpCounts::operator-(const FileOpCounts& e) const
{
    return {opens - e.opens,   locks - e.locks, reads - e.reads,
            writes - e.writes, stats - e.stats, closes - e.closes};
}

std::string ToString(const FileOpCounts& c)
{
    return "opens=" + std::to_string(c.opens) + " locks=" + std::to_string(c.locks) +
           " reads=" + std::to_string(c.reads) + " writes=" + std::to_string(c.writes) +
           " stats=" + std::to_string(c.stats) + " closes=" + std::to_string(c.closes);
}

int CountingFileOps::Open(const std::string& path, int flags, unsigned mode)
{
    ++m_opens;
    return Inner().Open(path, flags, mode);
}
int CountingFileOps::SetLock(int fd, short type)
{
    ++m_locks;
    return Inner().SetLock(fd, type);
}
long long CountingFileOps::ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset)
{
    ++m_reads;
    return Inner().ReadAt(fd, buffer, size, offset);
}
long long CountingFileOps::WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    ++m_writes;
    return Inner().WriteAt(fd, data, size, offset);
}
int CountingFileOps::Truncate(int fd, std::int64_t size)
{
    ++m_writes;
    return Inner().Truncate(fd, size);
}
int CountingFileOps::Fstat(int fd, FileStat& out)
{
    ++m_stats;
    return Inner().Fstat(fd, out);
}
int CountingFileOps::Stat(const std::string& path, FileStat& out)
{
    ++m_stats;
    return Inner().Stat(path, out);
}
int CountingFileOps::Lstat(const std::string& path, FileStat& out)
{
    ++m_stats;
    return Inner().Lstat(path, out);
}
int CountingFileOps::Close(int fd)
{
    ++m_closes;
    return Inner().Close(fd);
}

FileOpCounts CountingFileOps::Counts() const
{
    return {m_opens.load(), m_locks.load(), m_reads.load(), m_writes.load(), m_stats.load(), m_closes.load()};
}

void CountingFileOps::Reset()
{
    m_opens = m_locks = m_reads = m_writes = m_stats = m_closes = 0;
}

DelayFileOps::DelayFileOps(FileOps& inner, std::chrono::microseconds delay, bool everyCall, Waiter wait)
    : ForwardingFileOps(inner), m_delay(delay), m_everyCall(everyCall), m_wait(std::move(wait))
{
}

void DelayFileOps::Wait(bool always)
{
    if (!always && !m_everyCall) return;
    ++m_delayed;
    if (m_wait)
        m_wait(m_delay);
    else
        std::this_thread::sleep_for(m_delay);
}

int DelayFileOps::Open(const std::string& path, int flags, unsigned mode)
{
    Wait(true);
    return Inner().Open(path, flags, mode);
}
int DelayFileOps::SetLock(int fd, short type)
{
    Wait(true);
    return Inner().SetLock(fd, type);
}
long long DelayFileOps::ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset)
{
    Wait(false);
    return Inner().ReadAt(fd, buffer, size, offset);
}
long long DelayFileOps::WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    Wait(false);
    return Inner().WriteAt(fd, data, size, offset);
}
int DelayFileOps::Truncate(int fd, std::int64_t size)
{
    Wait(false);
    return Inner().Truncate(fd, size);
}
int DelayFileOps::Fstat(int fd, FileStat& out)
{
    Wait(false);
    return Inner().Fstat(fd, out);
}
int DelayFileOps::Stat(const std::string& path, FileStat& out)
{
    Wait(false);
    return Inner().Stat(path, out);
}
int DelayFileOps::Lstat(const std::string& path, FileStat& out)
{
    Wait(false);
    return Inner().Lstat(path, out);
}

FileOps& CurrentFileOps()
{
    return *g_current.load();
}

ScopedFileOps::ScopedFileOps(FileOps& ops) : m_previous(g_current.exchange(&ops)) {}

ScopedFileOps::~ScopedFileOps()
{
    g_current.store(m_previous);
}

bool IsRealDirectory(const std::string& path)
{
    // "link/" would name what the link points at: drop trailing separators.
    std::string name = path;
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    FileStat st;
    return !name.empty() && CurrentFileOps().Lstat(name, st) == 0 && st.IsDirectory();
}

} // namespace scrivo
