#include "odbc/support/ScriptedOdbc.h"

#include <algorithm>
#include <cstring>

ScriptedOdbc* ScriptedOdbc::current_ = nullptr;

namespace {

const Oci::DriverManager& Real()
{
    return Oci::LoadedDriverManager();
}

// ---- Every entry point: counted, scripted return codes, else the driver --------------------------

#define SCRIPTED_NAME(name) constexpr char k##name[] = #name;
OCI_DRIVER_MANAGER_FUNCTIONS(SCRIPTED_NAME)
#undef SCRIPTED_NAME

template <class Entry> struct Hook;
template <class... Args> struct Hook<SQLRETURN (*)(Args...)>
{
    template <auto Member, const char* Name> static SQLRETURN Call(Args... args)
    {
        ScriptedOdbc& s = ScriptedOdbc::Current();
        if (const auto rc = s.Before(Name))
            return *rc;
        return s.After(Name, (Real().*Member)(args...));
    }
};

// ---- Handles, connections, diagnostics -----------------------------------------------------------

SQLRETURN AllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    const std::optional<SQLRETURN>& scripted = type == SQL_HANDLE_ENV   ? s.allocEnv
                                               : type == SQL_HANDLE_DBC ? s.allocDbc
                                                                        : s.allocStmt;
    std::optional<SQLRETURN> rc = s.Before(kSQLAllocHandle);
    if (!rc && scripted)
        rc = scripted;
    if (rc) {
        *output = nullptr;
        return *rc;
    }
    const SQLRETURN allocated = Real().SQLAllocHandle(type, input, output);
    if (SQL_SUCCEEDED(allocated))
        ++s.liveHandles[type];
    return s.After(kSQLAllocHandle, allocated);
}

SQLRETURN Connect(SQLHDBC h, SQLCHAR* dsn, SQLSMALLINT l1, SQLCHAR* uid, SQLSMALLINT l2, SQLCHAR* pwd,
                  SQLSMALLINT l3)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLConnect))
        return *rc;
    return s.connect ? *s.connect : s.After(kSQLConnect, Real().SQLConnect(h, dsn, l1, uid, l2, pwd, l3));
}

SQLRETURN DriverConnect(SQLHDBC h, SQLHWND w, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out,
                        SQLSMALLINT outMax, SQLSMALLINT* outLength, SQLUSMALLINT completion)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLDriverConnect))
        return *rc;
    return s.driverConnect
               ? *s.driverConnect
               : s.After(kSQLDriverConnect,
                         Real().SQLDriverConnect(h, w, in, inLength, out, outMax, outLength, completion));
}

SQLRETURN Disconnect(SQLHDBC h)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLDisconnect))
        return *rc;
    const SQLRETURN rc = s.After(kSQLDisconnect, Real().SQLDisconnect(h));
    return s.disconnect ? *s.disconnect : rc;
}

SQLRETURN EndTran(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT completion)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLEndTran))
        return *rc;
    return s.endTran ? *s.endTran : s.After(kSQLEndTran, Real().SQLEndTran(type, h, completion));
}

SQLRETURN FreeHandle(SQLSMALLINT type, SQLHANDLE h)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLFreeHandle))
        return *rc;
    const SQLRETURN freed = Real().SQLFreeHandle(type, h);
    if (SQL_SUCCEEDED(freed))
        --s.liveHandles[type];
    const SQLRETURN rc = s.After(kSQLFreeHandle, freed);
    if (type == SQL_HANDLE_STMT && SQL_SUCCEEDED(rc))
        s.statements.erase(h);
    return type == SQL_HANDLE_DBC && s.freeDbc ? *s.freeDbc : rc;
}

SQLRETURN CopyRecord(const TErrorRec& rec, SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                     SQLSMALLINT messageMax, SQLSMALLINT* length, SQLRETURN rc)
{
    if (state != nullptr) {
        std::strncpy(reinterpret_cast<char*>(state), rec.State.c_str(), 5);
        state[5] = 0;
    }
    if (native != nullptr)
        *native = rec.Native;
    if (message != nullptr && messageMax > 0) {
        std::strncpy(reinterpret_cast<char*>(message), rec.Message.c_str(),
                     static_cast<std::size_t>(messageMax) - 1);
        message[messageMax - 1] = 0;
    }
    if (length != nullptr)
        *length = static_cast<SQLSMALLINT>(rec.Message.size());
    return rc;
}

