#pragma once

#include <string>

namespace scrivo {

// The host's claim on its game: an exclusive lock on an empty file of the
// game folder, held for as long as the host plays. The system drops the
// lock when the host's process ends, however it ends, so a client that
// finds the lock free knows the host is gone.
class HostLock {
public:
    HostLock() = default;
    ~HostLock();
    HostLock(const HostLock&) = delete;
    HostLock& operator=(const HostLock&) = delete;

    // Creates the file if need be and locks it; false when it cannot.
    bool Acquire(const std::string& path);
    void Release();
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

enum class HostPresence {
    Present, // the lock is held
    Gone,    // the file is there and nobody holds its lock
    Unknown, // no such file (a game without one) or it cannot be tested
};

// Tests the lock without disturbing its holder: a try-lock released at once.
HostPresence ProbeHostLock(const std::string& path);

} // namespace scrivo
