#pragma once
// The shared base of the ODBC class library: its exception, the ODBC date and time records, pointer
// aliases, number reading, string helpers and the trace hook.
#include "odbc/datasets/OcihError.h"
#include "odbc/datasets/OcihNumbers.h"
#include "odbc/datasets/OcihText.h"
#include "odbc/datasets/OcihTypes.h"
