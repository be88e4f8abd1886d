#pragma once
// OnEachDatabase: a test body written once and run on SQLite, mdbtools (the program's DataBase.mdb,
// read-only) and PostgreSQL (when the test script started a cluster); a body skips, saying why,
// where a driver cannot do what it tests.
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

enum class Db
{
    Sqlite,
    Mdb,
    Postgres
};

std::string DbName(const ::testing::TestParamInfo<Db>& info);

class OnEachDatabase : public ::testing::TestWithParam<Db>
{
protected:
    void SetUp() override;
    void TearDown() override;

    Db db() const { return GetParam(); }
    bool IsMdb() const { return GetParam() == Db::Mdb; }
    // mdbtools reads the program's database only and knows only simple SELECT statements.
    bool ReadOnly() const { return IsMdb(); }
    static constexpr const char* kReadOnly =
        "mdbtools reads DataBase.mdb only and knows only simple SELECT statements";
    // A table name of this test's own (PostgreSQL keeps tables between tests of a run).
    std::string Table(const std::string& base) const;
    // Runs sql through a statement of its own; raises what the statement raises.
    void Exec(const std::string& sql);
    // Creates table (after dropping one of that name) with the column definitions given, and returns
    // its name.
    std::string CreateTable(const std::string& base, const std::string& columns);

    THdbc connection;
};
