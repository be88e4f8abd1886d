#pragma once
// The real pump: hands the pending events of the Qt event loop to their handlers.
#include "platform/os/Pump.h"

class QtPump : public Pump
{
public:
    void ProcessMessages() override;
};
