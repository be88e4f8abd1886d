#include "odbc/handles/Values.h"

#include "odbc/base/OcihNumbers.h"
#include "odbc/base/OcihText.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/core/Unaligned.h"

#include <sqlext.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

static_assert(sizeof(SqlLen) == sizeof(SQLLEN) && sizeof(SqlULen) == sizeof(SQLULEN));

std::int32_t Fractional = 9;

namespace {

// Reads an integer and checks it against [low, high]; hexadecimal text may also give any bit
// pattern of the width (hexMax).
bool ReadRanged(std::string_view text, std::int64_t low, std::int64_t high, std::int64_t hexMax,
                std::int64_t& value)
{
    bool hex = false;
    if (!ValInteger(text, value, hex))
        return false;
    if (hex && value >= 0 && value <= hexMax)
        return true;
    return value >= low && value <= high;
}

// One numeric part of a date or time text: the characters [first, first + count) read as an integer.
bool Part(std::string_view text, std::size_t first, std::size_t count, std::int64_t low, std::int64_t high,
          std::int64_t& value)
{
    return ValInteger(text.substr(first, count), value) && value >= low && value <= high;
}

std::string Padded(std::int64_t value, std::int32_t digits)
{
    std::string text = std::to_string(value);
    if (static_cast<std::int64_t>(text.size()) < digits)
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    return text;
}

// The platform's standard scientific form: sign or blank, d.dddddddddddddd, E, sign, four digits.
std::string Scientific(double value)
{
    if (std::isnan(value))
        return "Nan";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "+Inf";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14E", std::fabs(value));
    std::string text(buffer);
    const std::size_t e = text.find('E');
    const char sign = text[e + 1];
    const int exponent = std::atoi(text.c_str() + e + 2);
    std::snprintf(buffer, sizeof buffer, "%c%s%c%04d", std::signbit(value) && value != 0 ? '-' : ' ',
                  text.substr(0, e + 1).c_str(), sign, exponent);
    return buffer;
}

} // namespace

std::int16_t PhysSize(std::int16_t cType)
{
    switch (cType) {
    case SQL_C_CHAR:
    case SQL_C_BINARY:
        return 256;
    case SQL_C_BIT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
        return 1;
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
        return 2;
    case SQL_C_SLONG:
    case SQL_C_ULONG:
    case SQL_C_FLOAT:
        return 4;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_DOUBLE:
        return 8;
    case SQL_C_TYPE_DATE:
    case SQL_C_TYPE_TIME:
        return 6;
    case SQL_C_TYPE_TIMESTAMP:
        return 16;
    default:
        return 0;
    }
}

std::int16_t SqlTypeToColType(std::int16_t sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_BIGINT: // 64-bit integers travel as text
        return SQL_C_CHAR;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return SQL_C_BINARY;
    case SQL_BIT:
        return SQL_C_BIT;
    case SQL_TINYINT:
        return SQL_C_STINYINT;
    case SQL_SMALLINT:
        return SQL_C_SSHORT;
    case SQL_INTEGER:
        return SQL_C_SLONG;
    case SQL_REAL:
        return SQL_C_FLOAT;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return SQL_C_DOUBLE;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
        return sqlType;
    default:
        return SQL_C_DEFAULT;
    }
}

std::int16_t ColTypeToSqlType(std::int16_t cType)
{
    switch (cType) {
    case SQL_C_CHAR:
        return SQL_CHAR;
    case SQL_C_BINARY:
        return SQL_BINARY;
    case SQL_C_BIT:
        return SQL_BIT;
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
        return SQL_TINYINT;
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
        return SQL_SMALLINT;
    case SQL_C_SLONG:
    case SQL_C_ULONG:
        return SQL_INTEGER;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
        return SQL_BIGINT;
    case SQL_C_FLOAT:
        return SQL_REAL;
    case SQL_C_DOUBLE:
        return SQL_DOUBLE;
    case SQL_C_TYPE_DATE:
    case SQL_C_TYPE_TIME:
    case SQL_C_TYPE_TIMESTAMP:
        return cType;
    default:
        return SQL_C_DEFAULT;
    }
}

