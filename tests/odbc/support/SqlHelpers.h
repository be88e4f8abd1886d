#pragma once
// Small helpers for tests that need to run SQL before the statement class exists: direct calls on a
// connection's handle through the binding.
#include "odbc/handles/Hdbc.h"

#include <string>

// Configures c for a new SQLite database file (DSN-less, through the private odbcinst.ini).
void UseNewSqlite(THdbc& c);
// Runs sql; returns the ODBC return code of SQLExecDirect.
short ExecSql(THdbc& c, const std::string& sql);
// The first column of the first row as an integer (-1 when there is no row).
long QueryLong(THdbc& c, const std::string& sql);
// The first column of the first row as text ("" when there is no row).
std::string QueryText(THdbc& c, const std::string& sql);
