#include "reader/Delay.h"

#include <algorithm>

bool Delay(Clock& clock, Pump& pump, unsigned milliseconds, const CancelFlag* cancel)
{
    constexpr std::uint64_t kSlice = 5;
    const std::uint64_t start = clock.TickCount();
    while (clock.TickCount() - start < milliseconds) {
        pump.ProcessMessages();
        if (cancel && cancel->Cancelled())
            return false;
        const std::uint64_t elapsed = clock.TickCount() - start;
        if (elapsed >= milliseconds)
            return true;
        clock.Sleep(static_cast<unsigned>(std::min(milliseconds - elapsed, kSlice)));
    }
    return true;
}
