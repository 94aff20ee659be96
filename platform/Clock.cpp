#include "platform/Clock.h"

#include <thread>

#include "platform/Services.h"

namespace scrivo {

Clock::TimePoint SteadyClock::Now()
{
    return std::chrono::steady_clock::now();
}

void SteadyClock::SleepFor(std::chrono::milliseconds ms)
{
    std::this_thread::sleep_for(ms);
}

Clock& ProgramClock()
{
    return Services().CurrentClock();
}

void SetProgramClock(Clock* clock)
{
    Services().SetClock(clock);
}

} // namespace scrivo
