// The scripted function table the statement tests rely on, through the binding's wrappers on a real
// SQLite statement: scripted codes before and after the driver runs, values handed out in pieces,
// data at execution, scripted fetches and positioned operations; what is not scripted reaches the
// driver.
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

SQLCHAR* Sql(const char* text)
{
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

class ScriptedTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UseNewSqlite(c);
        c.Connect();
        ASSERT_EQ(ExecSql(c, "CREATE TABLE t (a TEXT, b INTEGER)"), SQL_SUCCESS);
        ASSERT_EQ(Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &stmt), SQL_SUCCESS);
    }
    void TearDown() override { Oci::SQLFreeHandle(SQL_HANDLE_STMT, stmt); }

    std::string DiagState()
    {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[256] = {};
        SQLSMALLINT length = 0;
        if (Oci::SQLGetDiagRec(SQL_HANDLE_STMT, stmt, 1, state, &native, message, sizeof message, &length) !=
            SQL_SUCCESS)
            return "none";
        return reinterpret_cast<char*>(state);
    }

    THdbc c;
    SQLHSTMT stmt = nullptr;
};

TEST_F(ScriptedTable, StillExecutingUntilTheScriptIsUsedUpThenTheDriverRuns)
{
    ScriptedOdbc script;
    script.returns["SQLExecDirect"] = {SQL_STILL_EXECUTING, SQL_STILL_EXECUTING};
    const char* insert = "INSERT INTO t VALUES ('x', 1)";
    EXPECT_EQ(Oci::SQLExecDirect(stmt, Sql(insert), SQL_NTS), SQL_STILL_EXECUTING);
    EXPECT_EQ(Oci::SQLExecDirect(stmt, Sql(insert), SQL_NTS), SQL_STILL_EXECUTING);
    EXPECT_EQ(Oci::SQLExecDirect(stmt, Sql(insert), SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(script.calls["SQLExecDirect"], 3);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM t"), 1) << "only the last call reached the driver";

    // A code given after the driver ran: the row is there although the call reports a failure.
    script.returnsAfterCall["SQLExecDirect"] = {SQL_ERROR};
    EXPECT_EQ(Oci::SQLExecDirect(stmt, Sql("INSERT INTO t VALUES ('y', 2)"), SQL_NTS), SQL_ERROR);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM t"), 2);
}

TEST_F(ScriptedTable, GetDataHandsOutAValueInPieces)
{
    struct Case
    {
        const char* name;
        SQLSMALLINT type;
        SQLLEN buffer;
        bool noTotal;
        std::vector<std::string> pieces;
        std::vector<SQLLEN> indicators;
    };
    const Case cases[] = {
        {"text, a zero byte ends each piece", SQL_C_CHAR, 4, false, {"abc", "def", "gh"}, {8, 5, 2}},
        {"binary fills the whole buffer", SQL_C_BINARY, 4, false, {"abcd", "efgh"}, {8, 4}},
        {"text without a total length", SQL_C_CHAR, 6, true, {"abcde", "fgh"}, {SQL_NO_TOTAL, SQL_NO_TOTAL}},
        {"text that fits at once", SQL_C_CHAR, 9, false, {"abcdefgh"}, {8}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ScriptedOdbc script;
        script.ScriptCell(2, "abcdefgh", k.noTotal);
        for (std::size_t i = 0; i < k.pieces.size(); ++i) {
            std::vector<char> buffer(static_cast<std::size_t>(k.buffer), '\x7f');
            SQLLEN indicator = 0;
            const bool last = i + 1 == k.pieces.size();
            ASSERT_EQ(Oci::SQLGetData(stmt, 2, k.type, buffer.data(), k.buffer, &indicator),
                      last ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO);
            EXPECT_EQ(std::string(buffer.data(), k.pieces[i].size()), k.pieces[i]);
            if (k.type == SQL_C_CHAR) {
                EXPECT_EQ(buffer[k.pieces[i].size()], '\0');
            }
            EXPECT_EQ(indicator, k.indicators[i]);
            EXPECT_EQ(DiagState(), last ? "none" : "01004");
        }
        SQLLEN indicator = 0;
        char rest[4];
        EXPECT_EQ(Oci::SQLGetData(stmt, 2, k.type, rest, sizeof rest, &indicator), SQL_NO_DATA);
    }

    ScriptedOdbc script;
    script.ScriptCell(1, std::nullopt);
    SQLLEN indicator = 0;
    char buffer[4];
    EXPECT_EQ(Oci::SQLGetData(stmt, 1, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_SUCCESS);
    EXPECT_EQ(indicator, SQL_NULL_DATA);
    EXPECT_EQ(Oci::SQLGetData(stmt, 1, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_NO_DATA);
}

TEST_F(ScriptedTable, DataAtExecutionAsksForEachMarkedParameterAndRecordsWhatItIsSent)
{
    ScriptedOdbc script;
    script.dataAtExecution = true;
    ASSERT_EQ(Oci::SQLPrepare(stmt, Sql("INSERT INTO t VALUES (?, ?)"), SQL_NTS), SQL_SUCCESS);
    char token = 0;
    SQLLEN atExecution = SQL_LEN_DATA_AT_EXEC(6);
    SQLINTEGER number = 7;
    SQLLEN numberLength = 0;
    ASSERT_EQ(Oci::SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, &token, 0,
                                    &atExecution),
              SQL_SUCCESS);
    ASSERT_EQ(Oci::SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &number, 0,
                                    &numberLength),
              SQL_SUCCESS);

    ASSERT_EQ(Oci::SQLExecute(stmt), SQL_NEED_DATA);
    SQLPOINTER asked = nullptr;
    ASSERT_EQ(Oci::SQLParamData(stmt, &asked), SQL_NEED_DATA);
    EXPECT_EQ(asked, &token);
    EXPECT_EQ(Oci::SQLPutData(stmt, Sql("abc"), 3), SQL_SUCCESS);
    EXPECT_EQ(Oci::SQLPutData(stmt, Sql("def"), SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(Oci::SQLParamData(stmt, &asked), SQL_SUCCESS);
    ASSERT_EQ(script.putData.size(), 2u);
    EXPECT_EQ(script.putData[0].token, &token);
    EXPECT_EQ(script.putData[0].bytes, "abc");
    EXPECT_EQ(script.putData[1].bytes, "def");
    EXPECT_EQ(script.putData[1].length, SQL_NTS);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM t"), 0) << "the statement never ran on the driver";

    // Without a marked parameter the statement runs on the driver.
    atExecution = SQL_NTS;
    token = 0;
    EXPECT_EQ(Oci::SQLExecute(stmt), SQL_SUCCESS);
    EXPECT_EQ(QueryLong(c, "SELECT b FROM t"), 7);
}

TEST_F(ScriptedTable, ScriptedFetchesReportRowsAndStatusesThenTheDriverFetches)
{
    ASSERT_EQ(ExecSql(c, "INSERT INTO t VALUES ('x', 1)"), SQL_SUCCESS);
    SQLULEN rows = 99;
    SQLUSMALLINT status[3] = {};
    ScriptedOdbc script;
    ASSERT_TRUE(SQL_SUCCEEDED(Oci::SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &rows, 0)));
    ASSERT_TRUE(SQL_SUCCEEDED(Oci::SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, status, 0)));
    ASSERT_EQ(Oci::SQLExecDirect(stmt, Sql("SELECT b FROM t"), SQL_NTS), SQL_SUCCESS);
    script.fetches = {{SQL_SUCCESS_WITH_INFO, 2, {SQL_ROW_SUCCESS, SQL_ROW_DELETED}}, {SQL_NO_DATA, 0, {}}};

    EXPECT_EQ(Oci::SQLFetchScroll(stmt, SQL_FETCH_ABSOLUTE, 5), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(rows, 2u);
    EXPECT_EQ(status[0], SQL_ROW_SUCCESS);
    EXPECT_EQ(status[1], SQL_ROW_DELETED);
    EXPECT_EQ(Oci::SQLFetch(stmt), SQL_NO_DATA);
    EXPECT_EQ(rows, 0u);
    EXPECT_EQ(Oci::SQLFetch(stmt), SQL_SUCCESS) << "the driver's one row";
    EXPECT_EQ(rows, 1u);
    ASSERT_EQ(script.fetchCalls.size(), 3u);
    EXPECT_EQ(script.fetchCalls[0].orientation, SQL_FETCH_ABSOLUTE);
    EXPECT_EQ(script.fetchCalls[0].offset, 5);
    EXPECT_EQ(script.fetchCalls[1].orientation, SQL_FETCH_NEXT);

    script.returns["SQLSetPos"] = {SQL_ERROR};
    EXPECT_EQ(Oci::SQLSetPos(stmt, 1, SQL_DELETE, SQL_LOCK_NO_CHANGE), SQL_ERROR);
    ASSERT_EQ(script.setPosCalls.size(), 1u);
    EXPECT_EQ(script.setPosCalls[0].row, 1u);
    EXPECT_EQ(script.setPosCalls[0].operation, SQL_DELETE);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM t"), 1);
}

} // namespace
