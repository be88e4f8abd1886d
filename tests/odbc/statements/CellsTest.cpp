// THstmt's typed cells on real drivers: what each getter reads from each column type, what each
// setter stores, and their edges (NULL, empty text, too long, not a number, display formats).
#include "StatementDatabase.h"

#include "odbc/base/OcihError.h"

#include <limits>

namespace {

struct Read
{
    const char* column;
    std::string text;
    std::int64_t int64;
    std::int32_t integer;
    double number;
};

} // namespace

class Cells : public StatementDatabase
{
protected:
    // One row of every kind of column, fetched into s.
    void OpenKinds(THstmt& s)
    {
        const bool pg = IsPostgres();
        const std::string t = NewTable(
            "(c_small SMALLINT, c_int INTEGER, c_big BIGINT, c_real REAL, c_double DOUBLE PRECISION, "
            "c_num NUMERIC(10,2), c_wide DECIMAL(24,4), c_text VARCHAR(20), c_code VARCHAR(5) NOT NULL, "
            "c_date DATE, c_time TIME, c_stamp TIMESTAMP)");
        Exec("INSERT INTO " + t +
             " VALUES (-12, 70000, 9007199254740993, 2.5, -1234.125, 12.34, 12345678901234567, "
             "'h\xC3\xA9llo', 'K1', "
             "'2001-02-03', '04:05:06', '2001-02-03 04:05:06')");
        (void)pg;
        s.SetHdbc(&c);
        s.SetSQL(
            "SELECT c_small, c_int, c_big, c_real, c_double, c_num, c_wide, c_text, c_code, c_date, c_time, "
            "c_stamp FROM " +
            t);
        s.Execute();
        ASSERT_TRUE(s.FetchNext());
    }
};

TEST_P(Cells, GettersReadEveryColumnKind)
{
    THstmt s;
    if (IsMdb()) {
        s.SetHdbc(&c);
        s.SetSQL(
            " select di_dfid,di_selno,di_cvalue from dictionary where di_dfid=7 \r\n and di_selno = '1'");
        s.Execute();
        ASSERT_TRUE(s.FetchNext());
        EXPECT_EQ(s.GetColInteger(1), 7);
        EXPECT_EQ(s.GetColString(1), "7");
        EXPECT_DOUBLE_EQ(s.GetColDouble(1), 7.0);
        EXPECT_EQ(s.GetColString(3), "\xE7\x94\xB7");
        EXPECT_EQ(s.GetColVariant(3).AsString(), "\xE7\x94\xB7");
        EXPECT_EQ(s.GetColInteger(3), 0) << "text that is no number reads as 0";
        return;
    }
    OpenKinds(s);
    const std::string wide = IsPostgres() ? "12345678901234567.0000" : "12345678901234567";
    const Read reads[] = {
        {"c_small", "-12", -12, -12, -12.0},
        {"c_int", "70000", 70000, 70000, 70000.0},
        // 64 bits whole: more than a double holds exactly, more than 32 bits.
        {"c_big", "9007199254740993", 9007199254740993LL, std::numeric_limits<std::int32_t>::max(),
         9007199254740992.0},
        {"c_real", " 2.50000000000000E+0000", 2, 2, 2.5},
        {"c_double", "-1.23412500000000E+0003", -1234, -1234, -1234.125},
        {"c_num", " 1.23400000000000E+0001", 12, 12, 12.34},
        // More digits than a double keeps: read as the exact text.
        {"c_wide", wide, 12345678901234567LL, 0, 12345678901234567.0},
        {"c_text", "h\xC3\xA9llo", 0, 0, 0.0},
        {"c_date", "2001-02-03", 0, 0, 0.0},
        {"c_time", "04:05:06", 0, 0, 0.0},
        {"c_stamp", "2001-02-03 04:05:06.000000000", 0, 0, 0.0},
    };
    for (const Read& r : reads) {
        SCOPED_TRACE(r.column);
        EXPECT_EQ(s.GetColStringByName(r.column), r.text);
        EXPECT_EQ(s.GetColInt64ByName(r.column), r.int64);
        EXPECT_EQ(s.GetColIntegerByName(r.column), r.integer);
        EXPECT_DOUBLE_EQ(s.GetColDoubleByName(r.column), r.number);
    }
    const TDate date = s.GetColDateByName("c_date");
    EXPECT_EQ((std::vector<int>{date.year, date.month, date.day}), (std::vector<int>{2001, 2, 3}));
    const TTime time = s.GetColTimeByName("c_time");
    EXPECT_EQ((std::vector<int>{time.hour, time.minute, time.second}), (std::vector<int>{4, 5, 6}));
    EXPECT_TRUE(TSEqual(s.GetColTimeStampByName("c_stamp"), TimeStamp(2001, 2, 3, 4, 5, 6, 0)));
    EXPECT_EQ(s.GetColSmallintByName("c_small"), -12);
    EXPECT_EQ(s.GetColWordByName("c_small"), 65524);
    EXPECT_TRUE(s.GetColBooleanByName("c_small"));
    EXPECT_FLOAT_EQ(s.GetColSingleByName("c_real"), 2.5f);

    EXPECT_EQ(s.GetColVariantByName("c_int").Type(), TVarType::Integer);
    EXPECT_EQ(s.GetColVariantByName("c_big").AsInt64(), 9007199254740993LL);
    EXPECT_EQ(s.GetColVariantByName("c_double").Type(), TVarType::Double);
    EXPECT_EQ(s.GetColVariantByName("c_text").AsString(), "h\xC3\xA9llo");
    EXPECT_EQ(s.GetColVariantByName("c_stamp").Type(), TVarType::Date);
}

