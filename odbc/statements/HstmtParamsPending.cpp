// THstmt: placeholders for generated statements and row operations until they are written; each
// raises so a caller never takes them for done.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihError.h"

namespace {

[[noreturn]] void NotBuiltYet(const char* what)
{
    throw RIDIZOrurori(std::string("THstmt.") + what + " is not built yet.");
}

} // namespace

void THstmt::InsertRow(SqlULen)
{
    NotBuiltYet("InsertRow");
}

void THstmt::UpdateRow(SqlULen)
{
    NotBuiltYet("UpdateRow");
}

void THstmt::DeleteRow(SqlULen)
{
    NotBuiltYet("DeleteRow");
}

void THstmt::RefreshRow(SqlULen)
{
    NotBuiltYet("RefreshRow");
}

void THstmt::InsertRows()
{
    NotBuiltYet("InsertRows");
}

void THstmt::UpdateRows()
{
    NotBuiltYet("UpdateRows");
}

void THstmt::DeleteRows()
{
    NotBuiltYet("DeleteRows");
}

void THstmt::RefreshRows()
{
    NotBuiltYet("RefreshRows");
}

void THstmt::InsertFields()
{
    NotBuiltYet("InsertFields");
}

void THstmt::UpdateFields(const std::string&, bool)
{
    NotBuiltYet("UpdateFields");
}

void THstmt::DeleteFields(const std::string&, bool)
{
    NotBuiltYet("DeleteFields");
}

void THstmt::RefreshFields(const std::string&)
{
    NotBuiltYet("RefreshFields");
}

std::string THstmt::PrimaryClause()
{
    NotBuiltYet("PrimaryClause");
}

void THstmt::BindClause(std::uint16_t&, THstmt&, bool, bool)
{
    NotBuiltYet("BindClause");
}

std::string THstmt::UpdateWhereClause()
{
    NotBuiltYet("UpdateWhereClause");
}

std::string THstmt::DeleteWhereClause()
{
    NotBuiltYet("DeleteWhereClause");
}

std::string THstmt::RefreshWhereClause()
{
    NotBuiltYet("RefreshWhereClause");
}

void THstmt::DetermineTargetTable()
{
    NotBuiltYet("DetermineTargetTable");
}

void THstmt::DeterminePrimaryCols()
{
    NotBuiltYet("DeterminePrimaryCols");
}

void THstmt::DetermineIgnoreCols()
{
    NotBuiltYet("DetermineIgnoreCols");
}

std::string THstmt::GetPrimaryColNames()
{
    NotBuiltYet("GetPrimaryColNames");
}

std::string THstmt::GetIgnoreColNames()
{
    NotBuiltYet("GetIgnoreColNames");
}

std::string THstmt::CursorName()
{
    NotBuiltYet("CursorName");
}

void THstmt::BindBlobCols(bool)
{
    NotBuiltYet("BindBlobCols");
}

std::uint32_t THstmt::GetPosOpts() const
{
    NotBuiltYet("GetPosOpts");
}

std::uint32_t THstmt::GetPosStmts() const
{
    NotBuiltYet("GetPosStmts");
}

void THstmt::DoInsert()
{
    NotBuiltYet("DoInsert");
}

void THstmt::DoUpdate()
{
    NotBuiltYet("DoUpdate");
}

void THstmt::DoDelete()
{
    NotBuiltYet("DoDelete");
}

void THstmt::DoRefresh()
{
    NotBuiltYet("DoRefresh");
}
