#include "testsupport/FaultFileOps.h"

#include <algorithm>
#include <cerrno>

namespace scrivo::test {

FaultFileOps::FaultFileOps() : ForwardingFileOps(CurrentFileOps())
{
    m_scope.emplace(*this);
}

void FaultFileOps::Fail(FileCall call, int first, int error, int count)
{
    std::lock_guard lock(m_mutex);
    m_rules.push_back({call, first, count, error});
}

void FaultFileOps::ShortWrite(int n, std::size_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_shortWrites.emplace_back(n, bytes);
}

void FaultFileOps::LimitWrites(std::size_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_limited = true;
    m_room = bytes;
}

void FaultFileOps::Clear()
{
    std::lock_guard lock(m_mutex);
    m_rules.clear();
    m_shortWrites.clear();
    m_limited = false;
}

int FaultFileOps::Calls(FileCall call) const
{
    std::lock_guard lock(m_mutex);
    return m_calls[static_cast<int>(call)];
}

int FaultFileOps::Next(FileCall call)
{
    std::lock_guard lock(m_mutex);
    const int n = ++m_calls[static_cast<int>(call)];
    for (const Rule& r : m_rules)
        if (r.call == call && n >= r.first && n - r.first < r.count) return r.error;
    return 0;
}

int FaultFileOps::Open(const std::string& path, int flags, unsigned mode)
{
    if (const int e = Next(FileCall::Open)) return errno = e, -1;
    return Inner().Open(path, flags, mode);
}

int FaultFileOps::SetLock(int fd, short type)
{
    if (const int e = Next(FileCall::Lock)) return errno = e, -1;
    return Inner().SetLock(fd, type);
}

long long FaultFileOps::ReadAt(int fd, void* buffer, std::size_t size, std::int64_t offset)
{
    if (const int e = Next(FileCall::Read)) return errno = e, -1;
    return Inner().ReadAt(fd, buffer, size, offset);
}

long long FaultFileOps::WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    if (const int e = Next(FileCall::Write)) return errno = e, -1;
    {
        std::lock_guard lock(m_mutex);
        const int n = m_calls[static_cast<int>(FileCall::Write)];
        for (const auto& [which, bytes] : m_shortWrites)
            if (which == n) size = std::min(size, bytes);
        if (m_limited) {
            if (m_room == 0) return errno = ENOSPC, -1;
            size = std::min(size, m_room);
        }
    }
    const long long written = Inner().WriteAt(fd, data, size, offset);
    if (written > 0 && m_limited) {
        std::lock_guard lock(m_mutex);
        m_room -= std::min(m_room, static_cast<std::size_t>(written));
    }
    return written;
}

int FaultFileOps::Truncate(int fd, std::int64_t size)
{
    if (const int e = Next(FileCall::Truncate)) return errno = e, -1;
    return Inner().Truncate(fd, size);
}

int FaultFileOps::Fstat(int fd, FileStat& out)
{
    if (const int e = Next(FileCall::Stat)) return errno = e, -1;
    return Inner().Fstat(fd, out);
}

int FaultFileOps::Stat(const std::string& path, FileStat& out)
{
    if (const int e = Next(FileCall::Stat)) return errno = e, -1;
    return Inner().Stat(path, out);
}

int FaultFileOps::Lstat(const std::string& path, FileStat& out)
{
    if (const int e = Next(FileCall::Stat)) return errno = e, -1;
    return Inner().Lstat(path, out);
}

int FaultFileOps::Close(int fd)
{
    if (const int e = Next(FileCall::Close)) {
        Inner().Close(fd); // a failed close still frees the descriptor, as close(2) does
        return errno = e, -1;
    }
    return Inner().Close(fd);
}

} // namespace scrivo::test