SQLRETURN GetDiagRec(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* native,
                     SQLCHAR* message, SQLSMALLINT messageMax, SQLSMALLINT* length)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    s.lastDiagType = type;
    s.lastDiagHandle = h;
    if (const auto rc = s.Before(kSQLGetDiagRec))
        return *rc;
    if (!s.scriptDiagnostics) {
        if (s.pendingRecord && s.pendingRecord->first == h)
            return record == 1 ? CopyRecord(s.pendingRecord->second, state, native, message, messageMax,
                                            length, SQL_SUCCESS)
                               : SQL_NO_DATA;
        return s.After(kSQLGetDiagRec,
                       Real().SQLGetDiagRec(type, h, record, state, native, message, messageMax, length));
    }
    if (record == s.failDiagAt)
        return SQL_ERROR;
    if (record < 1 || record > static_cast<SQLSMALLINT>(s.records.size()))
        return SQL_NO_DATA;
    return CopyRecord(s.records[static_cast<std::size_t>(record - 1)], state, native, message, messageMax,
                      length, s.recordRc);
}

// ---- Values in pieces ----------------------------------------------------------------------------

SQLRETURN GetData(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER target, SQLLEN bufferLength,
                  SQLLEN* indicator)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLGetData))
        return *rc;
    const auto found = s.cells.find(column);
    if (found == s.cells.end())
        return s.After(kSQLGetData, Real().SQLGetData(h, column, type, target, bufferLength, indicator));
    ScriptedOdbc::Cell& cell = found->second;
    if (cell.done)
        return SQL_NO_DATA;
    if (!cell.value) {
        cell.done = true;
        if (indicator != nullptr)
            *indicator = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    const std::size_t remaining = cell.value->size() - cell.delivered;
    if (indicator != nullptr)
        *indicator = cell.noTotal ? SQL_NO_TOTAL : static_cast<SQLLEN>(remaining);
    const bool text = type == SQL_C_CHAR;
    const std::size_t room =
        bufferLength <= 0 ? 0
                          : static_cast<std::size_t>(bufferLength) - (text ? 1 : 0); // text keeps a zero byte
    const std::size_t piece = target == nullptr ? 0 : std::min(room, remaining);
    if (target != nullptr && bufferLength > 0) {
        std::memcpy(target, cell.value->data() + cell.delivered, piece);
        if (text)
            static_cast<char*>(target)[piece] = 0;
    }
    cell.delivered += piece;
    if (cell.delivered < cell.value->size()) {
        s.pendingRecord.emplace(h, TErrorRec{"01004", 0, "String data, right truncated"});
        return SQL_SUCCESS_WITH_INFO;
    }
    cell.done = true;
    return SQL_SUCCESS;
}

// ---- Data at execution ---------------------------------------------------------------------------

SQLRETURN BindParameter(SQLHSTMT h, SQLUSMALLINT number, SQLSMALLINT io, SQLSMALLINT valueType,
                        SQLSMALLINT parameterType, SQLULEN columnSize, SQLSMALLINT digits, SQLPOINTER value,
                        SQLLEN bufferLength, SQLLEN* indicator)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLBindParameter))
        return *rc;
    s.statements[h].parameters[number] = ScriptedOdbc::Binding{
        value, indicator, io, valueType, parameterType, columnSize, digits, bufferLength};
    return s.After(kSQLBindParameter,
                   Real().SQLBindParameter(h, number, io, valueType, parameterType, columnSize, digits, value,
                                           bufferLength, indicator));
}

bool AsksForDataAtExecution(const SQLLEN* indicator)
{
    return indicator != nullptr &&
           (*indicator == SQL_DATA_AT_EXEC || *indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET);
}

// True when the statement goes into data at execution (its pending parameters are queued).
bool StartDataAtExecution(ScriptedOdbc& s, SQLHSTMT h)
{
    if (!s.dataAtExecution)
        return false;
    ScriptedOdbc::StatementState& state = s.statements[h];
    state.pendingData.clear();
    for (const auto& [number, binding] : state.parameters)
        if (AsksForDataAtExecution(binding.indicator))
            state.pendingData.push_back(binding.value);
    state.inDataAtExecution = !state.pendingData.empty();
    state.currentToken = nullptr;
    return state.inDataAtExecution;
}

