#pragma once
// The ODBC class library's own exception. Every fixed-text error of the library ("Error Loading
// Library: ODBC32.DLL", "Cannot return information for more than one function at a time." ...) is
// raised as RIDIZOrurori; EODBC, which carries diagnostic records, derives from it, so one handler
// catches both.
#include "platform/core/Exception.h"

class RIDIZOrurori : public Exception
{
public:
    using Exception::Exception;
};
