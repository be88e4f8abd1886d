// THstmt where no driver misbehaves on demand: the scripted function table over SQLite gives
// SQL_STILL_EXECUTING, values in pieces, SQL_NO_TOTAL, SQL_ROW_ERROR, a failing describe and a lost
// connection.
#include "fakes/FakeClock.h"
#include "fakes/FakePump.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/Henv.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/OdbcTestConfig.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Bytes(const TMemoryStream& stream)
{
    return {reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size())};
}

class Scripted : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UseNewSqlite(connection);
        connection.Connect();
        ExecSql(connection, "CREATE TABLE t (id INTEGER, doc TEXT, data LONGVARBINARY)");
        ExecSql(connection, "INSERT INTO t VALUES (1, 'one', x'01')");
        ExecSql(connection, "INSERT INTO t VALUES (2, 'two', x'02')");
        ExecSql(connection, "INSERT INTO t VALUES (3, 'three', x'03')");
        s.SetHdbc(&connection);
        s.SetPump(&pump);
        s.SetClock(&clock);
    }

    ScriptedOdbc script;
    THdbc connection;
    THstmt s;
    FakePump pump;
    FakeClock clock;
};

// Restores the environment's exception hook however a test ends.
class VetoFailures
{
public:
    VetoFailures()
    {
        GlobalHenv().Error().SetOnException([](THbase*, EODBC&) { return false; });
    }
    ~VetoFailures() { GlobalHenv().Error().SetOnException(nullptr); }
};

} // namespace

TEST_F(Scripted, AsynchronousExecutionPollsThroughThePumpWithoutSpinning)
{
    script.returns["SQLExecDirect"] = {SQL_STILL_EXECUTING, SQL_STILL_EXECUTING, SQL_STILL_EXECUTING};
    s.SetExecAsync(true);
    s.SetSQL("SELECT id FROM t ORDER BY id");
    const int before = script.calls["SQLExecDirect"];
    s.Execute();
    EXPECT_TRUE(s.Executed());
    EXPECT_EQ(script.calls["SQLExecDirect"] - before, 4);
    EXPECT_EQ(pump.calls, 3u) << "the application's events between polls";
    EXPECT_EQ(clock.sleeps, 3u) << "a rest between polls, never a busy loop";
    ASSERT_TRUE(s.FetchNext());
    EXPECT_EQ(s.GetColInteger(1), 1);
}

TEST_F(Scripted, AbortQueryDuringAnAsynchronousExecutionEndsItSilentlyWithOneCancel)
{
    script.returns["SQLExecute"] = {SQL_STILL_EXECUTING, SQL_STILL_EXECUTING, SQL_STILL_EXECUTING,
                                    SQL_STILL_EXECUTING};
    s.SetExecAsync(true);
    s.SetSQL("SELECT id FROM t");
    s.Prepare();
    pump.onPump = [&] {
        if (pump.calls == 2) {
            s.AbortQuery();
            s.AbortQuery();
        }
    };
    EXPECT_THROW(s.Execute(), EAbort);
    EXPECT_TRUE(s.Executed());
    EXPECT_EQ(script.calls["SQLCancel"], 1) << "a second AbortQuery sends nothing";
    // The statement is usable afterwards.
    pump.onPump = nullptr;
    s.SetExecAsync(false);
    s.Execute();
    EXPECT_TRUE(s.FetchNext());
}

TEST_F(Scripted, BlobsInPieces)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> value;
        int calls; // SQLGetData calls for the value
    };
    const std::string piece(1025, 'p');
    const Case cases[] = {
        {"shorter than a piece", std::string(1024, 'a'), 1},
        {"exactly one piece", piece, 1},
        {"one byte more", piece + "z", 2},
        {"two pieces and a half", piece + piece + std::string(512, 'h'), 3},
        {"empty", std::string(), 1},
        {"null", std::nullopt, 1},
    };
    s.SetBlobSize(1025);
    s.SetSQL("SELECT id, doc, data FROM t ORDER BY id");
    s.Execute();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script.ScriptCell(2, c.value);
        script.ScriptCell(3, c.value);
        const int before = script.calls["SQLGetData"];
        ASSERT_TRUE(s.FetchNext() || (s.Execute(), s.FetchNext()));
        EXPECT_EQ(script.calls["SQLGetData"] - before, 2 * c.calls);
        for (std::uint16_t col : {2, 3}) {
            EXPECT_EQ(Bytes(*s.GetColMemory(col)), c.value.value_or(""));
            EXPECT_EQ(s.GetColSize(col), c.value ? static_cast<SqlLen>(c.value->size()) : SQL_NULL_DATA);
            EXPECT_EQ(s.GetColNull(col), !c.value.has_value());
        }
    }
}

