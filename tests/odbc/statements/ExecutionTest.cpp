// Executing a statement again: a SELECT executed again while its result is still open starts over,
// with and without the driver manager's cursor library, prepared or not; and an execution that
// changes nothing costs one call of the driver manager.
#include "StatementDatabase.h"

#include "odbc/handles/OdbcError.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

class Execution : public StatementDatabase
{
protected:
    // A SELECT of at least five rows whose first column tells them apart.
    std::string FiveRows()
    {
        if (IsMdb())
            return " select di_selno,di_cvalue from dictionary where di_dfid=8 ";
        return "SELECT id, name FROM " + People(5) + " ORDER BY id";
    }

    static std::vector<std::string> Rest(THstmt& s)
    {
        std::vector<std::string> values;
        while (s.FetchNext())
            values.push_back(s.GetColString(1));
        return values;
    }
};

int Calls(const ScriptedOdbc& script)
{
    return std::accumulate(script.calls.begin(), script.calls.end(), 0,
                           [](int sum, const auto& entry) { return sum + entry.second; });
}

} // namespace

TEST_P(Execution, ASelectExecutedAgainWhileItsResultIsOpenStartsOver)
{
    const std::string sql = FiveRows();
    for (const std::uint32_t cursorLib : {SQL_CUR_USE_DRIVER, SQL_CUR_USE_ODBC}) {
        c.Terminate();
        c.SetCursorLib(cursorLib);
        c.Connect();
        for (const bool prepared : {true, false}) {
            // Fetched part of the way, or not at all (the columns are not bound yet then).
            for (const int fetched : {2, 0}) {
                SCOPED_TRACE("cursor library " + std::to_string(cursorLib) + (prepared ? ", prepared" : "") +
                             ", " + std::to_string(fetched) + " rows fetched");
                THstmt s;
                s.SetHdbc(&c);
                s.SetSQL(sql);
                if (prepared)
                    s.Prepare();
                s.Execute();
                std::vector<std::string> all = Rest(s);
                ASSERT_GE(all.size(), 5u);
                s.Execute();
                for (int r = 0; r < fetched; ++r)
                    ASSERT_TRUE(s.FetchNext());
                s.Execute();
                EXPECT_EQ(Rest(s), all);
            }
        }
    }
}

// Executing a prepared statement again with nothing changed is SQLExecute alone; a SELECT whose
// result is open closes it first, and only then.
TEST_P(Execution, AnExecutionAgainIsOneCallOfTheDriverManager)
{
    ZIRA_REQUIRE(Writable(), kReadOnly);
    const std::string t = NewTable("(id INTEGER, s VARCHAR(10))");
    ScriptedOdbc script;
    const auto callsOf = [&](THstmt& s, int executions) {
        // The first two learn what the later ones reuse: the handle's attributes, and whether the
        // text gives a result that must be closed.
        s.Execute();
        s.Execute();
        const int before = Calls(script);
        for (int i = 0; i < executions; ++i)
            s.Execute();
        return Calls(script) - before;
    };

    THstmt single;
    single.SetHdbc(&c);
    single.SetSQL("INSERT INTO " + t + " (id, s) VALUES (:id, :s)");
    single.Prepare();
    std::int32_t id = 1;
    std::string text = "x";
    single.BindInteger(1, id);
    single.BindString(2, text);
    EXPECT_EQ(callsOf(single, 3), 3) << "single values";

    THstmt arrays;
    arrays.SetHdbc(&c);
    arrays.SetSQL("INSERT INTO " + t + " (id, s) VALUES (:id, :s)");
    arrays.Prepare();
    std::vector<std::int32_t> ids(10, 2);
    std::vector<char> texts(10 * 256, 'y');
    for (int r = 0; r < 10; ++r)
        texts[r * 256 + 1] = '\0';
    arrays.BindIntegers(1, ids.data(), 9);
    arrays.BindNullStrings(2, texts.data(), 9);
    EXPECT_EQ(callsOf(arrays, 3), 3) << "arrays of 10 rows";
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t), 5 + 50);

    THstmt select;
    select.SetHdbc(&c);
    select.SetSQL("SELECT id FROM " + t + " WHERE id = :id");
    select.Prepare();
    select.BindInteger(1, id);
    select.Execute();
    ASSERT_TRUE(select.FetchNext());
    int before = Calls(script);
    const int closes = script.calls["SQLFreeStmt"];
    select.Execute();
    EXPECT_EQ(Calls(script) - before, 2) << "the open result is closed, then executed";
    EXPECT_EQ(script.calls["SQLFreeStmt"] - closes, 1);
    select.CloseCursor();
    before = Calls(script);
    select.Execute();
    EXPECT_EQ(Calls(script) - before, 1) << "a closed result is not closed again";
}

ZIRA_ON_EACH_DATABASE(Execution);

// A driver that holds a result open where it counts none is met with 24000: the result is closed and
// the execution made again, and from then on the statement is closed before each execution.
TEST(ExecutionOnSqlite, AResultOpenWhereNoneWasCountedIsClosedAndTheExecutionMadeAgain)
{
    THdbc c;
    UseNewSqlite(c);
    c.Connect();
    ExecSql(c, "CREATE TABLE t (id INTEGER)");
    THstmt s;
    s.SetHdbc(&c);
    s.SetSQL("INSERT INTO t (id) VALUES (:id)");
    s.Prepare();
    std::int32_t id = 1;
    s.BindInteger(1, id);
    s.Execute();
    s.Execute();
    ScriptedOdbc script;
    script.returns["SQLExecute"] = {SQL_ERROR};
    script.scriptDiagnostics = true;
    script.records = {TErrorRec{"24000", 0, "Invalid cursor state"}};
    s.Execute();
    script.scriptDiagnostics = false;
    EXPECT_EQ(script.calls["SQLExecute"], 2);
    EXPECT_EQ(script.calls["SQLFreeStmt"], 1);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM t"), 3);
    s.Execute();
    EXPECT_EQ(script.calls["SQLFreeStmt"], 2) << "closed before the next execution";

    // A failure of another kind is not made again.
    script.returns["SQLExecute"] = {SQL_ERROR};
    script.scriptDiagnostics = true;
    script.records = {TErrorRec{"23000", 0, "Constraint"}};
    EXPECT_THROW(s.Execute(), EODBC);
    script.scriptDiagnostics = false;
    EXPECT_EQ(script.calls["SQLExecute"], 4);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM t"), 4);
}
