#include "odbc/handles/DiagnosticRecords.h"

#include "odbc/base/OcihError.h"
#include "odbc/driver/Oci.h"

#include <cstring>
#include <string>

namespace {

SQLRETURN ReadRecord(std::int16_t handleType, void* handle, SQLSMALLINT number, SQLCHAR (&state)[6],
                     SQLINTEGER& native, std::string& message, SQLSMALLINT& length)
{
    try {
        return Oci::SQLGetDiagRec(handleType, handle, number, state, &native,
                                  reinterpret_cast<SQLCHAR*>(message.data()),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
    } catch (const RIDIZOrurori&) {
        return SQL_ERROR; // the driver manager lacks the entry point: no records to read
    }
}

} // namespace

DiagnosticRecords ReadDiagnosticRecords(std::int16_t handleType, void* handle,
                                        const std::function<bool(std::int16_t)>& accepted)
{
    DiagnosticRecords read;
    for (SQLSMALLINT number = 1; number <= kMostDiagnosticRecords; ++number) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::string message(SQL_MAX_MESSAGE_LENGTH, '\0');
        SQLSMALLINT length = 0;
        SQLRETURN rc = ReadRecord(handleType, handle, number, state, native, message, length);
        if (SQL_SUCCEEDED(rc) && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.assign(static_cast<std::size_t>(length) + 1, '\0');
            rc = ReadRecord(handleType, handle, number, state, native, message, length);
        }
        if (rc == SQL_NO_DATA) {
            read.complete = true;
            break;
        }
        if (!accepted(rc))
            break;
        message.resize(std::strlen(message.c_str()));
        read.records.push_back(TErrorRec{reinterpret_cast<const char*>(state), native, std::move(message)});
    }
    return read;
}