SQLRETURN Execute(SQLHSTMT h)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLExecute))
        return *rc;
    if (StartDataAtExecution(s, h))
        return SQL_NEED_DATA;
    return s.After(kSQLExecute, Real().SQLExecute(h));
}

SQLRETURN ExecDirect(SQLHSTMT h, SQLCHAR* text, SQLINTEGER length)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLExecDirect))
        return *rc;
    if (StartDataAtExecution(s, h))
        return SQL_NEED_DATA;
    return s.After(kSQLExecDirect, Real().SQLExecDirect(h, text, length));
}

SQLRETURN ParamData(SQLHSTMT h, SQLPOINTER* value)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLParamData))
        return *rc;
    const auto found = s.statements.find(h);
    if (found == s.statements.end() || !found->second.inDataAtExecution)
        return s.After(kSQLParamData, Real().SQLParamData(h, value));
    ScriptedOdbc::StatementState& state = found->second;
    if (state.pendingData.empty()) {
        state.inDataAtExecution = false;
        state.currentToken = nullptr;
        return s.paramDataDone;
    }
    state.currentToken = state.pendingData.front();
    state.pendingData.pop_front();
    if (s.foreignToken) {
        state.currentToken = *s.foreignToken;
        s.foreignToken.reset();
    }
    if (value != nullptr)
        *value = state.currentToken;
    return SQL_NEED_DATA;
}

SQLRETURN PutData(SQLHSTMT h, SQLPOINTER data, SQLLEN length)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLPutData))
        return *rc;
    const auto found = s.statements.find(h);
    if (found == s.statements.end() || !found->second.inDataAtExecution)
        return s.After(kSQLPutData, Real().SQLPutData(h, data, length));
    ScriptedOdbc::PutDataCall call{found->second.currentToken, std::nullopt, length};
    if (length == SQL_NTS)
        call.bytes = std::string(static_cast<const char*>(data));
    else if (length >= 0)
        call.bytes = std::string(static_cast<const char*>(data), static_cast<std::size_t>(length));
    s.putData.push_back(std::move(call));
    return SQL_SUCCESS;
}

SQLRETURN Cancel(SQLHSTMT h)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto found = s.statements.find(h); found != s.statements.end()) {
        found->second.inDataAtExecution = false;
        found->second.pendingData.clear();
    }
    if (const auto rc = s.Before(kSQLCancel))
        return *rc;
    return s.After(kSQLCancel, Real().SQLCancel(h));
}

SQLRETURN FreeStmt(SQLHSTMT h, SQLUSMALLINT option)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLFreeStmt))
        return *rc;
    const SQLRETURN rc = s.After(kSQLFreeStmt, Real().SQLFreeStmt(h, option));
    if (option == SQL_RESET_PARAMS)
        if (const auto found = s.statements.find(h); found != s.statements.end())
            found->second.parameters.clear();
    return rc;
}

// ---- Positioned operations and scrolling ---------------------------------------------------------

SQLRETURN SetStmtAttr(SQLHSTMT h, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLSetStmtAttr))
        return *rc;
    const SQLRETURN rc = s.After(kSQLSetStmtAttr, Real().SQLSetStmtAttr(h, attribute, value, length));
    if (attribute == SQL_ATTR_ROWS_FETCHED_PTR)
        s.statements[h].rowsFetched = static_cast<SQLULEN*>(value);
    else if (attribute == SQL_ATTR_ROW_STATUS_PTR)
        s.statements[h].rowStatus = static_cast<SQLUSMALLINT*>(value);
    return rc;
}

// A scripted fetch, or nothing when none is left.
std::optional<SQLRETURN> ScriptedFetch(ScriptedOdbc& s, SQLHSTMT h)
{
    if (s.fetches.empty())
        return std::nullopt;
    const ScriptedOdbc::Fetch fetch = s.fetches.front();
    s.fetches.pop_front();
    const ScriptedOdbc::StatementState& state = s.statements[h];
    if (state.rowsFetched != nullptr)
        *state.rowsFetched = fetch.rows;
    if (state.rowStatus != nullptr)
        std::copy(fetch.status.begin(), fetch.status.end(), state.rowStatus);
    return fetch.rc;
}