TEST_P(Cells, SettersStoreWhatTheGettersGiveBack)
{
    ZIRA_REQUIRE(Writable(), kReadOnly);
    THstmt s;
    OpenKinds(s);
    const auto col = [&](const char* name) { return s.ColByName(name); };

    s.SetColInteger(col("c_int"), -5);
    EXPECT_EQ(s.GetColInteger(col("c_int")), -5);
    EXPECT_EQ(s.GetColSize(col("c_int")), 4);
    s.SetColInt64(col("c_big"), -9007199254740993LL);
    EXPECT_EQ(s.GetColString(col("c_big")), "-9007199254740993");
    s.SetColDouble(col("c_double"), 1.0 / 3.0);
    EXPECT_EQ(s.GetColDouble(col("c_double")), 1.0 / 3.0) << "a double cell keeps every bit";
    s.SetColDouble(col("c_text"), 1.5);
    EXPECT_EQ(s.GetColString(col("c_text")), " 1.50000000000000E+0000");
    EXPECT_EQ(s.GetColSize(col("c_text")), 23);
    s.SetColBoolean(col("c_small"), true);
    EXPECT_EQ(s.GetColSmallint(col("c_small")), 1);
    s.SetColDate(col("c_stamp"), TDate{2002, 3, 4});
    EXPECT_TRUE(TSEqual(s.GetColTimeStamp(col("c_stamp")), TimeStamp(2002, 3, 4, 0, 0, 0, 0)));
    s.SetColTime(col("c_stamp"), TTime{7, 8, 9});
    EXPECT_TRUE(TSEqual(s.GetColTimeStamp(col("c_stamp")), TimeStamp(1899, 12, 30, 7, 8, 9, 0)));
    s.SetColTimeStamp(col("c_date"), TimeStamp(2010, 11, 12, 13, 14, 15, 0));
    EXPECT_EQ(s.GetColString(col("c_date")), "2010-11-12");
    s.SetColVariant(col("c_small"), Variant(std::int32_t{42}));
    EXPECT_EQ(s.GetColInteger(col("c_small")), 42);
    s.SetColVariant(col("c_real"), Variant(0.25));
    EXPECT_DOUBLE_EQ(s.GetColDouble(col("c_real")), 0.25);
    s.SetColVariant(col("c_small"), Variant(true));
    EXPECT_EQ(s.GetColInteger(col("c_small")), 1) << "true is 1 in a cell, not -1";

    // Refused writes raise and leave the cell as it was.
    s.SetColString(col("c_int"), "70000");
    EXPECT_THROW(s.SetColString(col("c_int"), "12x"), RIDIZOrurori);
    EXPECT_THROW(s.SetColString(col("c_small"), "70000"), RIDIZOrurori) << "out of the column's range";
    EXPECT_THROW(s.SetColString(col("c_text"), std::string(200, 'x')), RIDIZOrurori)
        << "longer than the cell";
    EXPECT_EQ(s.GetColInteger(col("c_int")), 70000);

    // NULL and the empty text.
    s.SetColNull(col("c_text"), false);
    EXPECT_FALSE(s.GetColNull(col("c_text"))) << "false does not clear a value";
    s.SetColNull(col("c_text"), true);
    EXPECT_TRUE(s.GetColNull(col("c_text")));
    EXPECT_EQ(s.GetColString(col("c_text")), "");
    EXPECT_TRUE(s.GetColVariant(col("c_text")).IsEmpty());
    s.SetColNull(col("c_text"), false);
    EXPECT_TRUE(s.GetColNull(col("c_text"))) << "false does not clear NULL either";
    s.SetEmptyStringToNull(enIfNullable);
    s.SetColString(col("c_text"), "");
    EXPECT_TRUE(s.GetColNull(col("c_text"))) << "nullable: the empty text is NULL";
    s.SetColString(col("c_code"), "");
    // NOTE: the SQLite driver describes every column as nullable.
    constexpr std::int16_t noNulls = 0; // SQL_NO_NULLS
    if (s.GetColNullable(col("c_code")) == noNulls) {
        EXPECT_FALSE(s.GetColNull(col("c_code"))) << "NOT NULL: the empty text stays a text";
        EXPECT_EQ(s.GetColSize(col("c_code")), 0);
    } else {
        EXPECT_EQ(Database(), TestDatabase::Sqlite);
    }
    s.SetColVariant(col("c_int"), Variant::Null());
    EXPECT_TRUE(s.GetColNull(col("c_int")));

    // An indicator used as a length never reaches past its cell.
    s.SetColSize(col("c_text"), 100000);
    EXPECT_LT(s.GetColSize(col("c_text")), 100000);
}

