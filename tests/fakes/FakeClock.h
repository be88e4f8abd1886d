#pragma once
// A clock that only moves when told to: Sleep advances it, so waiting code runs instantly in tests.
#include "platform/os/Clock.h"

#include <functional>

class FakeClock : public Clock
{
public:
    std::uint64_t ticks = 1'000'000;      // milliseconds
    std::int64_t seconds = 1'800'000'000; // calendar seconds
    double now = 46000.5;                 // 2025-12-09 12:00 as a date-time
    unsigned sleeps = 0;
    std::function<void(unsigned)> onSleep; // runs after each Sleep, e.g. to feed a peer

    std::uint64_t TickCount() override { return ticks; }
    std::int64_t CalendarSeconds() override { return seconds; }
    double Now() override { return now; }
    void Sleep(unsigned milliseconds) override
    {
        Advance(milliseconds);
        ++sleeps;
        if (onSleep)
            onSleep(milliseconds);
    }

    void Advance(std::uint64_t milliseconds)
    {
        const std::uint64_t before = ticks;
        ticks += milliseconds;
        seconds += static_cast<std::int64_t>(ticks / 1000 - before / 1000);
        now += static_cast<double>(milliseconds) / 86'400'000.0;
    }
};
