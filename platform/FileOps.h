#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace scrivo {

// What a stat call tells about a file.
struct FileStat {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint32_t mode = 0; // type and permission bits, as st_mode
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // time of the last change of the contents

    bool IsRegular() const;
    bool IsDirectory() const;
    bool IsSymlink() const;
};

// Which file system call a decorator is about to pass on. Fstat, Stat and
// Lstat are all Stat; each of the others is one call of its own name.
enum class FileCall {
    Open,
    Lock,
    Read,
    Write,
    Truncate,
    Sync,
    SetMode,
    Stat,
    Access,
    Close,
    List,
    MakeFolder,
    RemoveFolder,
    RemoveFile,
    Rename,
    RealPath,
};
inline constexpr int FileCallKinds = static_cast<int>(FileCall::RealPath) + 1;

// The file system calls of the core (record files, game folders, the
// settings file), one virtual per system call so that a test can fail any
// one of them and a benchmark can slow or count them. Each behaves like its
// system call: -1 (or a negative count) with errno set on failure.
class FileOps {
public:
    virtual ~FileOps() = default;

    virtual int Open(const std::string& path, int flags, unsigned mode) = 0;
    // F_OFD_SETLK over the whole file: type is F_WRLCK, F_RDLCK or F_UNLCK.
    // Never waits; a lock held elsewhere fails with EAGAIN or EACCES.
    virtual int SetLock(int fd, short type) = 0;
    // F_OFD_SETLK over `length` bytes from `start` (they may lie past the
    // end of the file): claims that live beside a file's contents.
    virtual int SetRangeLock(int fd, short type, std::int64_t start, std::int64_t length) = 0;
    // One pread / pwrite; the count may be short.
    virtual long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) = 0;
    virtual long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) = 0;
    // lseek(SEEK_DATA): the first offset at or after offset that holds data,
    // skipping holes of a sparse file. A file system that cannot tell gives
    // offset back; past the last data it fails with ENXIO.
    virtual std::int64_t NextData(int fd, std::int64_t offset) = 0;
    virtual int Truncate(int fd, std::int64_t size) = 0;
    virtual int Sync(int fd) = 0;                   // fsync
    virtual int SetMode(int fd, unsigned mode) = 0; // fchmod
    // The attributes of an open file or a path, fetched from the file's
    // server rather than from a cache: under a lock the size must be the
    // true one, and a poll for news must not be told of old news.
    virtual int Fstat(int fd, FileStat& out) = 0;
    virtual int Stat(const std::string& path, FileStat& out) = 0;
    // Like Stat, but a symbolic link is described, not followed.
    virtual int Lstat(const std::string& path, FileStat& out) = 0;
    // access(2): F_OK, or any of R_OK, W_OK, X_OK.
    virtual int Access(const std::string& path, int how) = 0;
    virtual int Close(int fd) = 0;

    // The names in a folder, "." and ".." left out, in no particular order.
    virtual int ListFolder(const std::string& path, std::vector<std::string>& names) = 0;
    virtual int MakeFolder(const std::string& path, unsigned mode) = 0;
    virtual int RemoveFolder(const std::string& path) = 0; // only an empty one
    virtual int RemoveFile(const std::string& path) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    // The absolute path with every link resolved; the file must exist.
    virtual int RealPath(const std::string& path, std::string& out) = 0;
};

// The system's calls.
class PosixFileOps final : public FileOps {
public:
    int Open(const std::string& path, int flags, unsigned mode) override;
    int SetLock(int fd, short type) override;
    int SetRangeLock(int fd, short type, std::int64_t start, std::int64_t length) override;
    long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) override;
    long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) override;
    std::int64_t NextData(int fd, std::int64_t offset) override;
    int Truncate(int fd, std::int64_t size) override;
    int Sync(int fd) override;
    int SetMode(int fd, unsigned mode) override;
    int Fstat(int fd, FileStat& out) override;
    int Stat(const std::string& path, FileStat& out) override;
    int Lstat(const std::string& path, FileStat& out) override;
    int Access(const std::string& path, int how) override;
    int Close(int fd) override;
    int ListFolder(const std::string& path, std::vector<std::string>& names) override;
    int MakeFolder(const std::string& path, unsigned mode) override;
    int RemoveFolder(const std::string& path) override;
    int RemoveFile(const std::string& path) override;
    int Rename(const std::string& from, const std::string& to) override;
    int RealPath(const std::string& path, std::string& out) override;
};

// Passes every call on; a decorator overrides what it changes.
class ForwardingFileOps : public FileOps {
public:
    explicit ForwardingFileOps(FileOps& inner) : m_inner(inner) {}
    int Open(const std::string& path, int flags, unsigned mode) override;
    int SetLock(int fd, short type) override;
    int SetRangeLock(int fd, short type, std::int64_t start, std::int64_t length) override;
    long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) override;
    long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) override;
    std::int64_t NextData(int fd, std::int64_t offset) override;
    int Truncate(int fd, std::int64_t size) override;
    int Sync(int fd) override;
    int SetMode(int fd, unsigned mode) override;
    int Fstat(int fd, FileStat& out) override;
    int Stat(const std::string& path, FileStat& out) override;
    int Lstat(const std::string& path, FileStat& out) override;
    int Access(const std::string& path, int how) override;
    int Close(int fd) override;
    int ListFolder(const std::string& path, std::vector<std::string>& names) override;
    int MakeFolder(const std::string& path, unsigned mode) override;
    int RemoveFolder(const std::string& path) override;
    int RemoveFile(const std::string& path) override;
    int Rename(const std::string& from, const std::string& to) override;
    int RealPath(const std::string& path, std::string& out) override;

