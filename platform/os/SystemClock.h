#pragma once
// The real clock: the monotonic system clock for ticks, the calendar clock for dates, nanosleep for
// waiting.
#include "platform/os/Clock.h"

class SystemClock : public Clock
{
public:
    std::uint64_t TickCount() override;
    std::int64_t CalendarSeconds() override;
    double Now() override;
    void Sleep(unsigned milliseconds) override;
};