SQLRETURN FetchNext(SQLHSTMT h)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    s.fetchCalls.push_back({SQL_FETCH_NEXT, 0});
    if (const auto rc = s.Before(kSQLFetch))
        return *rc;
    if (const auto rc = ScriptedFetch(s, h))
        return *rc;
    return s.After(kSQLFetch, Real().SQLFetch(h));
}

SQLRETURN FetchScroll(SQLHSTMT h, SQLSMALLINT orientation, SQLLEN offset)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    s.fetchCalls.push_back({orientation, offset});
    if (const auto rc = s.Before(kSQLFetchScroll))
        return *rc;
    if (const auto rc = ScriptedFetch(s, h))
        return *rc;
    return s.After(kSQLFetchScroll, Real().SQLFetchScroll(h, orientation, offset));
}

SQLRETURN GetInfo(SQLHDBC h, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT length, SQLSMALLINT* written)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    if (const auto rc = s.Before(kSQLGetInfo))
        return *rc;
    const auto found = s.info.find(type);
    if (found == s.info.end())
        return s.After(kSQLGetInfo, Real().SQLGetInfo(h, type, value, length, written));
    if (value != nullptr)
        std::memcpy(value, &found->second, sizeof found->second);
    if (written != nullptr)
        *written = static_cast<SQLSMALLINT>(sizeof found->second);
    return SQL_SUCCESS;
}

SQLRETURN SetPos(SQLHSTMT h, SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lock)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    s.setPosCalls.push_back({row, operation, lock});
    if (const auto rc = s.Before(kSQLSetPos))
        return *rc;
    return s.After(kSQLSetPos, Real().SQLSetPos(h, row, operation, lock));
}

} // namespace

std::optional<SQLRETURN> ScriptedOdbc::Before(const char* name)
{
    ++calls[name];
    // A record left by a scripted call belongs to that call only: the next call on any handle clears
    // it, as the driver manager clears a handle's records.
    if (std::strncmp(name, "SQLGetDiag", 10) != 0)
        pendingRecord.reset();
    const auto found = returns.find(name);
    if (found == returns.end() || found->second.empty())
        return std::nullopt;
    const SQLRETURN rc = found->second.front();
    found->second.pop_front();
    return rc;
}

SQLRETURN ScriptedOdbc::After(const char* name, SQLRETURN driverRc)
{
    const auto found = returnsAfterCall.find(name);
    if (found == returnsAfterCall.end() || found->second.empty())
        return driverRc;
    const SQLRETURN rc = found->second.front();
    found->second.pop_front();
    return rc;
}

ScriptedOdbc::ScriptedOdbc() : table_(Real())
{
    // Every entry point the real library has is counted and can be given scripted return codes;
    // one it lacks stays missing, so its wrapper still reports the missing method.
#define SCRIPTED_HOOK(name)                                                                                  \
    if (Real().name != nullptr)                                                                              \
        table_.name = &Hook<decltype(&::name)>::Call<&Oci::DriverManager::name, k##name>;
    OCI_DRIVER_MANAGER_FUNCTIONS(SCRIPTED_HOOK)
#undef SCRIPTED_HOOK
    table_.SQLAllocHandle = AllocHandle;
    table_.SQLConnect = Connect;
    table_.SQLDriverConnect = DriverConnect;
    table_.SQLDisconnect = Disconnect;
    table_.SQLEndTran = EndTran;
    table_.SQLFreeHandle = FreeHandle;
    table_.SQLGetDiagRec = GetDiagRec;
    table_.SQLGetData = GetData;
    table_.SQLBindParameter = BindParameter;
    table_.SQLExecute = Execute;
    table_.SQLExecDirect = ExecDirect;
    table_.SQLParamData = ParamData;
    table_.SQLPutData = PutData;
    table_.SQLCancel = Cancel;
    table_.SQLFreeStmt = FreeStmt;
    table_.SQLSetStmtAttr = SetStmtAttr;
    table_.SQLFetch = FetchNext;
    table_.SQLFetchScroll = FetchScroll;
    table_.SQLSetPos = SetPos;
    table_.SQLGetInfo = GetInfo;
    current_ = this;
    installed_.emplace(table_);
}

ScriptedOdbc::~ScriptedOdbc()
{
    installed_.reset();
    current_ = nullptr;
}
