#pragma once
// Kinds shared by the library's small controls; their event types are the platform's controls'
// (platform/ui/Control.h): the sender is the control that raises the event, an empty function
// means "not assigned", key codes are Qt's and a handler may set a key to 0 to swallow it.
#include "platform/ui/Control.h"

enum TIntFloatKind
{
    ifkInt,
    ifkFloat,
};