std::string TrimString(std::string_view text, TStringTrimming trimming)
{
    auto low = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    if (trimming == stTrimTrailing || trimming == stTrimBoth) {
        while (!text.empty() && low(text.back()))
            text.remove_suffix(1);
    }
    if (trimming == stTrimLeading || trimming == stTrimBoth) {
        while (!text.empty() && low(text.front()))
            text.remove_prefix(1);
    }
    return std::string(text);
}

bool ToValue(std::string_view source, void* buffer, SqlLen capacity, std::int16_t cType,
             TStringTrimming trimming)
{
    const std::string text = TrimString(source, trimming);
    const auto length = static_cast<SqlLen>(text.size());
    if (cType == SQL_C_CHAR) {
        if (capacity < length + 1)
            return false;
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return true;
    }
    if (cType == SQL_C_BINARY) {
        if (capacity < length)
            return false;
        std::memcpy(buffer, text.data(), text.size());
        return true;
    }
    const std::int16_t size = PhysSize(cType);
    if (size == 0 || capacity < size)
        return false;

    std::int64_t v = 0;
    switch (cType) {
    case SQL_C_DOUBLE:
    case SQL_C_FLOAT: {
        double d = 0;
        if (!ValFloat(text, d))
            return false;
        if (cType == SQL_C_DOUBLE) {
            StoreUnaligned(buffer, d);
        } else {
            if (std::fabs(d) > std::numeric_limits<float>::max())
                return false;
            StoreUnaligned(buffer, static_cast<float>(d));
        }
        return true;
    }
    case SQL_C_BIT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
        if (!ReadRanged(text, -128, 255, 0xFF, v))
            return false;
        StoreUnaligned(buffer, static_cast<std::uint8_t>(v));
        return true;
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
        if (!ReadRanged(text, -32768, 65535, 0xFFFF, v))
            return false;
        StoreUnaligned(buffer, static_cast<std::uint16_t>(v));
        return true;
    case SQL_C_SLONG:
        if (!ReadRanged(text, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max(), 0xFFFFFFFF, v))
            return false;
        StoreUnaligned(buffer, static_cast<std::uint32_t>(v));
        return true;
    case SQL_C_ULONG:
        if (!ReadRanged(text, std::numeric_limits<std::int32_t>::min(), 0xFFFFFFFF, 0xFFFFFFFF, v))
            return false;
        StoreUnaligned(buffer, static_cast<std::uint32_t>(v));
        return true;
    case SQL_C_TYPE_DATE: {
        if (text.size() < 10)
            return false;
        auto* date = static_cast<TDate*>(buffer);
        std::int64_t y = 0, m = 0, d = 0;
        if (!Part(text, 0, 4, -32768, 32767, y))
            return false;
        date->year = static_cast<std::int16_t>(y);
        if (!Part(text, 5, 2, 0, 65535, m))
            return false;
        date->month = static_cast<std::uint16_t>(m);
        if (!Part(text, 8, 2, 0, 65535, d))
            return false;
        date->day = static_cast<std::uint16_t>(d);
        return true;
    }
    case SQL_C_TYPE_TIME: {
        if (text.size() < 8)
            return false;
        auto* time = static_cast<TTime*>(buffer);
        std::int64_t h = 0, n = 0, s = 0;
        if (!Part(text, 0, 2, 0, 65535, h))
            return false;
        time->hour = static_cast<std::uint16_t>(h);
        if (!Part(text, 3, 2, 0, 65535, n))
            return false;
        time->minute = static_cast<std::uint16_t>(n);
        if (!Part(text, 6, 2, 0, 65535, s))
            return false;
        time->second = static_cast<std::uint16_t>(s);
        return true;
    }
    case SQL_C_TYPE_TIMESTAMP: {
        if (text.size() < 21)
            return false;
        auto* ts = static_cast<TTimeStamp*>(buffer);
        std::int64_t p = 0;
        if (!Part(text, 0, 4, -32768, 32767, p))
            return false;
        ts->year = static_cast<std::int16_t>(p);
        const std::size_t starts[] = {5, 8, 11, 14, 17};
        std::uint16_t* fields[] = {&ts->month, &ts->day, &ts->hour, &ts->minute, &ts->second};
        for (int i = 0; i < 5; ++i) {
            if (!Part(text, starts[i], 2, 0, 65535, p))
                return false;
            *fields[i] = static_cast<std::uint16_t>(p);
        }
        if (!Part(text, 20, std::string::npos, 0, 0xFFFFFFFF, p))
            return false;
        ts->fraction = static_cast<std::uint32_t>(p);
        return true;
    }
    default:
        return false;
    }
}

