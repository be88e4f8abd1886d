// Proves that the library's own records and aliases match the driver manager's headers, so a buffer
// of ours can be handed to the driver as the ODBC struct it expects.
#include "odbc/base/OcihTypes.h"

#include <cstddef>
#include <sqltypes.h>
#include <type_traits>

static_assert(sizeof(TTimeStamp) == sizeof(SQL_TIMESTAMP_STRUCT));
static_assert(offsetof(TTimeStamp, year) == offsetof(SQL_TIMESTAMP_STRUCT, year));
static_assert(offsetof(TTimeStamp, month) == offsetof(SQL_TIMESTAMP_STRUCT, month));
static_assert(offsetof(TTimeStamp, day) == offsetof(SQL_TIMESTAMP_STRUCT, day));
static_assert(offsetof(TTimeStamp, hour) == offsetof(SQL_TIMESTAMP_STRUCT, hour));
static_assert(offsetof(TTimeStamp, minute) == offsetof(SQL_TIMESTAMP_STRUCT, minute));
static_assert(offsetof(TTimeStamp, second) == offsetof(SQL_TIMESTAMP_STRUCT, second));
static_assert(offsetof(TTimeStamp, fraction) == offsetof(SQL_TIMESTAMP_STRUCT, fraction));
static_assert(sizeof(TTimeStamp::fraction) == sizeof(SQLUINTEGER));

static_assert(sizeof(TDate) == sizeof(SQL_DATE_STRUCT));
static_assert(offsetof(TDate, year) == offsetof(SQL_DATE_STRUCT, year));
static_assert(offsetof(TDate, month) == offsetof(SQL_DATE_STRUCT, month));
static_assert(offsetof(TDate, day) == offsetof(SQL_DATE_STRUCT, day));

static_assert(sizeof(TTime) == sizeof(SQL_TIME_STRUCT));
static_assert(offsetof(TTime, hour) == offsetof(SQL_TIME_STRUCT, hour));
static_assert(offsetof(TTime, minute) == offsetof(SQL_TIME_STRUCT, minute));
static_assert(offsetof(TTime, second) == offsetof(SQL_TIME_STRUCT, second));

static_assert(std::is_same_v<SQLCHARPtr, SQLCHAR*>);
static_assert(std::is_same_v<SQLSCHARPtr, SQLSCHAR*>);
static_assert(std::is_same_v<SQLSMALLINTPtr, SQLSMALLINT*>);
static_assert(std::is_same_v<SQLUSMALLINTPtr, SQLUSMALLINT*>);
static_assert(std::is_same_v<SQLINTEGERPtr, SQLINTEGER*>);
static_assert(std::is_same_v<SQLUINTEGERPtr, SQLUINTEGER*>);
static_assert(std::is_same_v<SQLREALPtr, SQLREAL*>);
static_assert(std::is_same_v<SQLDOUBLEPtr, SQLDOUBLE*>);
static_assert(std::is_same_v<SQLPOINTERPtr, SQLPOINTER*>);
static_assert(std::is_same_v<SQLBIGINTPtr, SQLBIGINT*>);
static_assert(std::is_same_v<SQLUBIGINTPtr, SQLUBIGINT*>);
static_assert(std::is_same_v<SQLHANDLEPtr, SQLHANDLE*>);
