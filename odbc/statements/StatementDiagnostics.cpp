// StatementDiagnostics: every diagnostic record of a statement handle, read without raising.
#include "odbc/statements/StatementDiagnostics.h"

#include "odbc/handles/DiagnosticRecords.h"

#include <sql.h>

std::vector<TErrorRec> StatementDiagnostics(void* handle)
{
    return ReadDiagnosticRecords(SQL_HANDLE_STMT, handle, [](std::int16_t rc) { return SQL_SUCCEEDED(rc); })
        .records;
}