TEST_F(Scripted, ABlobWithoutATotalRaisesAfterItsFirstPiece)
{
    s.SetBlobSize(1025);
    s.SetSQL("SELECT id, doc FROM t");
    s.Execute();
    script.ScriptCell(2, std::string(3000, 'n'), true);
    try {
        s.FetchNext();
        FAIL() << "a blob of unknown length passed";
    } catch (const RIDIZOrurori& e) {
        EXPECT_STREQ(e.what(), "Unable to retrieve blob.  You may have to increase the BlobSize property.");
    }
    EXPECT_EQ(Bytes(*s.GetColMemory(2)), std::string(1025, 'n'));
}

TEST_F(Scripted, RowsInErrorAreNotValidAndTheirBlobsAreNotRead)
{
    // A scrolling cursor: the driver fetches the rowset whole (a forward-only one over SQLite comes a
    // row at a time).
    s.SetCursorType(SQL_CURSOR_STATIC);
    s.SetRowSetSize(3);
    s.SetSQL("SELECT id, doc FROM t ORDER BY id");
    s.Execute();
    script.fetches.push_back({SQL_SUCCESS_WITH_INFO, 3, {SQL_ROW_SUCCESS, SQL_ROW_ERROR, SQL_ROW_SUCCESS}});
    ASSERT_TRUE(s.FetchNext());
    EXPECT_EQ(s.GetRowsFetched(), 3u);
    EXPECT_TRUE(s.GetRowValid(1));
    EXPECT_FALSE(s.GetRowValid(2));
    EXPECT_EQ(s.GetRowStatus(2), SQL_ROW_ERROR);
    TMemoryStream stream;
    stream.Write("kept", 4);
    const int before = script.calls["SQLGetData"];
    EXPECT_EQ(s.FetchCol(2, 2, SQL_C_CHAR, stream), SQL_NULL_DATA);
    EXPECT_EQ(script.calls["SQLGetData"], before) << "nothing asked of the driver for a row in error";
    EXPECT_EQ(Bytes(stream), "kept");
}

TEST_F(Scripted, AFailingDescribeRaisesAndLeavesNoHalfBoundColumns)
{
    s.SetSQL("SELECT id, doc, data FROM t ORDER BY id");
    s.Execute();
    script.returnsAfterCall["SQLDescribeCol"] = {SQL_SUCCESS, SQL_ERROR};
    EXPECT_THROW(s.FetchNext(), EODBC);
    EXPECT_EQ(s.ColRec(1)->Name, "id") << "described afresh, once";
    EXPECT_EQ(s.GetColCount(), 3);
    EXPECT_EQ(s.GetColNames().Count(), 3);
    ASSERT_TRUE(s.FetchNext());
    EXPECT_EQ(s.GetColString(2), "one");
}

TEST_F(Scripted, ALostConnectionEndsTheStatementWhichStartsAgainOnItsNextUse)
{
    s.SetSQL("SELECT id FROM t ORDER BY id");
    s.Execute();
    script.scriptDiagnostics = true;
    script.records = {{"08S01", 7, "communication link failure"}};
    script.returns["SQLFetch"] = {SQL_ERROR};
    EXPECT_THROW(s.FetchNext(), EODBC);
    EXPECT_FALSE(s.Initialized()) << "the connection was dropped with its statements";
    EXPECT_FALSE(connection.Connected());
    script.scriptDiagnostics = false;
    EXPECT_EQ(s.SQL(), "SELECT id FROM t ORDER BY id");
    s.Execute();
    ASSERT_TRUE(s.FetchNext());
    EXPECT_EQ(s.GetColInteger(1), 1);
}

TEST_F(Scripted, AVetoedLostConnectionMidFetchLeavesTheStatementEndedNotDangling)
{
    s.SetRowSetSize(2);
    s.SetSQL("SELECT id, doc FROM t ORDER BY id");
    s.Execute();
    VetoFailures veto;
    script.scriptDiagnostics = true;
    script.records = {{"08S01", 7, "communication link failure"}};
    script.returns["SQLDescribeCol"] = {SQL_ERROR};
    EXPECT_FALSE(s.FetchNext());
    EXPECT_FALSE(s.Initialized());
    EXPECT_EQ(s.GetColInteger(1), 0) << "reads nothing, touches nothing freed";
    script.scriptDiagnostics = false;
}

