#pragma once
// The shared base of the ODBC class library: its exception, the ODBC date and time records, pointer
// aliases, number reading, string helpers and the trace hook.
#include "odbc/base/OcihError.h"
#include "odbc/base/OcihNumbers.h"
#include "odbc/base/OcihText.h"
#include "odbc/base/OcihTypes.h"
