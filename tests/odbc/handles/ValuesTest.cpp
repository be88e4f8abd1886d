// Buffer conversions as tables: text to each C type and back, time stamps, rounding, refusals.
#include "odbc/handles/Values.h"
#include "platform/core/Exception.h"

#include <sqlext.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Buffer
{
    alignas(16) unsigned char bytes[64];
    Buffer() { std::memset(bytes, 0xAB, sizeof bytes); }
};

} // namespace

TEST(Values, TextRoundTripsThroughEachCType)
{
    struct Case
    {
        const char* name;
        SQLSMALLINT type;
        const char* in;
        const char* out; // ToString with stTrimTrailing
    };
    const Case cases[] = {
        {"char", SQL_C_CHAR, "abc", "abc"},
        {"bit", SQL_C_BIT, "1", "1"},
        {"signed tiny", SQL_C_STINYINT, "-128", "-128"},
        {"unsigned tiny", SQL_C_UTINYINT, "255", "255"},
        {"tiny from negative keeps the low byte", SQL_C_UTINYINT, "-1", "255"},
        {"signed short", SQL_C_SSHORT, "-32768", "-32768"},
        {"unsigned short", SQL_C_USHORT, "65535", "65535"},
        {"short from 65535 reads signed", SQL_C_SSHORT, "65535", "-1"},
        {"long", SQL_C_SLONG, "-2147483648", "-2147483648"},
        {"long hex dollar", SQL_C_SLONG, "$FF", "255"},
        {"long hex 0x", SQL_C_SLONG, "0x7fffffff", "2147483647"},
        {"long hex bit pattern", SQL_C_SLONG, "$FFFFFFFF", "-1"},
        {"unsigned long max", SQL_C_ULONG, "4294967295", "4294967295"},
        {"unsigned long from -1", SQL_C_ULONG, "-1", "4294967295"},
        {"leading blanks allowed", SQL_C_SLONG, "  12  ", "12"},
        {"double", SQL_C_DOUBLE, "1.5", " 1.50000000000000E+0000"},
        {"double negative exponent", SQL_C_DOUBLE, "-2.5e-3", "-2.50000000000000E-0003"},
        {"double zero", SQL_C_DOUBLE, "0", " 0.00000000000000E+0000"},
        {"float", SQL_C_FLOAT, "0.25", " 2.50000000000000E-0001"},
        {"date", SQL_C_TYPE_DATE, "2001-02-03", "2001-02-03"},
        {"date any separators", SQL_C_TYPE_DATE, "2001/02/03", "2001-02-03"},
        {"time", SQL_C_TYPE_TIME, "04:05:06", "04:05:06"},
        {"stamp fraction as written", SQL_C_TYPE_TIMESTAMP, "2001-02-03 04:05:06.5",
         "2001-02-03 04:05:06.000000005"},
        {"stamp nine digits", SQL_C_TYPE_TIMESTAMP, "1999-12-31 23:59:59.123456789",
         "1999-12-31 23:59:59.123456789"},
    };
    for (const Case& k : cases) {
        Buffer b;
        ASSERT_TRUE(ToValue(k.in, b.bytes, sizeof b.bytes, k.type, stTrimTrailing)) << k.name;
        EXPECT_EQ(ToString(b.bytes, k.type, stTrimTrailing), k.out) << k.name;
    }
}

TEST(Values, RefusedTexts)
{
    struct Case
    {
        const char* name;
        SQLSMALLINT type;
        const char* in;
        SqlLen capacity;
    };
    const Case cases[] = {
        {"trailing garbage", SQL_C_SLONG, "12x", 64},
        {"trailing blank without trimming", SQL_C_SLONG, "12 ", 64},
        {"empty number", SQL_C_SLONG, "", 64},
        {"long above signed range", SQL_C_SLONG, "4294967295", 64},
        {"long below range", SQL_C_SLONG, "-2147483649", 64},
        {"unsigned long above range", SQL_C_ULONG, "4294967296", 64},
        {"byte above range", SQL_C_UTINYINT, "256", 64},
        {"byte below range", SQL_C_STINYINT, "-129", 64},
        {"short above range", SQL_C_SSHORT, "65536", 64},
        {"hex beyond width", SQL_C_USHORT, "$10000", 64},
        {"float word", SQL_C_DOUBLE, "inf", 64},
        {"float comma", SQL_C_DOUBLE, "1,5", 64},
        {"float overflow", SQL_C_FLOAT, "1e300", 64},
        {"short date", SQL_C_TYPE_DATE, "2001-2-3", 64},
        {"date letters", SQL_C_TYPE_DATE, "2001-ab-03", 64},
        {"short time", SQL_C_TYPE_TIME, "4:05:06", 64},
        {"stamp without fraction", SQL_C_TYPE_TIMESTAMP, "2001-02-03 04:05:06", 64},
        {"text longer than buffer", SQL_C_CHAR, "abcd", 4},
        {"binary longer than buffer", SQL_C_BINARY, "abcde", 4},
        {"fixed type in short buffer", SQL_C_DOUBLE, "1", 4},
        {"bigint not handled", SQL_C_SBIGINT, "1", 64},
        {"default type", SQL_C_DEFAULT, "1", 64},
    };
    for (const Case& k : cases) {
        Buffer b;
        EXPECT_FALSE(ToValue(k.in, b.bytes, k.capacity, k.type, stNone)) << k.name;
        if (k.capacity < 64) {
            EXPECT_EQ(b.bytes[k.capacity], 0xAB) << k.name << ": wrote past the buffer";
        }
    }
    Buffer b;
    EXPECT_TRUE(ToValue("abc", b.bytes, 4, SQL_C_CHAR, stNone)) << "exactly fits with its terminator";
    EXPECT_TRUE(ToValue("abcd", b.bytes, 4, SQL_C_BINARY, stNone));
}

