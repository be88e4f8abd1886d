#pragma once
// Time as the program sees it. Code that waits or measures takes a Clock so that tests can run it
// on a fake one and never sleep for real.
#include <cstdint>

class Clock
{
public:
    virtual ~Clock() = default;

    // Milliseconds from a fixed, monotonic origin (never goes back when the wall clock is set).
    virtual std::uint64_t TickCount() = 0;
    // Calendar time in whole seconds since the Unix epoch.
    virtual std::int64_t CalendarSeconds() = 0;
    // Local date and time as days since 1899-12-30 with the time of day as the fraction.
    virtual double Now() = 0;
    // Blocks the calling thread for the given milliseconds (a fake advances its time instead).
    virtual void Sleep(unsigned milliseconds) = 0;
};
