// StatementDatabase: the each-database fixture with what the statement tests add to it.
#pragma once
#include "odbc/statements/Hstmt.h"
#include "odbc/support/EachDatabase.h"

#include <string>

class StatementDatabase : public EachDatabase
{
protected:
    bool IsMdb() const { return Database() == TestDatabase::Access; }
    bool IsPostgres() const { return Database() == TestDatabase::Postgres; }
    // Runs sql through a statement of its own; raises what the statement raises.
    void Exec(const std::string& sql)
    {
        THstmt s;
        s.SetHdbc(&c);
        s.SetSQL(sql);
        s.Execute();
    }
};

inline constexpr const char* kReadOnly =
    "mdbtools reads DataBase.mdb only and knows only simple SELECT statements";