protected:
    FileOps& Inner() { return m_inner; }

private:
    FileOps& m_inner;
};

// Passes every call on after asking a hook, which may count it, wait, or
// fail it: a nonzero answer is the errno the call fails with, and the call
// never reaches the inner operations (a failed close still frees the
// descriptor, as close(2) does).
class HookedFileOps : public ForwardingFileOps {
public:
    using Hook = std::function<int(FileCall)>;
    HookedFileOps(FileOps& inner, Hook hook);

    int Open(const std::string& path, int flags, unsigned mode) override;
    int SetLock(int fd, short type) override;
    int SetRangeLock(int fd, short type, std::int64_t start, std::int64_t length) override;
    long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) override;
    long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) override;
    std::int64_t NextData(int fd, std::int64_t offset) override;
    int Truncate(int fd, std::int64_t size) override;
    int Sync(int fd) override;
    int SetMode(int fd, unsigned mode) override;
    int Fstat(int fd, FileStat& out) override;
    int Stat(const std::string& path, FileStat& out) override;
    int Lstat(const std::string& path, FileStat& out) override;
    int Access(const std::string& path, int how) override;
    int Close(int fd) override;
    int ListFolder(const std::string& path, std::vector<std::string>& names) override;
    int MakeFolder(const std::string& path, unsigned mode) override;
    int RemoveFolder(const std::string& path) override;
    int RemoveFile(const std::string& path) override;
    int Rename(const std::string& from, const std::string& to) override;
    int RealPath(const std::string& path, std::string& out) override;

private:
    Hook m_hook;
};

// How many calls of each kind went through a CountingFileOps. Truncations
// count as writes, Fstat, Stat and Lstat as stats; of the calls on names,
// access, listing and resolving count as stats, the others (and syncs and
// mode changes) as writes.
struct FileOpCounts {
    long long opens = 0, locks = 0, reads = 0, writes = 0, stats = 0, closes = 0;

    // Opens and lock calls: the calls that cost a round trip to a file
    // server however warm its caches are.
    long long RoundTrips() const { return opens + locks; }
    FileOpCounts operator-(const FileOpCounts& earlier) const;
    bool operator==(const FileOpCounts&) const = default;
};
std::string ToString(const FileOpCounts& counts);

// Counts the calls it passes on; safe to share between threads.
class CountingFileOps final : public HookedFileOps {
public:
    explicit CountingFileOps(FileOps& inner);
    FileOpCounts Counts() const;
    void Reset();

private:
    std::atomic<long long> m_opens{0}, m_locks{0}, m_reads{0}, m_writes{0}, m_stats{0}, m_closes{0};
};

// Waits a fixed time before every open and lock call, as a file server
// across a network makes each of them wait; with everyCall, before every
// other call as well (closes stay free). The wait is a real sleep unless a
// test passes its own.
class DelayFileOps final : public HookedFileOps {
public:
    using Waiter = std::function<void(std::chrono::microseconds)>;
    DelayFileOps(FileOps& inner, std::chrono::microseconds delay, bool everyCall = false, Waiter wait = {});

    long long DelayedCalls() const { return m_delayed.load(); }

private:
    std::chrono::microseconds m_delay;
    bool m_everyCall;
    Waiter m_wait;
    std::atomic<long long> m_delayed{0};
};

// The file operations of this process, kept with the other process
// services (platform/Services.h): the program uses the system's calls, and
// a test or benchmark puts its own in place for a while.
FileOps& CurrentFileOps();

// Puts ops in place for its lifetime and then restores the ones before.
class ScopedFileOps {
public:
    explicit ScopedFileOps(FileOps& ops);
    ~ScopedFileOps();
    ScopedFileOps(const ScopedFileOps&) = delete;
    ScopedFileOps& operator=(const ScopedFileOps&) = delete;

private:
    FileOps* m_previous;
};

// Files and folders of a game are as open as the folder they are made in,
// whatever the creating account's umask: in a server directory that every
// account may write (mode 1777, or a group's with the setgid bit) every such
// account may then play. A file gets the folder's read and write bits, a
// folder all its bits and its setgid bit, never its sticky bit.
unsigned SharedModeIn(FileOps& ops, const std::string& folder, bool forFolder);
// open(2) of path with flags; with O_CREAT a file made by this call gets the
// shared mode of its folder. A link is never followed into a new file when
// O_NOFOLLOW is among the flags.
int OpenShared(FileOps& ops, const std::string& path, int flags);
// mkdir(2) with the shared mode of the parent folder.
int MakeSharedFolder(FileOps& ops, const std::string& path);

// True only for a real directory: a symbolic link to one is not, so that a
// link planted in the server directory can never pass for a game folder.
bool IsRealDirectory(const std::string& path);

} // namespace scrivo
