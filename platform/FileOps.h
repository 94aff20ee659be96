#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

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

// The file system calls behind the record files, one virtual per system call
// so that a test can fail any one of them and a benchmark can slow or count
// them. Each behaves like its system call: -1 (or a negative count) with
// errno set on failure.
class FileOps {
public:
    virtual ~FileOps() = default;

    virtual int Open(const std::string& path, int flags, unsigned mode) = 0;
    // F_OFD_SETLK over the whole file: type is F_WRLCK, F_RDLCK or F_UNLCK.
    // Never waits; a lock held elsewhere fails with EAGAIN or EACCES.
    virtual int SetLock(int fd, short type) = 0;
    // One pread / pwrite; the count may be short.
    virtual long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) = 0;
    virtual long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) = 0;
    virtual int Truncate(int fd, std::int64_t size) = 0;
    // The attributes of an open file or a path, fetched from the file's
    // server rather than from a cache: under a lock the size must be the
    // true one, and a poll for news must not be told of old news.
    virtual int Fstat(int fd, FileStat& out) = 0;
    virtual int Stat(const std::string& path, FileStat& out) = 0;
    // Like Stat, but a symbolic link is described, not followed.
    virtual int Lstat(const std::string& path, FileStat& out) = 0;
    virtual int Close(int fd) = 0;
};

// The system's calls.
class PosixFileOps final : public FileOps {
public:
    int Open(const std::string& path, int flags, unsigned mode) override;
    int SetLock(int fd, short type) override;
    long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) override;
    long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) override;
    int Truncate(int fd, std::int64_t size) override;
    int Fstat(int fd, FileStat& out) override;
    int Stat(const std::string& path, FileStat& out) override;
    int Lstat(const std::string& path, FileStat& out) override;
    int Close(int fd) override;
};

// Passes every call on; decorators override what they change.
class ForwardingFileOps : public FileOps {
public:
    explicit ForwardingFileOps(FileOps& inner) : m_inner(inner) {}
    int Open(const std::string& path, int flags, unsigned mode) override;
    int SetLock(int fd, short type) override;
    long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) override;
    long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) override;
    int Truncate(int fd, std::int64_t size) override;
    int Fstat(int fd, FileStat& out) override;
    int Stat(const std::string& path, FileStat& out) override;
    int Lstat(const std::string& path, FileStat& out) override;
    int Close(int fd) override;

protected:
    FileOps& Inner() { return m_inner; }

private:
    FileOps& m_inner;
};

// How many calls of each kind went through a CountingFileOps. Truncations
// count as writes, Fstat, Stat and Lstat as stats.
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
class CountingFileOps final : public ForwardingFileOps {
public:
    using ForwardingFileOps::ForwardingFileOps;
    int Open(const std::string& path, int flags, unsigned mode) override;
    int SetLock(int fd, short type) override;
    long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) override;
    long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) override;
    int Truncate(int fd, std::int64_t size) override;
    int Fstat(int fd, FileStat& out) override;
    int Stat(const std::string& path, FileStat& out) override;
    int Lstat(const std::string& path, FileStat& out) override;
    int Close(int fd) override;

    FileOpCounts Counts() const;
    void Reset();

private:
    std::atomic<long long> m_opens{0}, m_locks{0}, m_reads{0}, m_writes{0}, m_stats{0}, m_closes{0};
};

// Waits a fixed time before every open and lock call, as a file server
// across a network makes each of them wait; with everyCall, before reads,
// writes, truncations and stats as well (closes stay free). The wait is a
// real sleep unless a test passes its own.
class DelayFileOps final : public ForwardingFileOps {
public:
    using Waiter = std::function<void(std::chrono::microseconds)>;
    DelayFileOps(FileOps& inner, std::chrono::microseconds delay, bool everyCall = false, Waiter wait = {});
    int Open(const std::string& path, int flags, unsigned mode) override;
    int SetLock(int fd, short type) override;
    long long ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset) override;
    long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) override;
    int Truncate(int fd, std::int64_t size) override;
    int Fstat(int fd, FileStat& out) override;
    int Stat(const std::string& path, FileStat& out) override;
    int Lstat(const std::string& path, FileStat& out) override;

    long long DelayedCalls() const { return m_delayed.load(); }

private:
    void Wait(bool always);
    std::chrono::microseconds m_delay;
    bool m_everyCall;
    Waiter m_wait;
    std::atomic<long long> m_delayed{0};
};

// The file operations of this process. Like the message box this is a
// process service, not game state: the program uses the system's calls, and
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

// True only for a real directory: a symbolic link to one is not, so that a
// link planted in the server directory can never pass for a game folder.
bool IsRealDirectory(const std::string& path);

} // namespace scrivo
