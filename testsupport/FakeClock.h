#pragma once

#include <functional>
#include <vector>

#include "platform/Clock.h"

namespace scrivo::test {

// A clock that only moves when told to; SleepFor moves it at once, noting
// the wait and calling onWait with the number of waits so far.
class FakeClock final : public Clock {
public:
    TimePoint Now() override { return m_now; }
    void SleepFor(std::chrono::milliseconds ms) override
    {
        m_now += ms;
        waits.push_back(ms);
        if (onWait) onWait(waits.size());
    }
    void Advance(std::chrono::milliseconds ms) { m_now += ms; }
    std::chrono::milliseconds Since(TimePoint t) const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(m_now - t);
    }

    std::vector<std::chrono::milliseconds> waits;
    std::function<void(std::size_t)> onWait;

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
