// The statements THstmt generates for row writes on SQLite: their texts, OnStatement, identifiers that
// need quoting, confirmation, the target table and its key columns, and WHERE CURRENT OF.
#include "odbc/base/OcihError.h"
#include "odbc/driver/Oci.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

class GeneratedStatements : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UseNewSqlite(c);
        c.Connect();
        ExecSql(c, "CREATE TABLE t (A VARCHAR(10) PRIMARY KEY, B INTEGER, C VARCHAR(10))");
        ExecSql(c, "INSERT INTO t VALUES ('a', 1, 'x')");
        ExecSql(c, "INSERT INTO t VALUES ('b', 2, 'y')");
        s.SetHdbc(&c);
        s.SetOnStatement([this](TComponent*, std::uint16_t operation, std::string& sql) {
            texts[operation].push_back(sql);
            if (replace.count(operation) != 0)
                sql = replace[operation];
        });
    }

    // Opens sql on a static, read-only cursor (so rows are written by generated statements) and
    // fetches the first row.
    void Open(const std::string& sql)
    {
        s.SetCursorType(SQL_CURSOR_STATIC);
        s.SetSQL(sql);
        s.Prepare();
        s.Execute();
        ASSERT_TRUE(s.FetchNext());
    }

    std::string Rows(const std::string& table = "t")
    {
        std::string rows;
        for (int n = QueryLong(c, "SELECT COUNT(*) FROM " + table), i = 0; i < n; ++i)
            rows += QueryText(c, "SELECT A || ':' || COALESCE(B, '') || ':' || COALESCE(C, '') FROM " +
                                     table + " ORDER BY A LIMIT 1 OFFSET " + std::to_string(i)) +
                    " ";
        return rows;
    }

    THdbc c;
    THstmt s;
    std::map<std::uint16_t, std::vector<std::string>> texts;
    std::map<std::uint16_t, std::string> replace;
};

} // namespace

// For a table T with columns A, B, C where B is ignored and A is the key.
TEST_F(GeneratedStatements, TextsLeaveOutIgnoredColumnsAndKeyOnThePrimaryKey)
{
    Open("SELECT A, B, C FROM t ORDER BY A");
    s.SetColIgnore(2, true);

    s.SetColString(3, "changed");
    s.DoUpdate();
    EXPECT_EQ(texts[rfUpdate], (std::vector<std::string>{"UPDATE t SET A = ?, C = ? WHERE A = ?"}));
    s.SetColString(3, "again");
    s.DoUpdate(); // prepared once, executed again
    EXPECT_EQ(texts[rfUpdate].size(), 1u);

    s.DoRefresh();
    EXPECT_EQ(texts[rfRefresh], (std::vector<std::string>{"SELECT A, B, C FROM t WHERE A = ?"}));
    EXPECT_EQ(s.GetColString(3), "again");

    s.SetColString(1, "c");
    s.SetColString(3, "new");
    s.DoInsert();
    EXPECT_EQ(texts[rfInsert], (std::vector<std::string>{"INSERT INTO t (A, C) VALUES (?, ?)"}));
    EXPECT_EQ(Rows(), "a:1:again b:2:y c::new ");

    // The row on show is still the fetched row a: the key it was fetched with finds it.
    s.DoDelete();
    EXPECT_EQ(texts[rfDelete], (std::vector<std::string>{"DELETE FROM t WHERE A = ?"}));
    EXPECT_EQ(Rows(), "b:2:y c::new ");
    EXPECT_EQ(s.GetRowStatus(1), SQL_ROW_DELETED);
}

TEST_F(GeneratedStatements, OnStatementReplacesTheTextBeforeItIsPrepared)
{
    replace[rfUpdate] = "UPDATE t SET A = ?, B = ?, C = ? || '!' WHERE A = ?";
    Open("SELECT A, B, C FROM t ORDER BY A");
    s.SetColString(3, "z");
    s.DoUpdate();
    EXPECT_EQ(Rows(), "a:1:z! b:2:y ");
}

// Identifiers with a blank go in double quotes; one holding a double quote too, with that quote
// doubled.
TEST_F(GeneratedStatements, IdentifiersThatNeedQuotes)
{
    ExecSql(c, "CREATE TABLE \"odd table\" (\"q\"\"x\" VARCHAR(10) PRIMARY KEY, \"my col\" INTEGER)");
    ExecSql(c, "INSERT INTO \"odd table\" VALUES ('k', 1)");
    Open("SELECT * FROM \"odd table\"");
    s.SetColInteger(2, 5);
    s.DoUpdate();
    EXPECT_EQ(texts[rfUpdate],
              (std::vector<std::string>{
                  "UPDATE \"odd table\" SET \"q\"\"x\" = ?, \"my col\" = ? WHERE \"q\"\"x\" = ?"}));
    EXPECT_EQ(QueryLong(c, "SELECT \"my col\" FROM \"odd table\" WHERE \"q\"\"x\" = 'k'"), 5);
}

TEST_F(GeneratedStatements, ADeclinedConfirmationWritesNothing)
{
    std::vector<std::string> asked;
    s.SetOnDelete([&](TComponent* sender, const std::string& message) {
        EXPECT_EQ(sender, &s);
        asked.push_back(message);
        return false;
    });
    s.SetOnUpdate([&](TComponent*, const std::string& message) {
        asked.push_back(message);
        return false;
    });
    Open("SELECT A, B, C FROM t ORDER BY A");
    s.SetColString(3, "never");
    s.DoUpdate();
    s.DoDelete();
    EXPECT_EQ(asked, (std::vector<std::string>{"Update row(s)?", "Delete row(s)?"}));
    EXPECT_EQ(Rows(), "a:1:x b:2:y ");
    EXPECT_TRUE(texts.empty());
}

