#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/FileOps.h"

namespace scrivo {

// A file opened read-write (created when missing) and locked whole with an
// exclusive open-file-description lock. The lock goes with Close(), with the
// destructor, and with the process if it dies. Other processes (and other
// descriptors of this one) that try to open it meanwhile see it as held.
// A symbolic link or anything but a regular file is refused, never written.
// Every system call goes through CurrentFileOps().
class LockedFile {
public:
    enum class OpenStatus { Ok, Held, Failed };

    LockedFile() = default;
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;

    // One attempt; never waits. On Failed, Error() holds the errno value.
    OpenStatus TryOpen(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    // Whole reads and writes at a byte offset. ReadAt returns the number of
    // bytes read (short at the end of the file) or -1 on error. A write that
    // fails part way puts back the bytes it replaced (and the old length), so
    // a record is either all new or all old.
    long long ReadAt(std::int64_t offset, void* buffer, std::size_t size);
    bool WriteAt(std::int64_t offset, const void* data, std::size_t size);
    // The first offset at or after offset that may hold data (holes of a
    // sparse file skipped); the file's size when none follows, -1 on error.
    std::int64_t NextData(std::int64_t offset);
    // Current length in bytes, or -1 on error. Taken once under the lock and
    // kept up to date by our own writes: nobody else writes meanwhile.
    std::int64_t Size();

    // The attributes taken under the lock when the file was opened.
    const FileStat& OpenedStat() const { return m_opened; }
    // Fresh attributes of the open file; false on error.
    bool Stat(FileStat& out);

    int Error() const { return m_error; }
    std::string ErrorText() const;
    const std::string& Path() const { return m_path; }

private:
    // The bytes a write replaces: those in the file from its offset, and
    // whether the file ended inside (or before) its range, and where.
    struct Prior {
        std::string bytes;
        bool endsInside = false;
        std::int64_t end = 0;
    };
    bool ReadPrior(std::int64_t offset, std::size_t size, Prior& prior);
    long long ReadAll(std::int64_t offset, char* buffer, std::size_t size);
    bool WriteAll(std::int64_t offset, const char* data, std::size_t size);
    void ForgetContents();

    int m_fd = -1;
    int m_error = 0;
    std::string m_refusal; // why the file was refused, when it was
    std::string m_path;
    std::uint64_t m_dev = 0, m_ino = 0;
    FileStat m_opened;
    std::int64_t m_size = -1; // -1: not known
    // The bytes of the last read, so that the write after it need not read
    // them again to be able to put them back.
    std::int64_t m_windowOffset = 0;
    std::string m_window;
    bool m_windowAtEnd = false;
};

// The description of an errno value.
std::string ErrorDescription(int error);
// Whether a failed call with this errno says the share is away, full,
// read-only or refusing us for now, rather than anything about a file's
// contents: no space, an I/O error, a read-only or stale or unreachable
// share, a time-out, a refused access, a missing name.
bool IsOutageError(int error);

} // namespace scrivo