TEST_P(Cells, DisplayFormats)
{
    ZIRA_REQUIRE(Writable(), kReadOnly);
    THstmt s;
    OpenKinds(s);
    const auto col = [&](const char* name) { return s.ColByName(name); };
    s.SetFormatStyle(col("c_int"), fsFloat);
    s.SetFormatMask(col("c_int"), "#,##0.00");
    EXPECT_EQ(s.GetColString(col("c_int")), "70,000.00");
    s.SetFormatStyle(col("c_big"), fsFloat);
    s.SetFormatMask(col("c_big"), "0.00");
    EXPECT_EQ(s.GetColString(col("c_big")), "9007199254740993") << "a BIGINT keeps its plain text";
    s.SetFormatStyle(col("c_double"), fsFloat);
    s.SetFormatMask(col("c_double"), "0.0;(0.0)");
    EXPECT_EQ(s.GetColString(col("c_double")), "(1234.1)");
    s.SetFormatStyle(col("c_date"), fsDateTime);
    s.SetFormatMask(col("c_date"), "yyyy/mm/dd");
    EXPECT_EQ(s.GetColString(col("c_date")), "2001/02/03");
    s.SetFormatStyle(col("c_text"), fsCustom);
    s.SetFormatMask(col("c_text"), "[%s]");
    EXPECT_EQ(s.GetColString(col("c_text")), "[h\xC3\xA9llo]");
    s.SetFormatStyle(col("c_small"), fsCustom);
    s.SetFormatMask(col("c_small"), "%5d|");
    EXPECT_EQ(s.GetColString(col("c_small")), "  -12|");
    EXPECT_EQ(s.GetFormatStyle(0), fsNone) << "no column, neutral value";
}

ZIRA_ON_EACH_DATABASE(Cells);