namespace {

// Hands the number a buffer of a numeric C type holds, in its own C++ type, to visit; false (visit
// not called) for the other C types (text, dates, times). The one place that knows how each numeric
// C type is laid out, for the text, double and integer readings below.
template <class Visit> bool VisitNumber(const void* buffer, std::int16_t cType, Visit&& visit)
{
    switch (cType) {
    case SQL_C_BIT:
    case SQL_C_UTINYINT:
        visit(LoadUnaligned<std::uint8_t>(buffer));
        return true;
    case SQL_C_STINYINT:
        visit(LoadUnaligned<std::int8_t>(buffer));
        return true;
    case SQL_C_USHORT:
        visit(LoadUnaligned<std::uint16_t>(buffer));
        return true;
    case SQL_C_SSHORT:
        visit(LoadUnaligned<std::int16_t>(buffer));
        return true;
    case SQL_C_SLONG:
        visit(LoadUnaligned<std::int32_t>(buffer));
        return true;
    case SQL_C_ULONG:
        visit(LoadUnaligned<std::uint32_t>(buffer));
        return true;
    case SQL_C_DOUBLE:
        visit(LoadUnaligned<double>(buffer));
        return true;
    case SQL_C_FLOAT:
        visit(LoadUnaligned<float>(buffer));
        return true;
    default:
        return false;
    }
}

// A floating value as a 32-bit integer: halves to the even neighbour (nearbyint in the default
// rounding mode), held within the type's range, NaN as 0.
std::int32_t RoundedInteger(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (rounded >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

} // namespace

std::string ToString(const void* buffer, std::int16_t cType, TStringTrimming trimming)
{
    std::string text;
    const bool number = VisitNumber(buffer, cType, [&text](auto value) {
        if constexpr (std::is_floating_point_v<decltype(value)>)
            text = Scientific(value);
        else
            text = std::to_string(value);
    });
    if (number)
        return TrimString(text, trimming);
    switch (cType) {
    case SQL_C_CHAR:
        text = static_cast<const char*>(buffer);
        break;
    case SQL_C_TYPE_DATE: {
        const auto d = LoadUnaligned<TDate>(buffer);
        text = LeadingZeros(d.year, 1) + "-" + LeadingZeros(d.month, 1) + "-" + LeadingZeros(d.day, 1);
        break;
    }
    case SQL_C_TYPE_TIME: {
        const auto t = LoadUnaligned<TTime>(buffer);
        text = LeadingZeros(t.hour, 1) + ":" + LeadingZeros(t.minute, 1) + ":" + LeadingZeros(t.second, 1);
        break;
    }
    case SQL_C_TYPE_TIMESTAMP: {
        const auto ts = LoadUnaligned<TTimeStamp>(buffer);
        text = LeadingZeros(ts.year, 1) + "-" + LeadingZeros(ts.month, 1) + "-" + LeadingZeros(ts.day, 1) +
               " " + LeadingZeros(ts.hour, 1) + ":" + LeadingZeros(ts.minute, 1) + ":" +
               LeadingZeros(ts.second, 1) + "." + Padded(ts.fraction, Fractional);
        break;
    }
    default:
        break;
    }
    return TrimString(text, trimming);
}

double ToDouble(const void* buffer, std::int16_t cType)
{
    double result = 0.0;
    if (VisitNumber(buffer, cType, [&result](auto value) { result = static_cast<double>(value); }))
        return result;
    if (cType == SQL_C_CHAR && !ValFloat(ToString(buffer, cType, stTrimBoth), result))
        return 0.0;
    return result;
}

std::int32_t ToInteger(const void* buffer, std::int16_t cType)
{
    std::int32_t result = 0;
    const bool number = VisitNumber(buffer, cType, [&result](auto value) {
        if constexpr (std::is_floating_point_v<decltype(value)>)
            result = RoundedInteger(value);
        else
            result = static_cast<std::int32_t>(value); // an unsigned 32-bit value keeps its bits
    });
    if (number || cType != SQL_C_CHAR)
        return result;
    std::int64_t value = 0;
    if (!ReadRanged(ToString(buffer, cType, stTrimBoth), std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max(), 0xFFFFFFFF, value))
        return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

TTimeStamp ToTimeStamp(const void* buffer, std::int16_t cType)
{
    TTimeStamp ts = NullTS();
    switch (cType) {
    case SQL_C_TYPE_DATE: {
        const auto d = LoadUnaligned<TDate>(buffer);
        ts.year = d.year;
        ts.month = d.month;
        ts.day = d.day;
        break;
    }
    case SQL_C_TYPE_TIME: {
        const auto t = LoadUnaligned<TTime>(buffer);
        ts.hour = t.hour;
        ts.minute = t.minute;
        ts.second = t.second;
        break;
    }
    case SQL_C_TYPE_TIMESTAMP:
        ts = LoadUnaligned<TTimeStamp>(buffer);
        break;
    default:
        break;
    }
    return ts;
}

TTimeStamp TimeStamp(std::int16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
                     std::uint16_t minute, std::uint16_t second, std::uint32_t fraction)
{
    return TTimeStamp{year, month, day, hour, minute, second, fraction};
}

bool TSEqual(const TTimeStamp& a, const TTimeStamp& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.fraction == b.fraction;
}

bool TimeStampGreater(const TTimeStamp& a, const TTimeStamp& b)
{
    if (a.year != b.year)
        return b.year > a.year;
    if (a.month != b.month)
        return b.month > a.month;
    if (a.day != b.day)
        return b.day > a.day;
    if (a.hour != b.hour)
        return b.hour > a.hour;
    if (a.minute != b.minute)
        return b.minute > a.minute;
    if (a.second != b.second)
        return b.second > a.second;
    return b.fraction > a.fraction;
}

int TSCompare(const TTimeStamp& a, const TTimeStamp& b)
{
    if (TSEqual(a, b))
        return 0;
    return TimeStampGreater(a, b) ? -1 : 1;
}

double TSToDateTime(const TTimeStamp& ts)
{
    const TDateTime date = EncodeDate(ts.year, ts.month, ts.day);
    const TDateTime time = EncodeTime(ts.hour, ts.minute, ts.second, static_cast<int>(ts.fraction / 1000000));
    // Before day zero the time still counts forward into the day.
    return date >= 0 ? date + time : date - time;
}

TTimeStamp DateTimeToTS(double value)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    return TimeStamp(static_cast<std::int16_t>(year), static_cast<std::uint16_t>(month),
                     static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hour),
                     static_cast<std::uint16_t>(minute), static_cast<std::uint16_t>(second),
                     static_cast<std::uint32_t>(msec) * 1000000u);
}

TTimeStamp NullTS()
{
    return TTimeStamp{1899, 12, 30, 0, 0, 0, 0};
}

bool TSNull(const TTimeStamp& ts)
{
    return TSEqual(ts, NullTS());
}

TDate TSAsDate(const TTimeStamp& ts)
{
    return TDate{ts.year, ts.month, ts.day};
}

TTimeStamp DateAsTS(const TDate& date)
{
    TTimeStamp ts = NullTS();
    ts.year = date.year;
    ts.month = date.month;
    ts.day = date.day;
    return ts;
}

TTime TSAsTime(const TTimeStamp& ts)
{
    return TTime{ts.hour, ts.minute, ts.second};
}

TTimeStamp TimeAsTS(const TTime& time)
{
    TTimeStamp ts = NullTS();
    ts.hour = time.hour;
    ts.minute = time.minute;
    ts.second = time.second;
    return ts;
}
