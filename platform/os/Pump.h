#pragma once
// Keeps the user interface responsive while a synchronous exchange waits: the real pump processes
// the pending events of the Qt event loop, a fake counts calls or runs scripted actions.
class Pump
{
public:
    virtual ~Pump() = default;

    // Handles every event that is pending now and returns; never blocks.
    virtual void ProcessMessages() = 0;
};
