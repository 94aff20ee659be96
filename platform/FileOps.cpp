#include "platform/FileOps.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/Services.h"

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

int PosixFileOps::SetRangeLock(int fd, short type, std::int64_t start, std::int64_t length)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(start);
    fl.l_len = static_cast<off_t>(length);
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

std::int64_t PosixFileOps::NextData(int fd, std::int64_t offset)
{
    const off_t at = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
    if (at < 0 && errno == EINVAL) return offset; // no hole support here
    return at;
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

int PosixFileOps::Access(const std::string& path, int how)
{
    return ::access(path.c_str(), how);
}

int PosixFileOps::Sync(int fd)
{
    return ::fsync(fd);
}

int PosixFileOps::SetMode(int fd, unsigned mode)
{
    return ::fchmod(fd, static_cast<mode_t>(mode));
}

int PosixFileOps::Close(int fd)
{
    return ::close(fd);
}

int PosixFileOps::ListFolder(const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir) return -1;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    // readdir gives null at the end and on an error; only errno tells them apart.
    return errno == 0 ? 0 : -1;
}

int PosixFileOps::MakeFolder(const std::string& path, unsigned mode)
{
    return ::mkdir(path.c_str(), static_cast<mode_t>(mode));
}

int PosixFileOps::RemoveFolder(const std::string& path)
{
    return ::rmdir(path.c_str());
}

int PosixFileOps::RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str());
}

int PosixFileOps::Rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str());
}

int PosixFileOps::RealPath(const std::string& path, std::string& out)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return -1;
    out = real;
    std::free(real);
    return 0;
}

int ForwardingFileOps::Open(const std::string& path, int flags, unsigned mode)
{
    return m_inner.Open(path, flags, mode);
}
int ForwardingFileOps::SetLock(int fd, short type)
{
    return m_inner.SetLock(fd, type);
}