// TargetTable, trimmed, wins over the table the result comes from.
TEST_F(GeneratedStatements, TheTargetTableIsWrittenInstead)
{
    ExecSql(c, "CREATE TABLE t2 (A VARCHAR(10) PRIMARY KEY, B INTEGER, C VARCHAR(10))");
    ExecSql(c, "INSERT INTO t2 VALUES ('a', 10, 'other')");
    Open("SELECT A, B, C FROM t ORDER BY A");
    s.SetTargetTable("  t2 ");
    s.DetermineTargetTable();
    EXPECT_EQ(s.GetTableName(), "t2");
    EXPECT_EQ(s.GetTableOwner(), "");
    s.SetColInteger(2, 11);
    s.DoUpdate();
    EXPECT_EQ(Rows("t2"), "a:11:x ");
    EXPECT_EQ(Rows(), "a:1:x b:2:y ");
}

// Where the driver names no table for the first column (an expression there), the word after FROM
// is the table, line ends taken as blanks.
TEST_F(GeneratedStatements, TheTableAfterFromWhenTheDriverNamesNone)
{
    Open("SELECT B + 1 AS x, A\r\nfrom t where A = 'a'");
    s.DetermineTargetTable();
    EXPECT_EQ(s.GetTableName(), "t");
}

// A key the result lacks a part of would match other rows too: then no column is a key column.
TEST_F(GeneratedStatements, KeyColumnsAreAllMarkedOrNone)
{
    ExecSql(c, "CREATE TABLE pair (p VARCHAR(5), q VARCHAR(5), v INTEGER, PRIMARY KEY (p, q))");
    ExecSql(c, "INSERT INTO pair VALUES ('1', '1', 0)");
    ExecSql(c, "INSERT INTO pair VALUES ('1', '2', 0)");
    Open("SELECT p, v FROM pair");
    s.DeterminePrimaryCols();
    EXPECT_EQ(s.GetPrimaryColNames(), "");
    s.SetColInteger(2, 7);
    try {
        s.DoUpdate();
        ADD_FAILURE() << "an update without its key went ahead";
    } catch (const RIDIZOrurori& e) {
        EXPECT_STREQ(e.what(), "Unable to determine primary columns:  set PrimaryCols property.");
    }
    EXPECT_EQ(QueryLong(c, "SELECT SUM(v) FROM pair"), 0);

    Open("SELECT p, q, v FROM pair ORDER BY q");
    s.DeterminePrimaryCols();
    EXPECT_EQ(s.GetPrimaryColNames(), "p;q;");
    s.SetColInteger(3, 7);
    s.DoUpdate();
    EXPECT_EQ(QueryLong(c, "SELECT v FROM pair WHERE q = '1'"), 7);
    EXPECT_EQ(QueryLong(c, "SELECT v FROM pair WHERE q = '2'"), 0);
}

// A cell whose indicator says more than the cell holds (the full length of a value the driver had to
// cut) sends no more than the cell.
TEST_F(GeneratedStatements, ALengthBeyondTheCellIsClamped)
{
    ScriptedOdbc script;
    Open("SELECT A, B, C FROM t ORDER BY A");
    TColRec* rec = s.ColRec(3);
    ASSERT_NE(rec, nullptr);
    const SqlLen capacity = rec->CellWidth - 1;
    rec->Ind[0] = capacity + 1000;
    s.SetColInteger(2, 9);
    s.DoUpdate();
    int found = 0;
    for (const auto& [handle, state] : script.statements) {
        for (const auto& [number, binding] : state.parameters) {
            if (binding.value != rec->Value)
                continue;
            ++found;
            EXPECT_EQ(binding.indicator[0], capacity);
        }
    }
    EXPECT_EQ(found, 1);
}

// On a driver that offers positioned statements, a row of a rowset is written WHERE CURRENT OF the
// cursor, positioned on that row first, with no key parameters. NOTE: no driver here offers them;
// the scripted table claims them, and OnStatement turns the text into one SQLite runs.
TEST_F(GeneratedStatements, WhereCurrentOfPositionsOnTheRowFirst)
{
    ScriptedOdbc script;
    const SQLUINTEGER staticMask = static_cast<SQLUINTEGER>(c.GetInfoInteger(SQL_STATIC_CURSOR_ATTRIBUTES1));
    script.info[SQL_STATIC_CURSOR_ATTRIBUTES1] = staticMask | SQL_CA1_POSITIONED_UPDATE;
    s.SetSkipByPosition(true);
    s.SetConcurrencyType(SQL_CONCUR_LOCK);
    s.SetRowSetSize(2);
    Open("SELECT A, B, C FROM t ORDER BY A");
    ASSERT_EQ(s.GetRowsFetched(), 2u);
    replace[rfUpdate] = "UPDATE t SET A = ?, B = ?, C = ? WHERE A = 'b'";
    script.returns["SQLSetPos"] = {SQL_SUCCESS}; // SQLite cannot position in a rowset of several rows
    s.SetCellString(3, 2, "row two");
    s.SetRowFlag(2, rfUpdate);
    s.DoUpdate();

    ASSERT_EQ(texts[rfUpdate].size(), 1u);
    const std::string where = "WHERE CURRENT OF " + s.CursorName();
    EXPECT_EQ(texts[rfUpdate][0], "UPDATE t SET A = ?, B = ?, C = ? " + where);
    ASSERT_FALSE(script.setPosCalls.empty());
    EXPECT_EQ(script.setPosCalls.back().row, 2u);
    EXPECT_EQ(script.setPosCalls.back().operation, SQL_POSITION);
    EXPECT_EQ(Rows(), "a:1:x b:2:row two ");
}
