#pragma once
// A wait that keeps the window responsive: it pumps the event queue and sleeps in short slices until
// the time has passed, so it costs next to no CPU. Delay(0) returns at once without pumping.
#include "platform/os/Clock.h"
#include "platform/os/Pump.h"
#include "reader/CancelFlag.h"

// False when the cancel flag was set before the time had passed (it is looked at after each pump).
bool Delay(Clock& clock, Pump& pump, unsigned milliseconds, const CancelFlag* cancel = nullptr);
