#pragma once
// The scripted ODBC double: the real driver manager's function table with entries replaced, for
// failures and answers no real driver produces on demand (several diagnostic records, a failing
// diagnostic read, 08S01, allocation failures, SQL_STILL_EXECUTING, data at execution, values in
// pieces, scripted fetches). Every entry point counts its calls; whatever is not scripted goes to the
// real driver manager. One script at a time, installed for the object's lifetime.
#include "odbc/driver/Oci.h"
#include "odbc/handles/OdbcError.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ScriptedOdbc
{
public:
    ScriptedOdbc();
    ~ScriptedOdbc();
    ScriptedOdbc(const ScriptedOdbc&) = delete;
    ScriptedOdbc& operator=(const ScriptedOdbc&) = delete;

    // ---- Any entry point, by its ODBC name ---------------------------------------------------------

    // Return codes the next calls give instead of calling the driver, one per call; once used up the
    // calls reach the driver again. returns["SQLExecDirect"] = {SQL_STILL_EXECUTING,
    // SQL_STILL_EXECUTING} lets a statement run asynchronously twice before the driver runs it.
    std::map<std::string, std::deque<SQLRETURN>> returns;
    // Return codes the next calls give after the driver has been called (so its state moves on).
    std::map<std::string, std::deque<SQLRETURN>> returnsAfterCall;
    // How often each entry point was called.
    std::map<std::string, int> calls;
    // Handles the driver manager allocated and has not freed since the script was installed, by
    // handle type (SQL_HANDLE_ENV, SQL_HANDLE_DBC, SQL_HANDLE_STMT): what a test leaves is a leak.
    std::map<SQLSMALLINT, int> liveHandles;

    // ---- Handles and connections (predate the maps above; kept for their tests) --------------------

    // Results to return instead of calling the driver (empty: call it).
    std::optional<SQLRETURN> allocEnv, allocDbc, allocStmt;
    std::optional<SQLRETURN> connect, driverConnect, endTran;
    // Results reported after the real call has been made (so no handle is left behind).
    std::optional<SQLRETURN> disconnect, freeDbc;

    // ---- Diagnostics --------------------------------------------------------------------------------

    // Diagnostic records SQLGetDiagRec returns for any handle, in order, then SQL_NO_DATA; when
    // scripted is false the real records are read (or the record a scripted call left, below).
    bool scriptDiagnostics = false;
    std::vector<TErrorRec> records;
    // Record number (from 1) at which SQLGetDiagRec fails with SQL_ERROR instead.
    int failDiagAt = 0;
    // Return code of each successful record read (SQL_SUCCESS_WITH_INFO for a cut message).
    SQLRETURN recordRc = SQL_SUCCESS;
    SQLSMALLINT lastDiagType = 0;
    SQLHANDLE lastDiagHandle = nullptr;

    // ---- SQLGetData in pieces -----------------------------------------------------------------------

    // A column value SQLGetData hands out without asking the driver. Each call fills the caller's
    // buffer with the next piece (SQL_C_CHAR pieces end in a zero byte, other types do not), sets the
    // indicator to the length still to come before the call (SQL_NO_TOTAL when noTotal), and returns
    // SQL_SUCCESS_WITH_INFO while more remains (its diagnostic record is 01004), SQL_SUCCESS with the
    // last piece and SQL_NO_DATA after it. No value: SQL_NULL_DATA, once.
    struct Cell
    {
        std::optional<std::string> value;
        bool noTotal = false;
        std::size_t delivered = 0; // bytes handed out so far
        bool done = false;         // the last piece (or the null) has been handed out
    };
    // By column number, for any statement.
    std::map<SQLUSMALLINT, Cell> cells;
    void ScriptCell(SQLUSMALLINT column, std::optional<std::string> value, bool noTotal = false)
    {
        cells[column] = Cell{std::move(value), noTotal};
    }

    // ---- Data at execution --------------------------------------------------------------------------

    // SQLBindParameter is always recorded (and passed on); while dataAtExecution is set, SQLExecute or
    // SQLExecDirect of a statement with bound parameters whose indicator asks for data at execution
    // (SQL_DATA_AT_EXEC or SQL_LEN_DATA_AT_EXEC(n)) return SQL_NEED_DATA without reaching the driver.
    // SQLParamData then hands out those parameters' value pointers in order of parameter number, each
    // with SQL_NEED_DATA, and finally returns paramDataDone; the statement never runs on the driver.
    // SQLPutData on such a statement records what it is sent and returns SQL_SUCCESS.
    bool dataAtExecution = false;
    SQLRETURN paramDataDone = SQL_SUCCESS;
    // When set, the first SQLParamData of a statement hands out this pointer instead of a bound value
    // (a driver asking for a value nobody bound).
    std::optional<SQLPOINTER> foreignToken;
    struct PutDataCall
    {
        SQLPOINTER token;                 // the value pointer SQLParamData handed out last
        std::optional<std::string> bytes; // empty for SQL_NULL_DATA
        SQLLEN length;                    // the length argument as given
    };
    std::vector<PutDataCall> putData;

    // ---- Driver information -------------------------------------------------------------------------

    // 32-bit answers of SQLGetInfo given without asking the driver (cursor attribute masks of a driver
    // that offers what no driver here does); other information types reach the driver.
    std::map<SQLUSMALLINT, SQLUINTEGER> info;

    // ---- Positioned operations and scrolling --------------------------------------------------------

    struct SetPosCall
    {
        SQLSETPOSIROW row;
        SQLUSMALLINT operation;
        SQLUSMALLINT lock;
    };
    // Every SQLSetPos call; what it returns comes from returns["SQLSetPos"] or the driver.
    std::vector<SetPosCall> setPosCalls;

    // Fetches answered without the driver, one per call of SQLFetch or SQLFetchScroll: the return
    // code, the row count written to SQL_ATTR_ROWS_FETCHED_PTR and the statuses written to
    // SQL_ATTR_ROW_STATUS_PTR (where the statement set them through SQLSetStmtAttr). Bound columns are
    // left as they are. Once used up, fetches reach the driver again.
    struct Fetch
    {
        SQLRETURN rc = SQL_SUCCESS;
        SQLULEN rows = 1;
        std::vector<SQLUSMALLINT> status;
    };
    std::deque<Fetch> fetches;
    struct FetchCall
    {
        SQLSMALLINT orientation; // SQLFetch is recorded as SQL_FETCH_NEXT
        SQLLEN offset;
    };
    std::vector<FetchCall> fetchCalls;

    static ScriptedOdbc& Current() { return *current_; }

    // For the entry points (ScriptedOdbc.cpp): count the call and take a scripted code to return
    // instead of calling the driver, or after calling it.
    std::optional<SQLRETURN> Before(const char* name);
    SQLRETURN After(const char* name, SQLRETURN driverRc);

    // What the entry points remember per statement handle.
    struct Binding
    {
        SQLPOINTER value;
        SQLLEN* indicator;
        SQLSMALLINT direction = SQL_PARAM_INPUT;
        SQLSMALLINT cType = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN columnSize = 0;
        SQLSMALLINT digits = 0;
        SQLLEN bufferLength = 0;
    };
    struct StatementState
    {
        std::map<SQLUSMALLINT, Binding> parameters;
        std::deque<SQLPOINTER> pendingData; // value pointers SQLParamData still hands out
        bool inDataAtExecution = false;
        SQLPOINTER currentToken = nullptr;
        SQLULEN* rowsFetched = nullptr;
        SQLUSMALLINT* rowStatus = nullptr;
    };
    std::map<SQLHSTMT, StatementState> statements;
    // A diagnostic record a scripted call left for the next SQLGetDiagRec on its handle.
    std::optional<std::pair<SQLHANDLE, TErrorRec>> pendingRecord;

private:
    static ScriptedOdbc* current_;
    Oci::DriverManager table_;
    std::optional<Oci::ScopedDriverManager> installed_;
};
