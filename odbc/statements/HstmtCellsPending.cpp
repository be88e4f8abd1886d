// THstmt: placeholders for the column, cell and row-count operations being written now.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihError.h"

namespace {

[[noreturn]] void NotBuiltYet(const char* what)
{
    throw RIDIZOrurori(std::string("THstmt.") + what + " is not built yet.");
}

} // namespace

SqlLen THstmt::GetRowCount()
{
    NotBuiltYet("GetRowCount");
}

SqlLen THstmt::GetParamSize(std::uint16_t)
{
    NotBuiltYet("GetParamSize");
}

void THstmt::SetParamSize(std::uint16_t, SqlLen)
{
    NotBuiltYet("SetParamSize");
}

SqlLen THstmt::GetBulkParamSize(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetBulkParamSize");
}

void THstmt::SetBulkParamSize(std::uint16_t, SqlULen, SqlLen)
{
    NotBuiltYet("SetBulkParamSize");
}

SqlLen THstmt::GetCellSize(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellSize");
}

void THstmt::SetCellSize(std::uint16_t, SqlULen, SqlLen)
{
    NotBuiltYet("SetCellSize");
}

bool THstmt::GetCellNull(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellNull");
}

void THstmt::SetCellNull(std::uint16_t, SqlULen, bool)
{
    NotBuiltYet("SetCellNull");
}

bool THstmt::GetCellIgnore(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellIgnore");
}

void THstmt::SetCellIgnore(std::uint16_t, SqlULen, bool)
{
    NotBuiltYet("SetCellIgnore");
}

void THstmt::SetColIgnore(std::uint16_t, bool)
{
    NotBuiltYet("SetColIgnore");
}

TFormatStyle THstmt::GetFormatStyle(std::uint16_t)
{
    NotBuiltYet("GetFormatStyle");
}

void THstmt::SetFormatStyle(std::uint16_t, TFormatStyle)
{
    NotBuiltYet("SetFormatStyle");
}

std::string THstmt::GetFormatMask(std::uint16_t)
{
    NotBuiltYet("GetFormatMask");
}

void THstmt::SetFormatMask(std::uint16_t, const std::string&)
{
    NotBuiltYet("SetFormatMask");
}

bool THstmt::GetColPrimary(std::uint16_t)
{
    NotBuiltYet("GetColPrimary");
}

void THstmt::SetColPrimary(std::uint16_t, bool)
{
    NotBuiltYet("SetColPrimary");
}

SqlULen THstmt::GetColPrecision(std::uint16_t)
{
    NotBuiltYet("GetColPrecision");
}

std::int16_t THstmt::GetColScale(std::uint16_t)
{
    NotBuiltYet("GetColScale");
}

std::int16_t THstmt::GetColNullable(std::uint16_t)
{
    NotBuiltYet("GetColNullable");
}

SqlULen THstmt::GetParamPrecision(std::uint16_t)
{
    NotBuiltYet("GetParamPrecision");
}

std::int16_t THstmt::GetParamScale(std::uint16_t)
{
    NotBuiltYet("GetParamScale");
}

std::int16_t THstmt::GetParamNullable(std::uint16_t)
{
    NotBuiltYet("GetParamNullable");
}

std::uint16_t THstmt::GetRowStatus(SqlULen) const
{
    NotBuiltYet("GetRowStatus");
}

bool THstmt::GetRowValid(SqlULen) const
{
    NotBuiltYet("GetRowValid");
}

std::uint16_t THstmt::GetRowFlag(SqlULen) const
{
    NotBuiltYet("GetRowFlag");
}

void THstmt::SetRowFlag(SqlULen, std::uint16_t)
{
    NotBuiltYet("SetRowFlag");
}

std::uint16_t* THstmt::RowFlags(SqlULen)
{
    NotBuiltYet("RowFlags");
}

std::vector<std::uint8_t> THstmt::GetBookmark()
{
    NotBuiltYet("GetBookmark");
}

void THstmt::BindCols()
{
    NotBuiltYet("BindCols");
}

void THstmt::BindCol(std::uint16_t, std::int16_t)
{
    NotBuiltYet("BindCol");
}

std::string THstmt::ColAttrString(std::uint16_t, std::uint16_t)
{
    NotBuiltYet("ColAttrString");
}

SqlLen THstmt::ColAttrInteger(std::uint16_t, std::uint16_t)
{
    NotBuiltYet("ColAttrInteger");
}

bool THstmt::Fetch(std::int16_t, SqlLen)
{
    NotBuiltYet("Fetch");
}

bool THstmt::FetchFirst()
{
    NotBuiltYet("FetchFirst");
}

bool THstmt::FetchNext()
{
    NotBuiltYet("FetchNext");
}

bool THstmt::FetchLast()
{
    NotBuiltYet("FetchLast");
}

bool THstmt::FetchPrev()
{
    NotBuiltYet("FetchPrev");
}

bool THstmt::FetchAbsolute(SqlLen)
{
    NotBuiltYet("FetchAbsolute");
}

bool THstmt::FetchRelative(SqlLen)
{
    NotBuiltYet("FetchRelative");
}

bool THstmt::FetchBookmark(const void*)
{
    NotBuiltYet("FetchBookmark");
}

bool THstmt::MoreResults()
{
    NotBuiltYet("MoreResults");
}

SqlLen THstmt::FetchCol(std::uint16_t, SqlULen, std::int16_t, TStream&)
{
    NotBuiltYet("FetchCol");
}

SqlLen THstmt::FetchCell(std::uint16_t, SqlULen, std::int16_t, TStream&)
{
    NotBuiltYet("FetchCell");
}

void THstmt::ColStream(std::uint16_t, TStream&)
{
    NotBuiltYet("ColStream");
}

