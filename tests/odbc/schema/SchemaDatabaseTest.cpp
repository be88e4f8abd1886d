// TOESchema against SQLite and PostgreSQL (when the test script started a cluster): scripts run
// statement by statement, and drops in the form each DBMS takes. On PostgreSQL each test works in a
// schema of its own, which is also the tables' owner.
#include "fakes/TempFolder.h"
#include "odbc/base/OcihError.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/schema/OESchema.h"
#include "odbc/support/OdbcTestConfig.h"
#include "odbc/support/SqlHelpers.h"

#include <gtest/gtest.h>

#include <sqlext.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

class SchemaOnDatabase : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        if (Postgres()) {
            const std::string cs = OdbcTest::PostgresConnectString();
            if (cs.empty())
                GTEST_SKIP()
                    << "no PostgreSQL cluster (ZIRA_PG_SOCKET/ZIRA_PG_PORT unset; ./test starts one)";
            TStringList lines;
            lines.Add(cs.substr(0, cs.size() - 1));
            connection_.SetAttributes(lines);
            connection_.Connect();
            owner_ = "zs" + std::to_string(getpid());
            ASSERT_TRUE(SQL_SUCCEEDED(ExecSql(connection_, "DROP SCHEMA IF EXISTS " + owner_ + " CASCADE")));
            ASSERT_EQ(ExecSql(connection_, "CREATE SCHEMA " + owner_), SQL_SUCCESS);
        } else {
            UseNewSqlite(connection_);
            connection_.Connect();
        }
        schema_.SetHdbc(&connection_);
    }

    void TearDown() override
    {
        schema_.Terminate();
        if (Postgres() && !owner_.empty())
            ExecSql(connection_, "DROP SCHEMA " + owner_ + " CASCADE");
    }

    static bool Postgres() { return std::string(GetParam()) == "PostgreSQL"; }
    // The qualified name of a table of this test.
    std::string Table(const std::string& name) const { return owner_.empty() ? name : owner_ + "." + name; }
    bool Exists(const std::string& table)
    {
        return SQL_SUCCEEDED(ExecSql(connection_, "SELECT * FROM " + table));
    }

    std::string Script(const std::string& text)
    {
        const std::string path = folder_.Path() + "script" + std::to_string(++scripts_) + ".sql";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    TSchemaTable& AddTable(const std::string& name, const std::vector<std::string>& indexes)
    {
        TSchemaTable& table = schema_.Tables().GetItem(schema_.Tables().AddItem());
        table.SetOwner(owner_);
        table.SetName(name);
        table.Columns().AddItem();
        for (const std::string& indexName : indexes) {
            TSchemaIndex& index = table.Indexes().GetItem(table.Indexes().AddItem());
            index.SetName(indexName);
            index.Columns().Add("A");
        }
        return table;
    }

    THdbc connection_;
    TOESchema schema_;
    std::string owner_;
    TempFolder folder_;
    int scripts_ = 0;
};

} // namespace

TEST_P(SchemaOnDatabase, RunScriptRunsEachStatementBetweenMarkerLines)
{
    const std::string t = Table("Numbers");
    const std::string script = "CREATE TABLE " + t +
                               " (A INTEGER, B VARCHAR(20))\r\n"
                               "GO\r\n"
                               "INSERT INTO " +
                               t +
                               " (A, B) VALUES (4, 'two\r\n"
                               "lines')\r\n"
                               "GO\r\n"
                               "-- a comment line ends with its line\n"
                               "INSERT INTO " +
                               t +
                               " (A, B) -- and so does this one\n"
                               "  VALUES (1, 'one')\n"
                               "  go  \n"
                               "INSERT INTO " +
                               t +
                               " (A, B) VALUES (2, 'two')\n"
                               "Go\n"
                               "\n"
                               "go\n"
                               "INSERT INTO " +
                               t + " (A, B) VALUES (3, 'three')";
    schema_.RunScript(Script(script));
    EXPECT_EQ(QueryLong(connection_, "SELECT COUNT(*) FROM " + t), 4);
    EXPECT_EQ(QueryLong(connection_, "SELECT SUM(A) FROM " + t), 10);
    EXPECT_EQ(QueryText(connection_, "SELECT B FROM " + t + " WHERE A = 1"), "one");
    // Lines are joined with a line break, the carriage returns of CR LF line ends dropped.
    EXPECT_EQ(QueryText(connection_, "SELECT B FROM " + t + " WHERE A = 4"), "two\nlines");
}

