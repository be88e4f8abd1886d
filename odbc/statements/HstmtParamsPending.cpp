// THstmt: placeholders for parameter binding, data at execution, generated statements and row
// operations until they are written; each raises so a caller never takes them for done.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihError.h"

namespace {

[[noreturn]] void NotBuiltYet(const char* what)
{
    throw RIDIZOrurori(std::string("THstmt.") + what + " is not built yet.");
}

} // namespace

void THstmt::BindNull(std::uint16_t)
{
    NotBuiltYet("BindNull");
}

void THstmt::BindNulls(std::uint16_t)
{
    NotBuiltYet("BindNulls");
}

void THstmt::BindNullString(std::uint16_t, char*)
{
    NotBuiltYet("BindNullString");
}

void THstmt::BindNullStrings(std::uint16_t, char*, SqlULen)
{
    NotBuiltYet("BindNullStrings");
}

void THstmt::BindString(std::uint16_t, std::string&)
{
    NotBuiltYet("BindString");
}

void THstmt::BindBinary(std::uint16_t, TMemoryStream&)
{
    NotBuiltYet("BindBinary");
}

void THstmt::BindText(std::uint16_t, TMemoryStream&)
{
    NotBuiltYet("BindText");
}

void THstmt::BindMemory(std::uint16_t, TMemoryStream&, bool)
{
    NotBuiltYet("BindMemory");
}

void THstmt::BindParam(std::uint16_t, std::int16_t, void*)
{
    NotBuiltYet("BindParam");
}

void THstmt::BindParamCore(std::uint16_t, std::int16_t, void*, std::int16_t)
{
    NotBuiltYet("BindParamCore");
}

void THstmt::BindParams(std::uint16_t, std::int16_t, void*, SqlULen)
{
    NotBuiltYet("BindParams");
}

void THstmt::DescribeParam(std::uint16_t, std::int16_t&, SqlULen&, std::int16_t&, std::int16_t&, bool)
{
    NotBuiltYet("DescribeParam");
}

void THstmt::BindParamMain(std::uint16_t, std::int16_t, void*, std::int16_t, SqlULen, std::int16_t,
                           std::int16_t, SqlULen)
{
    NotBuiltYet("BindParamMain");
}

bool THstmt::BindCore()
{
    NotBuiltYet("BindCore");
}

bool THstmt::NeedLongDataLen()
{
    NotBuiltYet("NeedLongDataLen");
}

void THstmt::DataAtExecution(const std::vector<TCommonRec*>&)
{
    NotBuiltYet("DataAtExecution");
}

void THstmt::BindSingle(std::uint16_t, float&)
{
    NotBuiltYet("BindSingle");
}

void THstmt::BindSingles(std::uint16_t, float*, SqlULen)
{
    NotBuiltYet("BindSingles");
}

void THstmt::BindDouble(std::uint16_t, double&)
{
    NotBuiltYet("BindDouble");
}

void THstmt::BindDoubles(std::uint16_t, double*, SqlULen)
{
    NotBuiltYet("BindDoubles");
}

void THstmt::BindShortint(std::uint16_t, std::int8_t&)
{
    NotBuiltYet("BindShortint");
}

void THstmt::BindShortints(std::uint16_t, std::int8_t*, SqlULen)
{
    NotBuiltYet("BindShortints");
}

void THstmt::BindByte(std::uint16_t, std::uint8_t&)
{
    NotBuiltYet("BindByte");
}

void THstmt::BindBytes(std::uint16_t, std::uint8_t*, SqlULen)
{
    NotBuiltYet("BindBytes");
}

void THstmt::BindSmallint(std::uint16_t, std::int16_t&)
{
    NotBuiltYet("BindSmallint");
}

void THstmt::BindSmallints(std::uint16_t, std::int16_t*, SqlULen)
{
    NotBuiltYet("BindSmallints");
}

void THstmt::BindWord(std::uint16_t, std::uint16_t&)
{
    NotBuiltYet("BindWord");
}

void THstmt::BindWords(std::uint16_t, std::uint16_t*, SqlULen)
{
    NotBuiltYet("BindWords");
}

void THstmt::BindInteger(std::uint16_t, std::int32_t&)
{
    NotBuiltYet("BindInteger");
}

void THstmt::BindIntegers(std::uint16_t, std::int32_t*, SqlULen)
{
    NotBuiltYet("BindIntegers");
}

void THstmt::BindLongint(std::uint16_t, std::int32_t&)
{
    NotBuiltYet("BindLongint");
}

void THstmt::BindLongints(std::uint16_t, std::int32_t*, SqlULen)
{
    NotBuiltYet("BindLongints");
}

void THstmt::BindCardinal(std::uint16_t, std::uint32_t&)
{
    NotBuiltYet("BindCardinal");
}

void THstmt::BindCardinals(std::uint16_t, std::uint32_t*, SqlULen)
{
    NotBuiltYet("BindCardinals");
}

void THstmt::BindLongword(std::uint16_t, std::uint32_t&)
{
    NotBuiltYet("BindLongword");
}

void THstmt::BindLongwords(std::uint16_t, std::uint32_t*, SqlULen)
{
    NotBuiltYet("BindLongwords");
}

void THstmt::BindDate(std::uint16_t, TDate&)
{
    NotBuiltYet("BindDate");
}

void THstmt::BindDates(std::uint16_t, TDate*, SqlULen)
{
    NotBuiltYet("BindDates");
}

void THstmt::BindTime(std::uint16_t, TTime&)
{
    NotBuiltYet("BindTime");
}

void THstmt::BindTimes(std::uint16_t, TTime*, SqlULen)
{
    NotBuiltYet("BindTimes");
}

void THstmt::BindTimeStamp(std::uint16_t, TTimeStamp&)
{
    NotBuiltYet("BindTimeStamp");
}

void THstmt::BindTimeStamps(std::uint16_t, TTimeStamp*, SqlULen)
{
    NotBuiltYet("BindTimeStamps");
}

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