TEST(Values, TrimmingOfTextAndResults)
{
    EXPECT_EQ(TrimString(" \ta b\r\n", stNone), " \ta b\r\n");
    EXPECT_EQ(TrimString(" \ta b\r\n", stTrimTrailing), " \ta b");
    EXPECT_EQ(TrimString(" \ta b\r\n", stTrimLeading), "a b\r\n");
    EXPECT_EQ(TrimString(" \ta b\r\n", stTrimBoth), "a b");
    double d = 1.5;
    EXPECT_EQ(ToString(&d, SQL_C_DOUBLE, stTrimBoth), "1.50000000000000E+0000");
    Buffer b;
    ASSERT_TRUE(ToValue("  x  ", b.bytes, sizeof b.bytes, SQL_C_CHAR, stTrimTrailing));
    EXPECT_STREQ(reinterpret_cast<char*>(b.bytes), "  x");
}

TEST(Values, NumbersFromBuffers)
{
    double half = 2.5, threeHalves = 3.5, minusHalf = -2.5, big = 1e20;
    float f = 0.5f;
    EXPECT_EQ(ToInteger(&half, SQL_C_DOUBLE), 2);
    EXPECT_EQ(ToInteger(&threeHalves, SQL_C_DOUBLE), 4);
    EXPECT_EQ(ToInteger(&minusHalf, SQL_C_DOUBLE), -2);
    EXPECT_EQ(ToInteger(&f, SQL_C_FLOAT), 0);
    EXPECT_EQ(ToInteger(&big, SQL_C_DOUBLE), 2147483647) << "clamped, not undefined";
    std::uint32_t u = 4294967295u;
    EXPECT_EQ(ToInteger(&u, SQL_C_ULONG), -1);
    EXPECT_EQ(ToDouble(&u, SQL_C_ULONG), 4294967295.0);
    char text[] = " 42 ";
    EXPECT_EQ(ToInteger(text, SQL_C_CHAR), 42);
    EXPECT_EQ(ToDouble(text, SQL_C_CHAR), 42.0);
    char hex[] = "$10";
    EXPECT_EQ(ToInteger(hex, SQL_C_CHAR), 16);
    char bad[] = "4x";
    EXPECT_EQ(ToInteger(bad, SQL_C_CHAR), 0);
    EXPECT_EQ(ToDouble(bad, SQL_C_CHAR), 0.0);
    TTimeStamp ts = NullTS();
    EXPECT_EQ(ToDouble(&ts, SQL_C_TYPE_TIMESTAMP), 0.0);
    EXPECT_EQ(ToString(&ts, SQL_C_BINARY, stNone), "");
}

TEST(Values, TypeMapsAndSizes)
{
    struct Map
    {
        SQLSMALLINT sql, c;
    };
    const Map sqlToC[] = {{SQL_CHAR, SQL_C_CHAR},           {SQL_VARCHAR, SQL_C_CHAR},
                          {SQL_LONGVARCHAR, SQL_C_CHAR},    {SQL_BIGINT, SQL_C_CHAR},
                          {SQL_VARBINARY, SQL_C_BINARY},    {SQL_BIT, SQL_C_BIT},
                          {SQL_TINYINT, SQL_C_STINYINT},    {SQL_SMALLINT, SQL_C_SSHORT},
                          {SQL_INTEGER, SQL_C_SLONG},       {SQL_REAL, SQL_C_FLOAT},
                          {SQL_NUMERIC, SQL_C_DOUBLE},      {SQL_DECIMAL, SQL_C_DOUBLE},
                          {SQL_TYPE_DATE, SQL_C_TYPE_DATE}, {SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP},
                          {SQL_WVARCHAR, SQL_C_DEFAULT},    {9, SQL_C_DEFAULT}};
    for (const Map& m : sqlToC)
        EXPECT_EQ(SqlTypeToColType(m.sql), m.c) << m.sql;
    const Map cToSql[] = {{SQL_CHAR, SQL_C_CHAR},           {SQL_BINARY, SQL_C_BINARY},
                          {SQL_TINYINT, SQL_C_UTINYINT},    {SQL_SMALLINT, SQL_C_USHORT},
                          {SQL_INTEGER, SQL_C_ULONG},       {SQL_BIGINT, SQL_C_SBIGINT},
                          {SQL_REAL, SQL_C_FLOAT},          {SQL_DOUBLE, SQL_C_DOUBLE},
                          {SQL_TYPE_TIME, SQL_C_TYPE_TIME}, {SQL_C_DEFAULT, SQL_C_LONG}};
    for (const Map& m : cToSql)
        EXPECT_EQ(ColTypeToSqlType(m.c), m.sql) << m.c;
    EXPECT_EQ(PhysSize(SQL_C_SLONG), 4);
    EXPECT_EQ(PhysSize(SQL_C_LONG), 0);
    EXPECT_EQ(PhysSize(SQL_C_CHAR), 256);
    EXPECT_EQ(PhysSize(SQL_C_TYPE_TIMESTAMP), 16);
    EXPECT_EQ(PhysSize(SQL_C_TYPE_DATE), 6);
    EXPECT_EQ(PhysSize(SQL_C_DEFAULT), 0);
}

