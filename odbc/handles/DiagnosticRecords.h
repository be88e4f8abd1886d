#pragma once
// The one reader of a handle's diagnostic records (SQLGetDiagRec), for the error collection and for
// the statement's quiet reads of what a call that did not fail as a whole left. A driver that never
// answers SQL_NO_DATA must not hold the program: at most kMostDiagnosticRecords are read. A message
// longer than the first buffer is read again whole.
#include "odbc/handles/OdbcError.h"

#include <cstdint>
#include <functional>
#include <vector>

constexpr int kMostDiagnosticRecords = 1000;

struct DiagnosticRecords
{
    std::vector<TErrorRec> records;
    // The reads ended on SQL_NO_DATA: the handle holds no record beyond these.
    bool complete = false;
};

// accepted says which return codes of a read give a record (the error collection's rule of success);
// the reads stop at the first other code. Without SQLGetDiagRec in the driver manager: no records.
DiagnosticRecords ReadDiagnosticRecords(std::int16_t handleType, void* handle,
                                        const std::function<bool(std::int16_t)>& accepted);
