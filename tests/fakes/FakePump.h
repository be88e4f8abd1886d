#pragma once
// Counts how often the waiting code handed control to the event loop, and can run a scripted action
// there (a click, a timer, a peer writing its reply).
#include "platform/os/Pump.h"

#include <functional>

class FakePump : public Pump
{
public:
    unsigned calls = 0;
    std::function<void()> onPump;

    void ProcessMessages() override
    {
        ++calls;
        if (onPump)
            onPump();
    }
};
