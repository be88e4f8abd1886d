// Parameter arrays of THstmt: many rows in one execution, each row's outcome, a bad row among good
// ones, and arrays that cannot be sent.
#include "ReadBack.h"

#include "odbc/driver/Oci.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/EachDatabase.h"
#include "odbc/support/SqlHelpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

class ParamArrays : public EachDatabase
{
protected:
    void SetUp() override
    {
        EachDatabase::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Writable(), "mdbtools knows no parameter markers");
        s.SetHdbc(&c);
    }

    // The first column of sql, every row, as text.
    std::vector<std::string> Column(const std::string& sql)
    {
        std::vector<std::string> values;
        for (const auto& v : ReadColumn(c, sql))
            values.push_back(v.value_or("NULL"));
        return values;
    }

    THstmt s;
};

// Text slots of an array: 256 bytes per row.
std::vector<char> Slots(const std::vector<std::string>& texts)
{
    std::vector<char> slots(texts.size() * 256, '\0');
    for (std::size_t r = 0; r < texts.size(); ++r)
        std::snprintf(&slots[r * 256], 256, "%s", texts[r].c_str());
    return slots;
}

} // namespace

TEST_P(ParamArrays, EveryRowOfTheArraysIsWritten)
{
    const std::string t = NewTable("(id INTEGER, s VARCHAR(40), d DOUBLE PRECISION, n INTEGER)");
    constexpr int rows = 1000;
    std::vector<std::int32_t> ids(rows);
    std::vector<double> values(rows);
    std::vector<std::string> texts(rows);
    for (int r = 0; r < rows; ++r) {
        ids[r] = r + 1;
        values[r] = r * 0.5;
        texts[r] = "row " + std::to_string(r + 1);
    }
    std::vector<char> slots = Slots(texts);
    c.StartTransact(); // SQLite commits every row of an array on its own otherwise
    s.SetSQL("INSERT INTO " + t + " (id, s, d, n) VALUES (:id, :s, :d, :n)");
    s.Prepare();
    s.BindIntegers(1, ids.data(), rows - 1);
    s.BindNullStrings(2, slots.data(), rows - 1);
    s.BindDoubles(3, values.data(), rows - 1);
    s.BindNulls(4);
    EXPECT_EQ(s.BulkSize(), static_cast<SqlULen>(rows));
    s.Execute();
    c.Commit();

    EXPECT_EQ(s.GetParamsProcessed(), static_cast<SqlULen>(rows));
    EXPECT_EQ(s.GetParamStatus(1), SQL_PARAM_SUCCESS);
    EXPECT_EQ(s.GetParamStatus(rows), SQL_PARAM_SUCCESS);
    EXPECT_EQ(s.GetParamStatus(rows + 1), SQL_PARAM_UNUSED);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), rows);
    EXPECT_EQ(QueryLong(c, "SELECT SUM(id) FROM " + t), rows * (rows + 1) / 2);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t + " WHERE n IS NULL"), rows);
    EXPECT_EQ(QueryText(c, "SELECT s FROM " + t + " WHERE id = 777"), "row 777");
    EXPECT_EQ(QueryText(c, "SELECT d FROM " + t + " WHERE id = 5").substr(0, 1), "2");

    // The arrays stay bound: new contents go at the next execution, and a marker bound again with a
    // longer array takes all of it.
    for (int r = 0; r < rows; ++r)
        ids[r] += rows;
    s.Execute();
    c.EndTransact();
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), 2 * rows);
}

// One bad row among good ones: the driver gives up on the array (SQLite stops at the row, psqlODBC
// fails the whole batch), the rows it did not write go again one at a time, and only the bad one
// stays out and is reported — in autocommit mode and inside a transaction.
TEST_P(ParamArrays, OneBadRowIsReportedAndTheOthersWritten)
{
    for (const bool transaction : {false, true}) {
        SCOPED_TRACE(transaction ? "in a transaction" : "autocommit");
        const std::string t = NewTable("(id INTEGER PRIMARY KEY, s VARCHAR(10) NOT NULL)");
        if (transaction)
            c.StartTransact();
        std::vector<std::int32_t> ids = {1, 2, 2, 4, 5};
        std::vector<char> slots = Slots({"a", "b", "c", "d", "e"});
        s.SetSQL("INSERT INTO " + t + " (id, s) VALUES (:id, :s)");
        s.Prepare();
        s.BindIntegers(1, ids.data(), 4);
        s.BindNullStrings(2, slots.data(), 4);
        try {
            s.Execute();
            ADD_FAILURE() << "the duplicate key went unreported";
        } catch (const EODBC& e) {
            EXPECT_EQ(e.Message(), "Parameter rows not written: 3 (of 5).");
            ASSERT_GE(e.Count(), 2);
            EXPECT_FALSE(e.Errors()[1].State.empty()); // the driver's own record of row 3
        }
        EXPECT_EQ(s.GetParamStatus(3), SQL_PARAM_ERROR);
        for (const SqlULen row : {1u, 2u, 4u, 5u})
            EXPECT_EQ(s.GetParamStatus(row), SQL_PARAM_SUCCESS) << row;
        if (transaction)
            c.EndTransact();
        EXPECT_EQ(Column("SELECT s FROM " + t + " ORDER BY id"),
                  (std::vector<std::string>{"a", "b", "d", "e"}));

        // The statement runs again with its arrays as they were.
        for (std::int32_t& id : ids)
            id += 10;
        ids[2] = 13;
        s.Execute();
        EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), 9);
    }
}

