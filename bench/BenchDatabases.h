#pragma once
// The databases the ODBC benchmarks run on: a SQLite file of the run's own, and PostgreSQL when
// ZIRA_PG_SOCKET and ZIRA_PG_PORT name a running cluster (scripts/services/postgres.sh starts one).
#include "odbc/handles/Hdbc.h"

#include <sql.h>

#include <memory>
#include <string>

namespace bench {

// A connection string for the SQLite file (its name is made unique to the process by the caller).
std::string SqliteConnectString(const std::string& file);
// Empty when no cluster is named.
std::string PostgresConnectString();

// An ODBC text argument from a string that outlives the call.
inline SQLCHAR* Text(const std::string& s)
{
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

// Executes one statement through THstmt.
void Run(THdbc& c, const std::string& sql);

// One connection with a benchmark's rows, made on first use and kept for the run; the SQLite file
// is removed when it goes.
struct Source
{
    std::unique_ptr<THdbc> connection;
    std::string table;
    std::string file;

    // Sets up the connection (not yet connected) for connectString.
    void Open(const std::string& connectString);
    // A new SQLite file named after stem (SqliteFile), any left from before removed.
    void OpenSqlite(const std::string& stem);
    // The test cluster; false when none is named.
    bool OpenPostgres();
    ~Source();
};

// A SQLite file in the temporary folder named after stem and the process.
std::string SqliteFile(const std::string& stem);

} // namespace bench