void THstmt::CellStream(std::uint16_t, SqlULen, TStream&)
{
    NotBuiltYet("CellStream");
}

TMemoryStream* THstmt::GetCellMemory(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellMemory");
}

TMemoryStream* THstmt::GetColMemory(std::uint16_t)
{
    NotBuiltYet("GetColMemory");
}

void THstmt::SetColMemory(std::uint16_t, TStream&)
{
    NotBuiltYet("SetColMemory");
}

void* THstmt::GetCellValue(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellValue");
}

std::int16_t THstmt::GetColType(std::uint16_t)
{
    NotBuiltYet("GetColType");
}

std::int16_t THstmt::GetSqlType(std::uint16_t)
{
    NotBuiltYet("GetSqlType");
}

bool THstmt::GetBlobCol(std::uint16_t)
{
    NotBuiltYet("GetBlobCol");
}

TColRec* THstmt::ColRec(std::uint16_t)
{
    NotBuiltYet("ColRec");
}

std::optional<TRowRec> THstmt::RowRec(std::uint16_t, SqlULen)
{
    NotBuiltYet("RowRec");
}

TParamRec* THstmt::ParamRec(std::uint16_t)
{
    NotBuiltYet("ParamRec");
}

TColBindRec* THstmt::ColBindRec(std::uint16_t)
{
    NotBuiltYet("ColBindRec");
}

std::uint16_t THstmt::ColByName(std::string_view)
{
    NotBuiltYet("ColByName");
}

std::uint16_t THstmt::ParamByName(std::string_view)
{
    NotBuiltYet("ParamByName");
}

void THstmt::NullCols(std::initializer_list<std::string_view>)
{
    NotBuiltYet("NullCols");
}

void THstmt::IgnoreCols(std::initializer_list<std::string_view>)
{
    NotBuiltYet("IgnoreCols");
}

void THstmt::PrimaryCols(std::initializer_list<std::string_view>)
{
    NotBuiltYet("PrimaryCols");
}

std::string THstmt::TypeString(std::int16_t, SqlLen)
{
    NotBuiltYet("TypeString");
}

void THstmt::DefineProperties(TFiler&)
{
    NotBuiltYet("DefineProperties");
}

void THstmt::ReadState(TReader&)
{
    NotBuiltYet("ReadState");
}

void THstmt::ReaderError(TReader&, const std::string&, bool&)
{
    NotBuiltYet("ReaderError");
}

std::string THstmt::GetCellString(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellString");
}

void THstmt::SetCellString(std::uint16_t, SqlULen, const std::string&)
{
    NotBuiltYet("SetCellString");
}

float THstmt::GetCellSingle(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellSingle");
}

void THstmt::SetCellSingle(std::uint16_t, SqlULen, float)
{
    NotBuiltYet("SetCellSingle");
}

double THstmt::GetCellDouble(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellDouble");
}

void THstmt::SetCellDouble(std::uint16_t, SqlULen, double)
{
    NotBuiltYet("SetCellDouble");
}

bool THstmt::GetCellBoolean(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellBoolean");
}

void THstmt::SetCellBoolean(std::uint16_t, SqlULen, bool)
{
    NotBuiltYet("SetCellBoolean");
}

std::int8_t THstmt::GetCellShortint(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellShortint");
}

void THstmt::SetCellShortint(std::uint16_t, SqlULen, std::int8_t)
{
    NotBuiltYet("SetCellShortint");
}

std::uint8_t THstmt::GetCellByte(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellByte");
}

void THstmt::SetCellByte(std::uint16_t, SqlULen, std::uint8_t)
{
    NotBuiltYet("SetCellByte");
}

std::int16_t THstmt::GetCellSmallint(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellSmallint");
}

void THstmt::SetCellSmallint(std::uint16_t, SqlULen, std::int16_t)
{
    NotBuiltYet("SetCellSmallint");
}

std::uint16_t THstmt::GetCellWord(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellWord");
}

void THstmt::SetCellWord(std::uint16_t, SqlULen, std::uint16_t)
{
    NotBuiltYet("SetCellWord");
}

std::int32_t THstmt::GetCellInteger(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellInteger");
}

void THstmt::SetCellInteger(std::uint16_t, SqlULen, std::int32_t)
{
    NotBuiltYet("SetCellInteger");
}

std::uint32_t THstmt::GetCellCardinal(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellCardinal");
}

void THstmt::SetCellCardinal(std::uint16_t, SqlULen, std::uint32_t)
{
    NotBuiltYet("SetCellCardinal");
}

std::int64_t THstmt::GetCellInt64(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellInt64");
}

void THstmt::SetCellInt64(std::uint16_t, SqlULen, std::int64_t)
{
    NotBuiltYet("SetCellInt64");
}

TDate THstmt::GetCellDate(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellDate");
}

void THstmt::SetCellDate(std::uint16_t, SqlULen, const TDate&)
{
    NotBuiltYet("SetCellDate");
}

TTime THstmt::GetCellTime(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellTime");
}

void THstmt::SetCellTime(std::uint16_t, SqlULen, const TTime&)
{
    NotBuiltYet("SetCellTime");
}

TTimeStamp THstmt::GetCellTimeStamp(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellTimeStamp");
}

void THstmt::SetCellTimeStamp(std::uint16_t, SqlULen, const TTimeStamp&)
{
    NotBuiltYet("SetCellTimeStamp");
}

Variant THstmt::GetCellVariant(std::uint16_t, SqlULen)
{
    NotBuiltYet("GetCellVariant");
}

void THstmt::SetCellVariant(std::uint16_t, SqlULen, const Variant&)
{
    NotBuiltYet("SetCellVariant");
}
