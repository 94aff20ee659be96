#pragma once

#include <chrono>
#include <cstdint>

#include "platform/Random.h"

namespace scrivo {

// The waits between tries of a record file held by another client: a few
// milliseconds at first, doubling up to a limit, each drawn at random from
// the upper half of its step so that two clients that met once do not meet
// again at their next try. Holders keep a file for one short sequence, so a
// whole-second sleep would mostly wait on nothing.
class LockBackoff {
public:
    static constexpr std::chrono::milliseconds FirstStep{2};
    static constexpr std::chrono::milliseconds LastStep{256};

    explicit LockBackoff(std::uint64_t seed);
    // A seed that differs between processes and between calls.
    static std::uint64_t FreshSeed();

    std::chrono::milliseconds Next();

private:
    Random m_random;
    std::chrono::milliseconds m_step = FirstStep;
};

} // namespace scrivo
