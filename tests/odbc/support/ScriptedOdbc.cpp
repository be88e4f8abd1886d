#include "odbc/support/ScriptedOdbc.h"

#include <cstring>

ScriptedOdbc* ScriptedOdbc::current_ = nullptr;

namespace {

const Oci::DriverManager& Real()
{
    return Oci::LoadedDriverManager();
}

SQLRETURN AllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    ++s.calls["SQLAllocHandle"];
    const std::optional<SQLRETURN>& scripted = type == SQL_HANDLE_ENV   ? s.allocEnv
                                               : type == SQL_HANDLE_DBC ? s.allocDbc
                                                                        : s.allocStmt;
    if (scripted) {
        *output = nullptr;
        return *scripted;
    }
    return Real().SQLAllocHandle(type, input, output);
}

SQLRETURN Connect(SQLHDBC h, SQLCHAR* dsn, SQLSMALLINT l1, SQLCHAR* uid, SQLSMALLINT l2, SQLCHAR* pwd,
                  SQLSMALLINT l3)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    ++s.calls["SQLConnect"];
    return s.connect ? *s.connect : Real().SQLConnect(h, dsn, l1, uid, l2, pwd, l3);
}

SQLRETURN DriverConnect(SQLHDBC h, SQLHWND w, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out,
                        SQLSMALLINT outMax, SQLSMALLINT* outLength, SQLUSMALLINT completion)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    ++s.calls["SQLDriverConnect"];
    return s.driverConnect ? *s.driverConnect
                           : Real().SQLDriverConnect(h, w, in, inLength, out, outMax, outLength, completion);
}

SQLRETURN Disconnect(SQLHDBC h)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    ++s.calls["SQLDisconnect"];
    const SQLRETURN rc = Real().SQLDisconnect(h);
    return s.disconnect ? *s.disconnect : rc;
}

SQLRETURN EndTran(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT completion)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    ++s.calls["SQLEndTran"];
    return s.endTran ? *s.endTran : Real().SQLEndTran(type, h, completion);
}

SQLRETURN FreeHandle(SQLSMALLINT type, SQLHANDLE h)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    ++s.calls["SQLFreeHandle"];
    const SQLRETURN rc = Real().SQLFreeHandle(type, h);
    return type == SQL_HANDLE_DBC && s.freeDbc ? *s.freeDbc : rc;
}

SQLRETURN GetDiagRec(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* native,
                     SQLCHAR* message, SQLSMALLINT messageMax, SQLSMALLINT* length)
{
    ScriptedOdbc& s = ScriptedOdbc::Current();
    ++s.calls["SQLGetDiagRec"];
    s.lastDiagType = type;
    s.lastDiagHandle = h;
    if (!s.scriptDiagnostics)
        return Real().SQLGetDiagRec(type, h, record, state, native, message, messageMax, length);
    if (record == s.failDiagAt)
        return SQL_ERROR;
    if (record < 1 || record > static_cast<SQLSMALLINT>(s.records.size()))
        return SQL_NO_DATA;
    const TErrorRec& rec = s.records[static_cast<std::size_t>(record - 1)];
    std::strncpy(reinterpret_cast<char*>(state), rec.State.c_str(), 6);
    *native = rec.Native;
    std::strncpy(reinterpret_cast<char*>(message), rec.Message.c_str(),
                 static_cast<std::size_t>(messageMax) - 1);
    message[messageMax - 1] = 0;
    *length = static_cast<SQLSMALLINT>(rec.Message.size());
    return s.recordRc;
}

} // namespace

ScriptedOdbc::ScriptedOdbc() : table_(Real())
{
    table_.SQLAllocHandle = AllocHandle;
    table_.SQLConnect = Connect;
    table_.SQLDriverConnect = DriverConnect;
    table_.SQLDisconnect = Disconnect;
    table_.SQLEndTran = EndTran;
    table_.SQLFreeHandle = FreeHandle;
    table_.SQLGetDiagRec = GetDiagRec;
    current_ = this;
    installed_.emplace(table_);
}

ScriptedOdbc::~ScriptedOdbc()
{
    installed_.reset();
    current_ = nullptr;
}
