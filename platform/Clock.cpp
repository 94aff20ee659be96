#include "platform/Clock.h"

#include <thread>

namespace scrivo {

Clock::TimePoint SteadyClock::Now()
{
    return std::chrono::steady_clock::now();
}

void SteadyClock::SleepFor(std::chrono::milliseconds ms)
{
    std::this_thread::sleep_for(ms);
}

namespace {
SteadyClock g_steady;
Clock* g_clock = &g_steady;
} // namespace

Clock& ProgramClock()
{
    return *g_clock;
}

void SetProgramClock(Clock* clock)
{
    g_clock = clock ? clock : &g_steady;
}

} // namespace scrivo
