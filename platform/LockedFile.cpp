#include "platform/LockedFile.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "platform/FileOps.h"
#include "platform/Services.h"

namespace scrivo {

LockedFile::~LockedFile()
{
    Close();
}

LockedFile::LockedFile(LockedFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_error(other.m_error), m_refusal(std::move(other.m_refusal)),
      m_path(std::move(other.m_path)), m_dev(other.m_dev), m_ino(other.m_ino), m_opened(other.m_opened),
      m_size(other.m_size), m_windowOffset(other.m_windowOffset), m_window(std::move(other.m_window)),
      m_windowAtEnd(other.m_windowAtEnd)
{
}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
        m_refusal = std::move(other.m_refusal);
        m_path = std::move(other.m_path);
        m_dev = other.m_dev;
        m_opened = other.m_opened;
        m_ino = other.m_ino;
        m_size = other.m_size;
        m_windowOffset = other.m_windowOffset;
        m_window = std::move(other.m_window);
        m_windowAtEnd = other.m_windowAtEnd;
    }
    return *this;
}

LockedFile::OpenStatus LockedFile::TryOpen(const std::string& path)
{
    Close();
    FileOps& ops = CurrentFileOps();
    m_path = path;
    m_error = 0;
    m_refusal.clear();
    // Never through a link: a link planted in a game folder would have us
    // write into whatever file it points at.
    const int fd = OpenShared(ops, path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        m_error = errno;
        FileStat link;
        if (m_error == ELOOP && ops.Lstat(path, link) == 0 && link.IsSymlink())
            m_refusal = path + " is a symbolic link, not a record file";
        return OpenStatus::Failed;
    }
    if (ops.SetLock(fd, F_WRLCK) != 0) {
        const int err = errno;
#ifndef NDEBUG
        FileStat mine;
        if (ops.Fstat(fd, mine) == 0)
            assert(!Services().Held().Holds(mine.device, mine.inode) &&
                   "record file opened twice by one process");
#endif
        ops.Close(fd);
        if (err == EAGAIN || err == EACCES) return OpenStatus::Held;
        m_error = err;
        return OpenStatus::Failed;
    }
    // Stat under the lock: the size it gives stays true until we let go.
    FileStat st;
    const bool statted = ops.Fstat(fd, st) == 0;
    if (!statted || !st.IsRegular()) {
        m_error = statted ? EINVAL : errno;
        if (statted) m_refusal = path + " is not a regular file";
        ops.SetLock(fd, F_UNLCK);
        ops.Close(fd);
        return OpenStatus::Failed;
    }
    m_fd = fd;
    m_opened = st;
    m_dev = st.device;
    m_ino = st.inode;
    m_size = st.size;
    Services().Held().Add(m_dev, m_ino);
    return OpenStatus::Ok;
}

void LockedFile::Close()
{
    if (m_fd < 0) return;
    FileOps& ops = CurrentFileOps();
    ops.SetLock(m_fd, F_UNLCK);
    ops.Close(m_fd);
    m_fd = -1;
    Services().Held().Remove(m_dev, m_ino);
    ForgetContents();
}

void LockedFile::ForgetContents()
{
    m_size = -1;
    m_window.clear();
    m_windowAtEnd = false;
}

