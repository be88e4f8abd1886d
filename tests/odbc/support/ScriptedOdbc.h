#pragma once
// The scripted ODBC double: the real driver manager's function table with a few entries replaced,
// for failures no real driver produces on demand (several diagnostic records, a failing diagnostic
// read, 08S01, allocation failures, SQL_STILL_EXECUTING). Unscripted calls go to the real driver
// manager. One script at a time, installed for the object's lifetime.
#include "odbc/driver/Oci.h"
#include "odbc/handles/OdbcError.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class ScriptedOdbc
{
public:
    ScriptedOdbc();
    ~ScriptedOdbc();

    // Results to return instead of calling the driver (empty: call it).
    std::optional<SQLRETURN> allocEnv, allocDbc, allocStmt;
    std::optional<SQLRETURN> connect, driverConnect, endTran;
    // Results reported after the real call has been made (so no handle is left behind).
    std::optional<SQLRETURN> disconnect, freeDbc;

    // Diagnostic records SQLGetDiagRec returns for any handle, in order, then SQL_NO_DATA; when
    // scripted is false the real records are read.
    bool scriptDiagnostics = false;
    std::vector<TErrorRec> records;
    // Record number (from 1) at which SQLGetDiagRec fails with SQL_ERROR instead.
    int failDiagAt = 0;
    // Return code of each successful record read (SQL_SUCCESS_WITH_INFO for a cut message).
    SQLRETURN recordRc = SQL_SUCCESS;

    // How often each scripted entry point was called, and what SQLGetDiagRec was asked for.
    std::map<std::string, int> calls;
    SQLSMALLINT lastDiagType = 0;
    SQLHANDLE lastDiagHandle = nullptr;

    static ScriptedOdbc& Current() { return *current_; }

private:
    static ScriptedOdbc* current_;
    Oci::DriverManager table_;
    std::optional<Oci::ScopedDriverManager> installed_;
};
