#pragma once
// The ODBC date and time records and pointer aliases of the ODBC base types.
//
// The records are bound directly as parameter and column buffers, so they have exactly the layout of
// SQL_TIMESTAMP_STRUCT, SQL_DATE_STRUCT and SQL_TIME_STRUCT (checked against sqltypes.h in
// OcihTypes.cpp). They are declared here rather than taken from sqltypes.h so that code including
// this header does not also get that header's Windows-style macros and typedefs.
#include <cstdint>

struct TTimeStamp
{
    std::int16_t year;
    std::uint16_t month;
    std::uint16_t day;
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint32_t fraction; // billionths of a second; the library writes milliseconds * 1000000
};

struct TDate
{
    std::int16_t year;
    std::uint16_t month;
    std::uint16_t day;
};

struct TTime
{
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
};

static_assert(sizeof(TTimeStamp) == 16 && sizeof(TDate) == 6 && sizeof(TTime) == 6);

// Pointers to the ODBC base types of the same name (64-bit unixODBC widths).
using SQLCHARPtr = unsigned char*;
using SQLSCHARPtr = signed char*;
using SQLSMALLINTPtr = std::int16_t*;
using SQLUSMALLINTPtr = std::uint16_t*;
using SQLINTEGERPtr = std::int32_t*;
using SQLUINTEGERPtr = std::uint32_t*;
using SQLREALPtr = float*;
using SQLDOUBLEPtr = double*;
using SQLPOINTERPtr = void**;
using SQLBOOLPtr = unsigned char*;
using SQLBIGINTPtr = long*;
using SQLUBIGINTPtr = unsigned long*;
using SQLHANDLEPtr = void**;
