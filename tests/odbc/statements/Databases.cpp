// OnEachDatabase: connects to the database a test runs on.
#include "Databases.h"

#include "odbc/support/OdbcTestConfig.h"
#include "odbc/support/SqlHelpers.h"

#include <filesystem>

std::string DbName(const ::testing::TestParamInfo<Db>& info)
{
    switch (info.param) {
    case Db::Sqlite:
        return "SQLite";
    case Db::Mdb:
        return "Mdbtools";
    default:
        return "PostgreSQL";
    }
}

void OnEachDatabase::SetUp()
{
    TStringList lines;
    switch (GetParam()) {
    case Db::Sqlite:
        UseNewSqlite(connection);
        break;
    case Db::Mdb: {
        const std::string folder = OdbcTest::DistFolder();
        ASSERT_TRUE(std::filesystem::exists(folder + "DataBase.mdb")) << folder;
        lines.Add("DRIVER=Microsoft Access Driver (*.mdb)");
        lines.Add("DefaultDir=" + folder);
        lines.Add("DBQ=" + folder + "DataBase.mdb");
        connection.SetAttributes(lines);
        break;
    }
    case Db::Postgres: {
        const std::string cs = OdbcTest::PostgresConnectString();
        if (cs.empty())
            GTEST_SKIP() << "no PostgreSQL cluster (ZIRA_PG_SOCKET/ZIRA_PG_PORT unset; ./test starts one)";
        lines.Add(cs.substr(0, cs.size() - 1));
        connection.SetAttributes(lines);
        break;
    }
    }
    connection.Connect();
    ASSERT_TRUE(connection.Connected());
}

void OnEachDatabase::TearDown()
{
    if (connection.Connected())
        connection.Disconnect();
}

std::string OnEachDatabase::Table(const std::string& base) const
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = base + "_" + info->name();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name.substr(0, 60);
}

void OnEachDatabase::Exec(const std::string& sql)
{
    THstmt s;
    s.SetHdbc(&connection);
    s.SetSQL(sql);
    s.Execute();
}

std::string OnEachDatabase::CreateTable(const std::string& base, const std::string& columns)
{
    const std::string name = Table(base);
    if (db() == Db::Postgres)
        Exec("DROP TABLE IF EXISTS " + name);
    Exec("CREATE TABLE " + name + " (" + columns + ")");
    return name;
}