TEST_P(SchemaOnDatabase, AScriptWithoutMarkersIsOneStatementAndOnlyAnExactGoEndsOneUnderAnotherMarker)
{
    const std::string t = Table("Words");
    schema_.RunScript(Script("CREATE TABLE " + t + "\n(\n  W VARCHAR(10)\n)\n"));
    EXPECT_TRUE(Exists(t));

    schema_.SetExecMarker(";;");
    schema_.RunScript(Script("INSERT INTO " + t + " VALUES ('a')\n ;; \nINSERT INTO " + t +
                             " VALUES ('b')\ngo\nINSERT INTO " + t + " VALUES ('c')\n"));
    EXPECT_EQ(QueryLong(connection_, "SELECT COUNT(*) FROM " + t), 3);
}

TEST_P(SchemaOnDatabase, AFailingStatementNamesItsLineAndStopsTheScript)
{
    const std::string t = Table("Lines");
    const std::string script = "CREATE TABLE " + t +
                               " (A INTEGER)\n"
                               "go\n"
                               "\n"
                               "INSERT INTO " +
                               t +
                               "\n"
                               "  VALUES (1)\n"
                               "go\n"
                               "\n"
                               "INSERT INTO " +
                               Table("NoSuchTable") +
                               " VALUES (2)\n"
                               "go\n"
                               "INSERT INTO " +
                               t + " VALUES (3)\n";
    try {
        schema_.RunScript(Script(script));
        FAIL() << "no error";
    } catch (const EODBC& e) {
        // The text every handler of Exception shows; the records keep the driver's own.
        const std::string shown = static_cast<const Exception&>(e).Message();
        EXPECT_NE(shown.find("(script line 8)"), std::string::npos) << shown;
        EXPECT_EQ(e.Errors().front().Message.find("script line"), std::string::npos);
        EXPECT_GE(e.Count(), 1) << "the records stay with the error";
    }
    EXPECT_EQ(QueryLong(connection_, "SELECT SUM(A) FROM " + t), 1);
}

TEST_P(SchemaOnDatabase, DropTablesDropsIndexesInTheFormTheDbmsTakes)
{
    const std::string one = Table("One"), two = Table("Two");
    for (const std::string& sql :
         {"CREATE TABLE " + one + " (A INTEGER)", "CREATE INDEX IxOne ON " + one + " (A)",
          "CREATE TABLE " + two + " (A INTEGER)", "CREATE INDEX IxTwo ON " + two + " (A)"})
        ASSERT_EQ(ExecSql(connection_, sql), SQL_SUCCESS) << sql;
    AddTable("One", {"IxOne"});
    TSchemaTable& second = AddTable("Two", {"IxTwo"});
    // The form of the original is refused here: it reads the table as a schema or database.
    EXPECT_EQ(
        ExecSql(connection_, DropIndexStatement(second.Indexes().GetItem(0), TDropIndexForm::AfterTable)),
        SQL_ERROR);

    schema_.DropTables(false);
    EXPECT_FALSE(Exists(one));
    EXPECT_FALSE(Exists(two));
}

TEST_P(SchemaOnDatabase, DropTablesPassesOverMissingIndexesOnlyWhenAskedTo)
{
    const std::string one = Table("One"), two = Table("Two");
    for (const std::string& sql :
         {"CREATE TABLE " + one + " (A INTEGER)", "CREATE INDEX IxOne ON " + one + " (A)",
          "CREATE TABLE " + two + " (A INTEGER)"})
        ASSERT_EQ(ExecSql(connection_, sql), SQL_SUCCESS) << sql;
    AddTable("One", {"IxOne"});
    AddTable("Two", {"IxTwoNeverMade"});

    EXPECT_THROW(schema_.DropTables(false), EODBC);
    EXPECT_TRUE(Exists(one) && Exists(two)) << "the walk stops at the first failure";

    schema_.DropTables(true);
    EXPECT_FALSE(Exists(one));
    EXPECT_FALSE(Exists(two));
}

INSTANTIATE_TEST_SUITE_P(Databases, SchemaOnDatabase, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return info.param; });