int ForwardingFileOps::SetRangeLock(int fd, short type, std::int64_t start, std::int64_t length)
{
    return m_inner.SetRangeLock(fd, type, start, length);
}
long long ForwardingFileOps::ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset)
{
    return m_inner.ReadAt(fd, buffer, size, offset);
}
long long ForwardingFileOps::WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    return m_inner.WriteAt(fd, data, size, offset);
}
std::int64_t ForwardingFileOps::NextData(int fd, std::int64_t offset)
{
    return m_inner.NextData(fd, offset);
}
int ForwardingFileOps::Truncate(int fd, std::int64_t size)
{
    return m_inner.Truncate(fd, size);
}
int ForwardingFileOps::Sync(int fd)
{
    return m_inner.Sync(fd);
}
int ForwardingFileOps::SetMode(int fd, unsigned mode)
{
    return m_inner.SetMode(fd, mode);
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
int ForwardingFileOps::Access(const std::string& path, int how)
{
    return m_inner.Access(path, how);
}
int ForwardingFileOps::Close(int fd)
{
    return m_inner.Close(fd);
}
int ForwardingFileOps::ListFolder(const std::string& path, std::vector<std::string>& names)
{
    return m_inner.ListFolder(path, names);
}
int ForwardingFileOps::MakeFolder(const std::string& path, unsigned mode)
{
    return m_inner.MakeFolder(path, mode);
}
int ForwardingFileOps::RemoveFolder(const std::string& path)
{
    return m_inner.RemoveFolder(path);
}
int ForwardingFileOps::RemoveFile(const std::string& path)
{
    return m_inner.RemoveFile(path);
}
int ForwardingFileOps::Rename(const std::string& from, const std::string& to)
{
    return m_inner.Rename(from, to);
}
int ForwardingFileOps::RealPath(const std::string& path, std::string& out)
{
    return m_inner.RealPath(path, out);
}

HookedFileOps::HookedFileOps(FileOps& inner, Hook hook) : ForwardingFileOps(inner), m_hook(std::move(hook)) {}

namespace {
// The hook's errno as the call's failure, or the inner call.
template <typename Call> auto Pass(const HookedFileOps::Hook& hook, FileCall call, Call inner)
{
    if (const int error = hook(call)) {
        errno = error;
        return static_cast<decltype(inner())>(-1);
    }
    return inner();
}
} // namespace

int HookedFileOps::Open(const std::string& path, int flags, unsigned mode)
{
    return Pass(m_hook, FileCall::Open, [&] { return Inner().Open(path, flags, mode); });
}
int HookedFileOps::SetLock(int fd, short type)
{
    return Pass(m_hook, FileCall::Lock, [&] { return Inner().SetLock(fd, type); });
}

int HookedFileOps::SetRangeLock(int fd, short type, std::int64_t start, std::int64_t length)
{
    return Pass(m_hook, FileCall::Lock, [&] { return Inner().SetRangeLock(fd, type, start, length); });
}
long long HookedFileOps::ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset)
{
    return Pass(m_hook, FileCall::Read, [&] { return Inner().ReadAt(fd, buffer, size, offset); });
}
long long HookedFileOps::WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    return Pass(m_hook, FileCall::Write, [&] { return Inner().WriteAt(fd, data, size, offset); });
}
std::int64_t HookedFileOps::NextData(int fd, std::int64_t offset)
{
    return Pass(m_hook, FileCall::Read, [&] { return Inner().NextData(fd, offset); });
}
int HookedFileOps::Truncate(int fd, std::int64_t size)
{
    return Pass(m_hook, FileCall::Truncate, [&] { return Inner().Truncate(fd, size); });
}
int HookedFileOps::Sync(int fd)
{
    return Pass(m_hook, FileCall::Sync, [&] { return Inner().Sync(fd); });
}
int HookedFileOps::SetMode(int fd, unsigned mode)
{
    return Pass(m_hook, FileCall::SetMode, [&] { return Inner().SetMode(fd, mode); });
}
int HookedFileOps::Fstat(int fd, FileStat& out)
{
    return Pass(m_hook, FileCall::Stat, [&] { return Inner().Fstat(fd, out); });
}
int HookedFileOps::Stat(const std::string& path, FileStat& out)
{
    return Pass(m_hook, FileCall::Stat, [&] { return Inner().Stat(path, out); });
}
int HookedFileOps::Lstat(const std::string& path, FileStat& out)
{
    return Pass(m_hook, FileCall::Stat, [&] { return Inner().Lstat(path, out); });
}
int HookedFileOps::Access(const std::string& path, int how)
{
    return Pass(m_hook, FileCall::Access, [&] { return Inner().Access(path, how); });
}
int HookedFileOps::Close(int fd)
{
    if (const int error = m_hook(FileCall::Close)) {
        Inner().Close(fd);
        return errno = error, -1;
    }
    return Inner().Close(fd);
}
int HookedFileOps::ListFolder(const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    return Pass(m_hook, FileCall::List, [&] { return Inner().ListFolder(path, names); });
}
int HookedFileOps::MakeFolder(const std::string& path, unsigned mode)
{
    return Pass(m_hook, FileCall::MakeFolder, [&] { return Inner().MakeFolder(path, mode); });
}
int HookedFileOps::RemoveFolder(const std::string& path)
{
    return Pass(m_hook, FileCall::RemoveFolder, [&] { return Inner().RemoveFolder(path); });
}
int HookedFileOps::RemoveFile(const std::string& path)
{
    return Pass(m_hook, FileCall::RemoveFile, [&] { return Inner().RemoveFile(path); });
}
int HookedFileOps::Rename(const std::string& from, const std::string& to)
{
    return Pass(m_hook, FileCall::Rename, [&] { return Inner().Rename(from, to); });
}
int HookedFileOps::RealPath(const std::string& path, std::string& out)
{
    return Pass(m_hook, FileCall::RealPath, [&] { return Inner().RealPath(path, out); });
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

CountingFileOps::CountingFileOps(FileOps& inner)
    : HookedFileOps(inner, [this](FileCall call) {
          switch (call) {
          case FileCall::Open:
              ++m_opens;
              break;
          case FileCall::Lock:
              ++m_locks;
              break;
          case FileCall::Read:
              ++m_reads;
              break;
          case FileCall::Stat:
          case FileCall::Access:
          case FileCall::List:
          case FileCall::RealPath:
              ++m_stats;
              break;
          case FileCall::Close:
              ++m_closes;
              break;
          default:
              ++m_writes;
              break;
          }
          return 0;
      })
{
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
    : HookedFileOps(inner,
                    [this](FileCall call) {
                        const bool roundTrip = call == FileCall::Open || call == FileCall::Lock;
                        if (call == FileCall::Close || (!roundTrip && !m_everyCall)) return 0;
                        ++m_delayed;
                        if (m_wait)
                            m_wait(m_delay);
                        else
                            std::this_thread::sleep_for(m_delay);
                        return 0;
                    }),
      m_delay(delay), m_everyCall(everyCall), m_wait(std::move(wait))
{
}

FileOps& CurrentFileOps()
{
    return Services().CurrentFileOps();
}

ScopedFileOps::ScopedFileOps(FileOps& ops) : m_previous(Services().ExchangeFileOps(&ops)) {}

ScopedFileOps::~ScopedFileOps()
{
    Services().ExchangeFileOps(m_previous);
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

namespace {

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

unsigned SharedModeIn(FileOps& ops, const std::string& folder, bool forFolder)
{
    FileStat st;
    if (ops.Stat(folder, st) != 0) return forFolder ? 0755u : 0644u;
    if (forFolder) return st.mode & (0777u | S_ISGID);
    // Owner bits always allow reading and writing our own file.
    return (st.mode & 0666u) | 0600u;
}

int OpenShared(FileOps& ops, const std::string& path, int flags)
{
    if (!(flags & O_CREAT)) return ops.Open(path, flags, 0);
    const int plain = flags & ~(O_CREAT | O_EXCL);
    for (int tries = 0; tries < 3; ++tries) {
        if (!(flags & O_EXCL)) {
            const int fd = ops.Open(path, plain, 0);
            if (fd >= 0 || errno != ENOENT) return fd;
        }
        const int fd = ops.Open(path, plain | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            // Made by us: opened to the others as far as the folder is.
            ops.SetMode(fd, SharedModeIn(ops, FolderOf(path), false));
            return fd;
        }
        if (errno != EEXIST || (flags & O_EXCL)) return fd;
        // Made by someone else between the two opens: open theirs.
    }
    return -1;
}

int MakeSharedFolder(FileOps& ops, const std::string& path)
{
    if (ops.MakeFolder(path, 0700) != 0) return -1;
    const int fd = ops.Open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) return 0; // made; it stays ours alone
    ops.SetMode(fd, SharedModeIn(ops, FolderOf(path), true));
    ops.Close(fd);
    return 0;
}

} // namespace scrivo
