// EachDatabase: a test body written once and run on every database here: SQLite (a new database
// file per test), mdbtools on the program folder's DataBase.mdb (read-only), and the throwaway
// PostgreSQL cluster when the test script started one. Where a database cannot do what a test needs,
// the test skips there and says why.
//
//   class Transactions : public EachDatabase {};
//   TEST_P(Transactions, CommitKeeps)
//   {
//       ZIRA_REQUIRE(Writable(), "mdbtools opens Access files read-only");
//       const std::string t = NewTable("(x INTEGER)");
//       ...
//   }
//   ZIRA_ON_EACH_DATABASE(Transactions);
#pragma once
#include "odbc/handles/Hdbc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

enum class TestDatabase
{
    Sqlite,
    Access,
    Postgres,
};

// "SQLite", "Access", "PostgreSQL": the instantiated tests' name suffixes.
std::string DatabaseName(TestDatabase database);

class EachDatabase : public ::testing::TestWithParam<TestDatabase>
{
protected:
    // Configures c for the database and connects it; skips when the database is not here.
    void SetUp() override;
    // Drops the tables NewTable made.
    void TearDown() override;

    TestDatabase Database() const { return GetParam(); }
    bool Writable() const { return Database() != TestDatabase::Access; }
    // Creates a table of this test's own with the column list given ("(x INTEGER, s VARCHAR(20))")
    // and returns its name; it is dropped after the test, so tests running side by side on the one
    // PostgreSQL cluster never meet.
    std::string NewTable(const std::string& columns);
    // A table of people (id INTEGER PRIMARY KEY, name VARCHAR(10), amount DOUBLE PRECISION) holding
    // count rows: id 1..count, name "n<id>", amount id * 1.5; its name.
    std::string People(int count);
    // The same table with no key declared, id a plain column.
    std::string PeopleWithoutKey(int count);

    THdbc c;

private:
    std::string PeopleTable(const std::string& id, int count);

    std::vector<std::string> tables_;
};

// Skips the running test on this database unless condition holds, giving the reason.
#define ZIRA_REQUIRE(condition, reason)                                                                      \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            GTEST_SKIP() << DatabaseName(Database()) << ": " << reason;                                      \
    } while (false)

#define ZIRA_ON_EACH_DATABASE(Suite)                                                                         \
    INSTANTIATE_TEST_SUITE_P(                                                                                \
        Databases, Suite,                                                                                    \
        ::testing::Values(TestDatabase::Sqlite, TestDatabase::Access, TestDatabase::Postgres),               \
        [](const ::testing::TestParamInfo<TestDatabase>& info) { return DatabaseName(info.param); })
