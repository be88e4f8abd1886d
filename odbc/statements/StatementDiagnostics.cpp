// StatementDiagnostics: every diagnostic record of a statement handle, read without raising.
#include "odbc/statements/StatementDiagnostics.h"

#include "odbc/driver/Oci.h"

std::vector<TErrorRec> StatementDiagnostics(void* handle)
{
    std::vector<TErrorRec> records;
    for (SQLSMALLINT number = 1;; ++number) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[SQL_MAX_MESSAGE_LENGTH] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = Oci::SQLGetDiagRec(SQL_HANDLE_STMT, handle, number, state, &native, message,
                                                static_cast<SQLSMALLINT>(sizeof message), &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        records.push_back(
            TErrorRec{reinterpret_cast<const char*>(state), native, reinterpret_cast<const char*>(message)});
    }
    return records;
}
