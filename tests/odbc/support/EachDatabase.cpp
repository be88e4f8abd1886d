#include "odbc/support/EachDatabase.h"

#include "odbc/support/OdbcTestConfig.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/StringList.h"

#include <filesystem>
#include <sql.h>
#include <unistd.h>

std::string DatabaseName(TestDatabase database)
{
    switch (database) {
    case TestDatabase::Sqlite:
        return "SQLite";
    case TestDatabase::Access:
        return "Access";
    case TestDatabase::Postgres:
        return "PostgreSQL";
    }
    return "?";
}

void EachDatabase::SetUp()
{
    TStringList lines;
    switch (Database()) {
    case TestDatabase::Sqlite:
        UseNewSqlite(c);
        break;
    case TestDatabase::Access: {
        const std::string folder = OdbcTest::DistFolder();
        ASSERT_TRUE(std::filesystem::exists(folder + "DataBase.mdb")) << folder;
        lines.Add("DRIVER=Microsoft Access Driver (*.mdb)");
        lines.Add("DBQ=" + folder + "DataBase.mdb");
        c.SetAttributes(lines);
        break;
    }
    case TestDatabase::Postgres: {
        const std::string cs = OdbcTest::PostgresConnectString();
        if (cs.empty())
            GTEST_SKIP() << "PostgreSQL: no cluster (ZIRA_PG_SOCKET/ZIRA_PG_PORT unset; ./test starts one)";
        lines.Add(cs.substr(0, cs.size() - 1)); // one line, without the final ";"
        c.SetAttributes(lines);
        break;
    }
    }
    c.Connect();
}

void EachDatabase::TearDown()
{
    if (!c.Connected())
        return;
    for (const std::string& table : tables_)
        ExecSql(c, "DROP TABLE " + table);
}

std::string EachDatabase::NewTable(const std::string& columns)
{
    static int counter = 0;
    const std::string name = "zira_t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    const short rc = ExecSql(c, "CREATE TABLE " + name + " " + columns);
    EXPECT_TRUE(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
        << "CREATE TABLE " << name << " " << columns;
    tables_.push_back(name);
    return name;
}

std::string EachDatabase::People(int count)
{
    return PeopleTable("id INTEGER PRIMARY KEY", count);
}

std::string EachDatabase::PeopleWithoutKey(int count)
{
    return PeopleTable("id INTEGER", count);
}

std::string EachDatabase::PeopleTable(const std::string& id, int count)
{
    const std::string table = NewTable("(" + id + ", name VARCHAR(10), amount DOUBLE PRECISION)");
    std::string values;
    for (int i = 1; i <= count; ++i) {
        if (!values.empty())
            values += ", ";
        values +=
            "(" + std::to_string(i) + ", 'n" + std::to_string(i) + "', " + std::to_string(i * 1.5) + ")";
    }
    if (count > 0) {
        const short rc = ExecSql(c, "INSERT INTO " + table + " VALUES " + values);
        EXPECT_TRUE(SQL_SUCCEEDED(rc)) << "the rows of " << table << " gave " << rc;
    }
    return table;
}
