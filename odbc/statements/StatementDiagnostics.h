#pragma once
// StatementDiagnostics: the diagnostic records a statement handle holds, read without raising (for
// the outcome of a call that did not fail as a whole: a row of an array, a cursor conflict), through
// the error collection's reader (DiagnosticRecords.h) and its limit.
// Include from .cpp files of the statement layer only.
#include "odbc/handles/OdbcError.h"

#include <vector>

std::vector<TErrorRec> StatementDiagnostics(void* handle);
