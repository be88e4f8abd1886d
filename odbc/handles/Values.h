#pragma once
// Buffers in ODBC's own binary forms: sizes, the SQL type <-> C type maps, and conversions of a
// buffer of any C type to and from text, float, integer and TTimeStamp; plus the time-stamp helpers.
// Type codes are ODBC's (SQL_C_SLONG -16, SQL_INTEGER 4 ...); every length is SQLLEN-wide.
#include "odbc/base/OcihTypes.h"
#include "odbc/handles/Enums.h"

#include <cstdint>
#include <string>
#include <string_view>

using SqlLen = long;           // SQLLEN
using SqlULen = unsigned long; // SQLULEN

// Fraction digits ToString writes for time stamps (9 at start), and the scale assumed for
// time-stamp parameters.
extern std::int32_t Fractional;

// Buffer size of a C type: 256 for text and binary slots, the value's size for the fixed types, 0
// for every other code (SQL_C_DEFAULT, the sign-less SQL_C_LONG/SHORT/TINYINT, ODBC 2 dates).
std::int16_t PhysSize(std::int16_t cType);
std::int16_t SqlTypeToColType(std::int16_t sqlType);
std::int16_t ColTypeToSqlType(std::int16_t cType);

std::string TrimString(std::string_view text, TStringTrimming trimming);

// Converts text into the buffer as cType. capacity is the buffer's size in bytes: text needs
// length + 1 bytes, binary length bytes, the fixed types their PhysSize; anything that does not fit
// is refused. Integers outside the target's range are refused: bytes take -128..255, shorts
// -32768..65535, SQL_C_SLONG the signed 32-bit range (hexadecimal up to $FFFFFFFF as a bit pattern),
// SQL_C_ULONG -2147483648..4294967295. Dates need 10 characters, times 8, time stamps 21 (the
// fraction is stored as written, not scaled). False when nothing valid was stored; the buffer may
// then hold the parts stored before the failing one.
bool ToValue(std::string_view text, void* buffer, SqlLen capacity, std::int16_t cType,
             TStringTrimming trimming);

std::string ToString(const void* buffer, std::int16_t cType, TStringTrimming trimming);
double ToDouble(const void* buffer, std::int16_t cType);
// Floats round half to even; values beyond the 32-bit range are clamped to it.
std::int32_t ToInteger(const void* buffer, std::int16_t cType);
TTimeStamp ToTimeStamp(const void* buffer, std::int16_t cType);

TTimeStamp TimeStamp(std::int16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
                     std::uint16_t minute, std::uint16_t second, std::uint32_t fraction);
bool TSEqual(const TTimeStamp& a, const TTimeStamp& b);
// True when b is later than a.
bool TimeStampGreater(const TTimeStamp& a, const TTimeStamp& b);
// -1 when a is earlier, 0 when equal, 1 otherwise.
int TSCompare(const TTimeStamp& a, const TTimeStamp& b);

// The platform date-time value (TDateTime of platform/core/DateTime.h: days since 1899-12-30, the
// time as the fraction). TSToDateTime raises EConvertError for an impossible date or time.
double TSToDateTime(const TTimeStamp& ts);
TTimeStamp DateTimeToTS(double value);
TTimeStamp NullTS();
bool TSNull(const TTimeStamp& ts);
TDate TSAsDate(const TTimeStamp& ts);
TTimeStamp DateAsTS(const TDate& date);
TTime TSAsTime(const TTimeStamp& ts);
TTimeStamp TimeAsTS(const TTime& time);

inline void* OffsetPointer(void* p, SqlLen offset)
{
    return static_cast<char*>(p) + offset;
}
inline const void* OffsetPointer(const void* p, SqlLen offset)
{
    return static_cast<const char*>(p) + offset;
}
// base + (row - 1) * size; rows count from 1.
inline void* RowOffset(void* base, SqlULen row, SqlLen size)
{
    return static_cast<char*>(base) + static_cast<SqlLen>(row - 1) * size;
}
