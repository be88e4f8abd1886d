#include "bench/BenchDatabases.h"

#include "odbc/statements/Hstmt.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace bench {

namespace {
constexpr const char* kDrivers = "/usr/lib/x86_64-linux-gnu/odbc/";
}

std::string SqliteConnectString(const std::string& file)
{
    return std::string("DRIVER=") + kDrivers + "libsqlite3odbc.so;Database=" + file;
}

std::string PostgresConnectString()
{
    const char* socket = std::getenv("ZIRA_PG_SOCKET");
    const char* port = std::getenv("ZIRA_PG_PORT");
    if (socket == nullptr || port == nullptr || *socket == '\0')
        return {};
    return std::string("DRIVER=") + kDrivers + "psqlodbca.so;Servername=" + socket + ";Port=" + port +
           ";Database=postgres;UID=postgres";
}

void Run(THdbc& c, const std::string& sql)
{
    THstmt s;
    s.SetHdbc(&c);
    s.SetSQL(sql);
    s.Execute();
}

std::string SqliteFile(const std::string& stem)
{
    return (std::filesystem::temp_directory_path() / (stem + "-" + std::to_string(getpid()) + ".db"))
        .string();
}

void Source::Open(const std::string& connectString)
{
    connection = std::make_unique<THdbc>();
    TStringList lines;
    lines.Add(connectString);
    connection->SetAttributes(lines);
}

void Source::OpenSqlite(const std::string& stem)
{
    file = SqliteFile(stem);
    std::remove(file.c_str());
    Open(SqliteConnectString(file));
}

bool Source::OpenPostgres()
{
    const std::string connectString = PostgresConnectString();
    if (connectString.empty())
        return false;
    Open(connectString);
    return true;
}

Source::~Source()
{
    connection.reset();
    if (!file.empty())
        std::remove(file.c_str());
}

} // namespace bench
