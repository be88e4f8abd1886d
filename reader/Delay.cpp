#include "reader/Delay.h"

#include <algorithm>

void Delay(Clock& clock, Pump& pump, unsigned milliseconds)
{
    constexpr std::uint64_t kSlice = 5;
    const std::uint64_t start = clock.TickCount();
    while (clock.TickCount() - start < milliseconds) {
        pump.ProcessMessages();
        const std::uint64_t elapsed = clock.TickCount() - start;
        if (elapsed >= milliseconds)
            return;
        clock.Sleep(static_cast<unsigned>(std::min(milliseconds - elapsed, kSlice)));
    }
}
