#include "testsupport/FaultFileOps.h"

#include <algorithm>
#include <cerrno>

namespace scrivo::test {

FaultFileOps::FaultFileOps() : HookedFileOps(CurrentFileOps(), [this](FileCall call) { return Next(call); })
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

long long FaultFileOps::WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset)
{
    if (const int e = Next(FileCall::Write)) return errno = e, -1;
    // Short writes and a full disk change what reaches the file, beyond
    // what the hook can say.
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
    const long long written = ForwardingFileOps::WriteAt(fd, data, size, offset);
    if (written > 0 && m_limited) {
        std::lock_guard lock(m_mutex);
        m_room -= std::min(m_room, static_cast<std::size_t>(written));
    }
    return written;
}

} // namespace scrivo::test
