#include "platform/LockedFile.h"

#include <cassert>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace scrivo {

namespace {
// Files this process holds. Opening one of them again would wait on our own
// lock for ever; debug builds stop right there instead.
std::mutex g_heldMutex;
std::set<std::pair<std::uint64_t, std::uint64_t>> g_held;
pid_t g_heldPid = 0;

// A forked child starts with its parent's list but holds none of its locks.
void ForgetParentsFiles()
{
    if (g_heldPid != ::getpid()) {
        g_held.clear();
        g_heldPid = ::getpid();
    }
}

void Forget(std::uint64_t dev, std::uint64_t ino)
{
    std::lock_guard lock(g_heldMutex);
    g_held.erase({dev, ino});
}
} // namespace

LockedFile::~LockedFile()
{
    Close();
}

LockedFile::LockedFile(LockedFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_error(other.m_error), m_path(std::move(other.m_path)),
      m_dev(other.m_dev), m_ino(other.m_ino)
{
}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
        m_path = std::move(other.m_path);
        m_dev = other.m_dev;
        m_ino = other.m_ino;
    }
    return *this;
}

LockedFile::OpenStatus LockedFile::TryOpen(const std::string& path)
{
    Close();
    m_path = path;
    m_error = 0;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = errno;
        return OpenStatus::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        std::lock_guard lock(g_heldMutex);
        ForgetParentsFiles();
        assert(!g_held.count({st.st_dev, st.st_ino}) && "record file opened twice by one process");
    }
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // the whole file, however long it grows
    if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EAGAIN || err == EACCES) return OpenStatus::Held;
        m_error = err;
        return OpenStatus::Failed;
    }
    m_fd = fd;
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    {
        std::lock_guard lock(g_heldMutex);
        ForgetParentsFiles();
        g_held.insert({m_dev, m_ino});
    }
    return OpenStatus::Ok;
}

void LockedFile::Close()
{
    if (m_fd < 0) return;
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    ::fcntl(m_fd, F_OFD_SETLK, &fl);
    ::close(m_fd);
    m_fd = -1;
    Forget(m_dev, m_ino);
}

long long LockedFile::ReadAt(std::int64_t offset, void* buffer, std::size_t size)
{
    std::size_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < size) {
        const ssize_t n = ::pread(m_fd, p + done, size - done, offset + static_cast<std::int64_t>(done));
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

bool LockedFile::WriteAt(std::int64_t offset, const void* data, std::size_t size)
{
    std::size_t done = 0;
    const auto* p = static_cast<const char*>(data);
    while (done < size) {
        const ssize_t n = ::pwrite(m_fd, p + done, size - done, offset + static_cast<std::int64_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            m_error = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::int64_t LockedFile::Size()
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        m_error = errno;
        return -1;
    }
    return st.st_size;
}

std::string LockedFile::ErrorText() const
{
    return ErrorDescription(m_error);
}

std::string ErrorDescription(int error)
{
    char buf[256];
    // GNU strerror_r returns the text, which may or may not be buf.
    return ::strerror_r(error, buf, sizeof buf);
}

} // namespace scrivo
