#pragma once

#include "platform/Clock.h"

namespace scrivo::test {

// A clock that only moves when told to; SleepFor moves it at once.
class FakeClock final : public Clock {
public:
    TimePoint Now() override { return m_now; }
    void SleepFor(std::chrono::milliseconds ms) override
    {
        m_now += ms;
        m_slept += ms;
        ++m_sleeps;
    }
    void Advance(std::chrono::milliseconds ms) { m_now += ms; }
    std::chrono::milliseconds Slept() const { return m_slept; }
    int Sleeps() const { return m_sleeps; }

private:
    TimePoint m_now{std::chrono::hours(1)};
    std::chrono::milliseconds m_slept{0};
    int m_sleeps = 0;
};

// Installs a fake clock as the program clock for one scope.
class ScopedFakeClock {
public:
    ScopedFakeClock() { SetProgramClock(&clock); }
    ~ScopedFakeClock() { SetProgramClock(nullptr); }
    FakeClock clock;
};

} // namespace scrivo::test