// A marker holding fewer values than the rows to send would have the driver read past its array.
TEST_P(ParamArrays, AnArrayShorterThanTheBulkSizeIsRefused)
{
    const std::string t = NewTable("(a INTEGER, b INTEGER)");
    std::int32_t single = 1;
    std::vector<std::int32_t> four = {1, 2, 3, 4};
    s.SetSQL("INSERT INTO " + t + " (a, b) VALUES (:a, :b)");
    s.Prepare();
    s.BindInteger(1, single);
    s.BindIntegers(2, four.data(), 3);
    EXPECT_THROW(s.Execute(), RIDIZOrurori);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), 0);

    // Bound again as an array of its own, the marker has all the rows.
    std::vector<std::int32_t> fours = {9, 9, 9, 9};
    s.BindIntegers(1, fours.data(), 3);
    s.Execute();
    EXPECT_EQ(QueryLong(c, "SELECT SUM(a + b) FROM " + t), 46);
}

// The rows sent follow the arrays as they are bound now: bound again shorter, or as single values,
// the markers send that many rows and no more (the driver must never read past the shorter arrays).
TEST_P(ParamArrays, ArraysBoundAgainShorterSendOnlyTheirRows)
{
    const std::string t = NewTable("(id INTEGER, s VARCHAR(10))");
    s.SetSQL("INSERT INTO " + t + " (id, s) VALUES (:id, :s)");
    s.Prepare();
    std::vector<std::int32_t> five = {1, 2, 3, 4, 5};
    std::vector<char> fiveTexts = Slots({"a", "b", "c", "d", "e"});
    s.BindIntegers(1, five.data(), 4);
    s.BindNullStrings(2, fiveTexts.data(), 4);
    s.Execute();
    ASSERT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), 5);

    // Arrays of their own length, so anything read past them is found by the address checker.
    auto three = std::make_unique<std::int32_t[]>(3);
    auto threeTexts = std::make_unique<char[]>(3 * 256);
    for (int r = 0; r < 3; ++r) {
        three[r] = 11 + r;
        std::snprintf(&threeTexts[r * 256], 256, "t%d", r);
    }
    s.BindIntegers(1, three.get(), 2);
    s.BindNullStrings(2, threeTexts.get(), 2);
    EXPECT_EQ(s.BulkSize(), 3u);
    s.Execute();
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t + " WHERE id > 10"), 3);
    EXPECT_EQ(Column("SELECT s FROM " + t + " WHERE id > 10 ORDER BY id"),
              (std::vector<std::string>{"t0", "t1", "t2"}));

    std::int32_t one = 21;
    std::string text = "single";
    s.BindInteger(1, one);
    s.BindString(2, text);
    EXPECT_EQ(s.BulkSize(), 1u);
    s.Execute();
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t + " WHERE id > 20"), 1);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), 9);
}

// Markers bound with different row counts are refused before anything is sent, whichever was bound
// last; bound alike again, the statement runs.
TEST_P(ParamArrays, MarkersOfDifferentRowCountsAreRefusedBeforeAnythingIsSent)
{
    const std::string t = NewTable("(a INTEGER, b INTEGER)");
    std::vector<std::int32_t> four = {1, 2, 3, 4};
    std::vector<std::int32_t> two = {5, 6};
    s.SetSQL("INSERT INTO " + t + " (a, b) VALUES (:a, :b)");
    s.Prepare();
    s.BindIntegers(1, four.data(), 3);
    s.BindIntegers(2, four.data(), 3);
    s.Execute();
    s.BindIntegers(2, two.data(), 1);
    try {
        s.Execute();
        ADD_FAILURE() << "arrays of 4 and 2 rows went";
    } catch (const RIDIZOrurori& e) {
        EXPECT_STREQ(e.what(), "Parameters 1 and 2 are bound with 4 and 2 rows; all parameters of an "
                               "execution must have the same number.");
    }
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), 4);
    s.BindIntegers(1, two.data(), 1);
    s.Execute();
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), 6);
}

ZIRA_ON_EACH_DATABASE(ParamArrays);
