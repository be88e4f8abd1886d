#pragma once
// The private ODBC configuration of this test run (written before the first ODBC call) and the
// peers the tests connect to.
#include <string>

namespace OdbcTest {

// Folder holding odbcinst.ini and odbc.ini, and a scratch folder for database files.
const std::string& ConfigDir();
// A new, not yet existing SQLite database file in the scratch folder.
std::string NewSqliteFile();
// Name of the DSN in the private odbc.ini; its database is a file in the scratch folder.
inline constexpr const char* kSqliteDsn = "ZiraSqlite";
// The program folder's copy of DataBase.mdb (from the source tree), with trailing "/".
std::string DistFolder();
// The connection string lines of the throwaway PostgreSQL cluster; empty when it is not running.
std::string PostgresConnectString();

} // namespace OdbcTest