// A vetoed lost connection in the middle of a statement operation: the operation goes on as a vetoed
// failure lets it, and only once it has ended are the statement and the connection ended (once; the
// statement's records are not freed under the operation that reads them), after which both start
// again on their next use.
TEST_F(Scripted, AVetoedLostConnectionEndsTheConnectionOnlyOnceTheOperationHasEnded)
{
    std::string trail;
    std::string counted; // the calls the trail counts
    const auto calls = [&] { return std::to_string(script.calls[counted]); };
    connection.SetBeforeDisconnect([&](THdbc*) { trail += "disconnect after " + calls() + ", "; });
    s.SetOnTerminate([&](THbase*) { trail += "statement ended after " + calls() + ", "; });
    std::vector<std::string> vetoed;
    GlobalHenv().Error().SetOnConnectionFailure([&](THbase*) { trail += "failure"; });
    GlobalHenv().Error().SetOnException([&](THbase*, EODBC& e) {
        vetoed.push_back(e.State());
        return false;
    });
    struct Restore
    {
        THdbc& connection;
        THstmt& s;
        ~Restore()
        {
            GlobalHenv().Error().SetOnException(nullptr);
            GlobalHenv().Error().SetOnConnectionFailure(nullptr);
            connection.SetBeforeDisconnect(nullptr);
            s.SetOnTerminate(nullptr);
        }
    } restore{connection, s};

    struct Case
    {
        const char* name;
        const char* failing; // fails once, with 08S01
        std::function<void()> arrange;
        std::function<void()> operation;
        const char* trail;
        std::string afterwards; // column 2 of rows 1 and 2, read again
    };
    const Case cases[] = {
        {"a fetch reading its row's long values: the second is read after the first failed", "SQLGetData",
         [&] {
             s.SetRowSetSize(1);
             s.SetSQL("SELECT id, doc, data FROM t ORDER BY id");
             s.Execute();
         },
         [&] { EXPECT_FALSE(s.FetchNext()) << "no rowset once the statement has ended"; },
         "statement ended after 2, disconnect after 2, failure", "one|two"},
        {"two flagged rows of a rowset: the second is written after the first failed", "SQLExecute",
         [&] {
             s.SetRowSetSize(2);
             s.SetSQL("SELECT id, doc FROM t ORDER BY id");
             s.Execute();
             ASSERT_TRUE(s.FetchNext());
             s.PrimaryCols({"id"});
             s.SetCellString(2, 1, "uno");
             s.SetRowFlag(1, rfUpdate);
             s.SetCellString(2, 2, "dos");
             s.SetRowFlag(2, rfUpdate);
         },
         [&] { s.DoUpdate(); }, "statement ended after 2, disconnect after 2, failure", "one|dos"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        trail.clear();
        vetoed.clear();
        counted = c.failing;
        script.calls[counted] = 0;
        script.scriptDiagnostics = true;
        script.records = {{"08S01", 7, "communication link failure"}};
        script.returns[c.failing] = {SQL_ERROR};
        c.operation();
        script.scriptDiagnostics = false;

        EXPECT_EQ(trail, c.trail);
        EXPECT_EQ(vetoed, std::vector<std::string>{"08S01"}) << "no call reached a freed handle";
        EXPECT_FALSE(connection.Connected());
        EXPECT_FALSE(s.Initialized());
        EXPECT_EQ(script.liveHandles[SQL_HANDLE_STMT], 0) << "the generated statements went too";
        EXPECT_EQ(script.liveHandles[SQL_HANDLE_DBC], 0);

        s.SetRowSetSize(1);
        s.SetSQL("SELECT id, doc FROM t ORDER BY id");
        s.Execute();
        std::string rows;
        for (int row = 1; row <= 2 && s.FetchNext(); ++row)
            rows += (row > 1 ? "|" : "") + s.GetColString(2);
        EXPECT_EQ(rows, c.afterwards);
    }
}

// The program's own database, through the statement: the lookup of a sex and a nation code.
TEST(ProgramDatabase, TheCodeLookupStatementThroughTheStatement)
{
    THdbc c;
    TStringList lines;
    const std::string folder = OdbcTest::DistFolder();
    lines.Add("DRIVER=Microsoft Access Driver (*.mdb)");
    lines.Add("DefaultDir=" + folder);
    lines.Add("DBQ=" + folder + "DataBase.mdb");
    c.SetAttributes(lines);
    THstmt s;
    s.SetHdbc(&c);
    const auto lookup = [&](int group, const std::string& code) -> std::optional<std::string> {
        TStringList sql;
        sql.Add(" select di_selno,di_mnemonic,di_cvalue from dictionary where di_dfid=" +
                std::to_string(group) + " ");
        sql.Add(" and di_selno = '" + code + "'");
        s.SetSQL(sql.Text().substr(0, sql.Text().size() - 2));
        s.Prepare();
        s.Execute();
        if (!s.FetchNext())
            return std::nullopt;
        return s.GetColStringByName("di_cvalue");
    };
    const auto counts = [&](SqlLen expected) {
        for (TRowCountMethod m : {rcFunction, rcSelect, rcTraverse}) {
            s.SetRowCountMethod(m);
            EXPECT_EQ(s.GetRowCount(), expected) << "method " << static_cast<int>(m);
        }
    };
    EXPECT_EQ(lookup(7, "1"), "\xE7\x94\xB7");
    EXPECT_EQ(lookup(7, "2"), "\xE5\xA5\xB3");
    EXPECT_EQ(lookup(7, "5"), std::nullopt);
    counts(0);
    EXPECT_EQ(lookup(8, "1"), "\xE6\xB1\x89\xE6\x97\x8F");
    counts(1);
}
