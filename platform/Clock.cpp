#include "platform/Clock.h"

#include <thread>

namespace scrivo {

long long Clock::TickMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Now().time_since_epoch()).count();
}

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
