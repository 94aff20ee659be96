#pragma once

#include <chrono>
#include <string>

namespace scrivo {

// Waits and elapsed times run on the steady clock, never the time of day.
// The program's clock is replaceable so that tests need not sleep.
class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~Clock() = default;
    virtual TimePoint Now() = 0;
    virtual void SleepFor(std::chrono::milliseconds ms) = 0;
    // One pause while another process holds the lock of the file at path.
    // A program with windows lets them answer meanwhile.
    virtual void WaitForLock(const std::string& path, std::chrono::milliseconds ms)
    {
        static_cast<void>(path);
        SleepFor(ms);
    }
};

class SteadyClock final : public Clock {
public:
    TimePoint Now() override;
    void SleepFor(std::chrono::milliseconds ms) override;
};

Clock& ProgramClock();
// Replaces the program clock; nullptr restores the steady clock.
void SetProgramClock(Clock* clock);

} // namespace scrivo
