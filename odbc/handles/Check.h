#pragma once
// The one checkpoint every ODBC call of the handle classes passes: the return code is stored in the
// calling object and, unless the shared environment's error object accepts it, raised as EODBC with
// all diagnostic records. Returns whether the call succeeded (false after a vetoed or suppressed
// failure, so callers never take a failed call for a successful one).
#include <cstdint>

class THbase;

bool CheckCall(THbase& owner, std::int16_t rc);
