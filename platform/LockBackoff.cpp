#include "platform/LockBackoff.h"

#include <algorithm>
#include <unistd.h>

namespace scrivo {

LockBackoff::LockBackoff(std::uint64_t seed) : m_random(seed) {}

std::uint64_t LockBackoff::FreshSeed()
{
    // Not the program's generator: a fixed-seed game must deal the same
    // cards however often its files happened to be held.
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return now ^ (static_cast<std::uint64_t>(::getpid()) << 40);
}

std::chrono::milliseconds LockBackoff::Next()
{
    const int step = static_cast<int>(m_step.count());
    const std::chrono::milliseconds wait(step - step / 2 + m_random.Below(step / 2 + 1));
    m_step = std::min(m_step * 2, LastStep);
    return wait;
}

} // namespace scrivo
