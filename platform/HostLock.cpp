#include "platform/HostLock.h"

#include <cerrno>
#include <fcntl.h>

#include "platform/FileOps.h"

namespace scrivo {

HostLock::~HostLock()
{
    Release();
}

bool HostLock::Acquire(const std::string& path)
{
    Release();
    FileOps& ops = CurrentFileOps();
    const int fd = OpenShared(ops, path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    if (ops.SetLock(fd, F_WRLCK) != 0) {
        ops.Close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void HostLock::Release()
{
    if (m_fd < 0) return;
    FileOps& ops = CurrentFileOps();
    ops.SetLock(m_fd, F_UNLCK);
    ops.Close(m_fd);
    m_fd = -1;
}

HostPresence ProbeHostLock(const std::string& path)
{
    FileOps& ops = CurrentFileOps();
    const int fd = ops.Open(path, O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) return HostPresence::Unknown;
    HostPresence presence = HostPresence::Unknown;
    if (ops.SetLock(fd, F_WRLCK) == 0) {
        ops.SetLock(fd, F_UNLCK);
        presence = HostPresence::Gone;
    } else if (errno == EAGAIN || errno == EACCES) {
        presence = HostPresence::Present;
    }
    ops.Close(fd);
    return presence;
}

} // namespace scrivo
