#pragma once

#include "platform/Clock.h"

namespace scrivo::test {

// A clock that only moves when told to; SleepFor moves it at once.
class FakeClock final : public Clock {
public:
    TimePoint Now() override { return m_now; }
    void SleepFor(std::chrono::milliseconds ms) override { m_now += ms; }
    void Advance(std::chrono::milliseconds ms) { m_now += ms; }

private:
    TimePoint m_now{std::chrono::hours(1)};
};

// Installs a fake clock as the program clock for one scope.
class ScopedFakeClock {
public:
    ScopedFakeClock() { SetProgramClock(&clock); }
    ~ScopedFakeClock() { SetProgramClock(nullptr); }
    FakeClock clock;
};

} // namespace scrivo::test