TEST(Values, TimeStamps)
{
    const TTimeStamp a = TimeStamp(2000, 1, 1, 0, 0, 0, 0);
    const TTimeStamp b = TimeStamp(1999, 12, 31, 0, 0, 0, 0);
    EXPECT_EQ(TSCompare(a, a), 0);
    EXPECT_EQ(TSCompare(a, b), 1);
    EXPECT_EQ(TSCompare(b, a), -1);
    EXPECT_EQ(TSCompare(TimeStamp(-1, 1, 1, 0, 0, 0, 0), TimeStamp(1, 1, 1, 0, 0, 0, 0)), -1)
        << "year is signed";
    EXPECT_EQ(TSCompare(TimeStamp(2000, 1, 1, 0, 0, 0, 2), TimeStamp(2000, 1, 1, 0, 0, 0, 1)), 1);

    const TTimeStamp null = NullTS();
    EXPECT_TRUE(TSEqual(null, TimeStamp(1899, 12, 30, 0, 0, 0, 0)));
    EXPECT_TRUE(TSNull(DateTimeToTS(0)));
    EXPECT_EQ(TSToDateTime(TimeStamp(1900, 1, 1, 12, 0, 0, 0)), 2.5);
    EXPECT_EQ(TSToDateTime(TimeStamp(1899, 12, 29, 6, 0, 0, 0)), -1.25);
    const TTimeStamp precise = TimeStamp(2024, 2, 29, 23, 59, 58, 999000000);
    EXPECT_TRUE(TSEqual(DateTimeToTS(TSToDateTime(precise)), precise));
    const TTimeStamp early = DateTimeToTS(-1.25);
    EXPECT_TRUE(TSEqual(early, TimeStamp(1899, 12, 29, 6, 0, 0, 0)));
    EXPECT_THROW(TSToDateTime(TimeStamp(2023, 2, 29, 0, 0, 0, 0)), EConvertError);
    EXPECT_THROW(TSToDateTime(TimeStamp(2023, 1, 1, 24, 0, 0, 0)), EConvertError);

    const TDate d = TSAsDate(precise);
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.day, 29);
    const TTimeStamp back = DateAsTS(d);
    EXPECT_EQ(back.hour, 0);
    EXPECT_EQ(back.day, 29);
    const TTimeStamp timeOnly = TimeAsTS(TSAsTime(precise));
    EXPECT_EQ(timeOnly.year, 1899);
    EXPECT_EQ(timeOnly.minute, 59);
    EXPECT_EQ(timeOnly.fraction, 0u);

    TDate date{2001, 2, 3};
    const TTimeStamp fromDate = ToTimeStamp(&date, SQL_C_TYPE_DATE);
    EXPECT_TRUE(TSEqual(fromDate, TimeStamp(2001, 2, 3, 0, 0, 0, 0)));
    int other = 5;
    EXPECT_TRUE(TSNull(ToTimeStamp(&other, SQL_C_SLONG)));
}

TEST(Values, DatePartsPadAndFractionFollowsFractional)
{
    TDate d{5, 2, 3};
    EXPECT_EQ(ToString(&d, SQL_C_TYPE_DATE, stNone), "05-02-03");
    TTimeStamp ts = TimeStamp(2001, 2, 3, 4, 5, 6, 500);
    EXPECT_EQ(ToString(&ts, SQL_C_TYPE_TIMESTAMP, stNone), "2001-02-03 04:05:06.000000500");
    const std::int32_t saved = Fractional;
    Fractional = 3;
    EXPECT_EQ(ToString(&ts, SQL_C_TYPE_TIMESTAMP, stNone), "2001-02-03 04:05:06.500");
    Fractional = saved;
}

TEST(Values, PointerArithmetic)
{
    char rows[30];
    EXPECT_EQ(RowOffset(rows, 1, 10), rows);
    EXPECT_EQ(RowOffset(rows, 3, 10), rows + 20);
    EXPECT_EQ(OffsetPointer(rows, 7), rows + 7);
}