long long LockedFile::ReadAll(std::int64_t offset, char* buffer, std::size_t size)
{
    FileOps& ops = CurrentFileOps();
    std::size_t done = 0;
    while (done < size) {
        const long long n =
            ops.ReadAt(m_fd, buffer + done, size - done, offset + static_cast<std::int64_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            m_error = errno;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

long long LockedFile::ReadAt(std::int64_t offset, void* buffer, std::size_t size)
{
    auto* p = static_cast<char*>(buffer);
    const long long got = ReadAll(offset, p, size);
    if (got < 0) return -1;
    constexpr std::size_t WindowLimit = 4096; // records are far shorter
    if (size <= WindowLimit) {
        m_windowOffset = offset;
        m_window.assign(p, static_cast<std::size_t>(got));
        m_windowAtEnd = static_cast<std::size_t>(got) < size;
    }
    return got;
}

std::int64_t LockedFile::NextData(std::int64_t offset)
{
    if (m_fd < 0) return -1;
    const std::int64_t at = CurrentFileOps().NextData(m_fd, offset);
    if (at >= 0) return at;
    if (errno == ENXIO) return std::max(offset, Size());
    m_error = errno;
    return -1;
}

bool LockedFile::ReadPrior(std::int64_t offset, std::size_t size, Prior& prior)
{
    const auto n = static_cast<std::int64_t>(size);
    if (m_size >= 0 && offset >= m_size) { // an append: nothing is replaced
        prior.endsInside = true;
        prior.end = m_size;
        return true;
    }
    const std::int64_t windowEnd = m_windowOffset + static_cast<std::int64_t>(m_window.size());
    if (offset >= m_windowOffset && offset <= windowEnd && (offset + n <= windowEnd || m_windowAtEnd)) {
        const auto from = static_cast<std::size_t>(offset - m_windowOffset);
        prior.bytes = m_window.substr(from, size);
        prior.endsInside = offset + n > windowEnd;
        prior.end = windowEnd;
        return true;
    }
    prior.bytes.resize(size);
    const long long got = ReadAll(offset, prior.bytes.data(), size);
    if (got < 0) return false;
    prior.bytes.resize(static_cast<std::size_t>(got));
    if (got < n) {
        prior.endsInside = true;
        prior.end = offset + got;
        FileStat st; // nothing read: the end may lie before the offset
        if (got == 0) {
            if (CurrentFileOps().Fstat(m_fd, st) != 0) {
                m_error = errno;
                return false;
            }
            prior.end = st.size;
        }
    }
    return true;
}

bool LockedFile::WriteAll(std::int64_t offset, const char* data, std::size_t size)
{
    FileOps& ops = CurrentFileOps();
    std::size_t done = 0;
    while (done < size) {
        const long long n =
            ops.WriteAt(m_fd, data + done, size - done, offset + static_cast<std::int64_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            m_error = errno;
            return false;
        }
        if (n == 0) { // no progress and no reason: a full disk that does not say so
            m_error = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool LockedFile::WriteAt(std::int64_t offset, const void* data, std::size_t size)
{
    if (m_fd < 0) {
        m_error = EBADF;
        return false;
    }
    Prior prior;
    if (!ReadPrior(offset, size, prior)) return false; // nothing written yet
    m_window.clear();
    m_windowAtEnd = false;
    const auto end = offset + static_cast<std::int64_t>(size);
    if (WriteAll(offset, static_cast<const char*>(data), size)) {
        if (m_size >= 0 && end > m_size) m_size = end;
        return true;
    }
    // Cut short: put the old bytes and the old length back, keeping the
    // first error as the one reported.
    const int error = m_error;
    bool restored = WriteAll(offset, prior.bytes.data(), prior.bytes.size());
    if (restored && prior.endsInside && CurrentFileOps().Truncate(m_fd, prior.end) != 0) restored = false;
    if (!restored) m_size = -1;
    m_error = error;
    return false;
}

std::int64_t LockedFile::Size()
{
    if (m_fd < 0) {
        m_error = EBADF;
        return -1;
    }
    if (m_size >= 0) return m_size;
    FileStat st;
    if (CurrentFileOps().Fstat(m_fd, st) != 0) {
        m_error = errno;
        return -1;
    }
    m_size = st.size;
    return m_size;
}

bool LockedFile::Stat(FileStat& out)
{
    if (m_fd < 0) {
        m_error = EBADF;
        return false;
    }
    if (CurrentFileOps().Fstat(m_fd, out) != 0) {
        m_error = errno;
        return false;
    }
    return true;
}

std::string LockedFile::ErrorText() const
{
    if (!m_refusal.empty()) return m_refusal;
    return ErrorDescription(m_error);
}

std::string ErrorDescription(int error)
{
    char buf[256];
    // GNU strerror_r returns the text, which may or may not be buf.
    return ::strerror_r(error, buf, sizeof buf);
}

bool IsOutageError(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EIO:
    case EROFS:
    case ESTALE:
    case ETIMEDOUT:
    case EACCES:
    case EPERM:
    case ENOENT:
    case ENOTDIR:
    case ENOTCONN:
    case ECONNABORTED:
    case ECONNRESET:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case ENODEV:
    case ENXIO:
    case EINTR:
    case ENOLCK:
    case EBUSY:
        return true;
    default:
        return false;
    }
}

} // namespace scrivo
