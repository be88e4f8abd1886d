// THstmt: parameter binding — describing markers, the parameter records and SQLBindParameter.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"

#include <algorithm>

namespace {

bool IsLongType(std::int16_t sqlType)
{
    return sqlType == SQL_LONGVARCHAR || sqlType == SQL_LONGVARBINARY || sqlType == SQL_WLONGVARCHAR;
}

// The text and binary slots of an array: one PhysSize slot per row.
const SqlLen kArraySlot = PhysSize(SQL_C_CHAR);

// The SQL type a C type travels as when nothing better is known; a value of no particular type
// (SQL_C_DEFAULT, used for NULLs) as text.
std::int16_t PairedSqlType(std::int16_t colType)
{
    const std::int16_t sqlType = ColTypeToSqlType(colType);
    return sqlType == SQL_C_DEFAULT ? std::int16_t{SQL_CHAR} : sqlType;
}

} // namespace

bool THstmt::BindCore()
{
    return (hdbc_ != nullptr && hdbc_->Core()) || !prepared_ || bindByName_;
}

bool THstmt::NeedLongDataLen()
{
    switch (blobPlacement_) {
    case bpByParts:
        return true;
    case bpByExec:
        return false;
    case bpDetect:
        break;
    }
    return hdbc_ != nullptr && hdbc_->Traits().NeedsLongDataLength;
}

void THstmt::DescribeParam(std::uint16_t param, std::int16_t& sqlType, SqlULen& columnSize,
                           std::int16_t& decimalDigits, std::int16_t& nullable, bool core)
{
    RunningCall running;
    if (!core) {
        SQLSMALLINT type = 0, digits = 0, canBeNull = SQL_NULLABLE_UNKNOWN;
        SQLULEN size = 0;
        if (!Check(Oci::SQLDescribeParam(handle_, param, &type, &size, &digits, &canBeNull)))
            return;
        // NOTE: psqlODBC prepares the statement on the server to describe it, and then sends
        // parameter arrays row by row; BeforeParamExecute prepares the text again before it runs.
        describedSincePrepare_ = true;
        sqlType = type;
        columnSize = size;
        decimalDigits = digits;
        nullable = canBeNull;
        return;
    }
    nullable = SQL_NULLABLE_UNKNOWN;
    columnSize = 0;
    decimalDigits = 0;
    if (hdbc_->Traits().OwnDescriptionWithoutSizes)
        return;
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
        columnSize = 255;
        break;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        columnSize = 15;
        decimalDigits = 15;
        break;
    case SQL_TYPE_TIMESTAMP:
        columnSize = static_cast<SqlULen>(Fractional + 20);
        decimalDigits = static_cast<std::int16_t>(Fractional);
        break;
    case SQL_BINARY:
    case SQL_VARBINARY:
        columnSize = 256;
        break;
    case SQL_LONGVARCHAR:
    case SQL_LONGVARBINARY:
        columnSize = 2147483647;
        break;
    default:
        break;
    }
}

void THstmt::BindParam(std::uint16_t param, std::int16_t colType, void* value)
{
    BindShaped(param, colType, value, PairedSqlType(colType), false, ParamShape{});
}

void THstmt::BindParamCore(std::uint16_t param, std::int16_t colType, void* value, std::int16_t sqlType)
{
    BindShaped(param, colType, value, sqlType, true, ParamShape{});
}

void THstmt::BindParams(std::uint16_t param, std::int16_t colType, void* value, SqlULen count)
{
    ParamShape shape;
    shape.count = count;
    BindShaped(param, colType, value, PairedSqlType(colType), false, shape);
}

void THstmt::BindShaped(std::uint16_t param, std::int16_t colType, void* value, std::int16_t sqlType,
                        bool core, const ParamShape& shape)
{
    // Every binding, typed or not, comes here or to BindParamRecord: each runs as one operation.
    RunningCall running;
    if (!Init())
        return;
    // The driver can only describe a prepared statement, and a driver without SQLDescribeParam not
    // at all: arrays take the description from their type there too.
    if (!core && (!prepared_ || hdbc_->Core()))
        core = true;
    SqlULen columnSize = 0;
    std::int16_t decimalDigits = 0;
    std::int16_t nullable = SQL_NULLABLE_UNKNOWN;
    const TParamRec* known = ParamRec(param);
    if (core) {
        DescribeParam(param, sqlType, columnSize, decimalDigits, nullable, true);
        // A column's own size and digits fit its values better than the defaults (a NUMERIC of
        // scale 15 would cut every larger value).
        if (shape.column != nullptr && shape.column->ColumnSize > 0 &&
            (sqlType == SQL_NUMERIC || sqlType == SQL_DECIMAL || sqlType == SQL_CHAR ||
             sqlType == SQL_VARCHAR || sqlType == SQL_BINARY || sqlType == SQL_VARBINARY)) {
            columnSize = shape.column->ColumnSize;
            decimalDigits = shape.column->DecimalDigits;
        }
    } else if (known != nullptr && known->DriverDescribed) {
        // The marker's description does not change while the statement stays prepared; asking
        // the driver again would cost a round trip per binding.
        sqlType = known->SqlType;
        columnSize = known->ColumnSize;
        decimalDigits = known->DecimalDigits;
        nullable = known->Nullable;
    } else {
        DescribeParam(param, sqlType, columnSize, decimalDigits, nullable, false);
        if (!initialized_)
            return;
    }
    BindParamRecord(param, colType, value, sqlType, columnSize, decimalDigits, nullable, shape);
    if (!core && initialized_)
        if (TParamRec* rec = ParamRec(param))
            rec->DriverDescribed = true;
}

void THstmt::BindParamMain(std::uint16_t param, std::int16_t colType, void* value, std::int16_t sqlType,
                           SqlULen columnSize, std::int16_t decimalDigits, std::int16_t nullable,
                           SqlULen count)
{
    ParamShape shape;
    shape.count = count;
    BindParamRecord(param, colType, value, sqlType, columnSize, decimalDigits, nullable, shape);
}

void THstmt::BindParamRecord(std::uint16_t param, std::int16_t colType, void* value, std::int16_t sqlType,
                             SqlULen columnSize, std::int16_t decimalDigits, std::int16_t nullable,
                             const ParamShape& shape)
{
    Log(1, "THstmt.BindParamMain");
    RunningCall running;
    if (!Init())
        return;
    const SqlULen rows = std::max<SqlULen>(shape.count, 1);
    TParamRec* rec = ParamRec(param);
    if (rec == nullptr) {
        rec = &InsertHead(param, colType, sqlType, value);
    } else {
        rec->ColType = colType;
        rec->SqlType = sqlType;
        rec->Value = value;
    }
    // The marker holds as many rows as it is bound with now, longer or shorter than before: rows
    // beyond them are no one's values.
    rec->Count = rows;
    rec->Indicators.resize(rows, 0);
    // The value is described as it is bound now: a buffer bound again for a longer value must not
    // keep the size of the first one. Whoever binds a string or stream records it after this.
    rec->ColumnSize = columnSize;
    rec->DecimalDigits = decimalDigits;
    rec->Nullable = nullable;
    rec->DriverDescribed = false;
    rec->String = nullptr;
    rec->Stream = nullptr;
    rec->Ind = rec->Indicators.data();
    // The rows sent follow the newest binding; markers left with other row counts are refused at
    // execution.
    bulkSize_ = rec->Count;

    const bool array = shape.count > 0;
    const bool output = paramType_ != SQL_PARAM_INPUT;
    SqlLen bufferLength = 0;
    SqlLen first = 0;
    if (shape.stream && !array && (IsLongType(sqlType) || blobPlacement_ == bpByParts)) {
        // Only a stream's memory may travel in pieces at execution: a scalar value described as a
        // long type (SQLite describes every marker as SQL_LONGVARCHAR) is sent from its buffer.
        bufferLength = shape.capacity > 0 ? shape.capacity : 0;
        first = NeedLongDataLen() ? SQL_LEN_DATA_AT_EXEC(0) : 0;
    } else if (colType == SQL_C_CHAR) {
        // Text slots of an array are PhysSize bytes each; a single value's buffer is as large as the
        // caller says it is (an output value must never be written past it).
        if (array)
            bufferLength = kArraySlot;
        else if (output && shape.capacity > 0)
            bufferLength = shape.capacity;
        else
            bufferLength = static_cast<SqlLen>(std::min<SqlULen>(columnSize, 2147483646)) + 1;
        first = SQL_NTS;
    } else if (colType == SQL_C_BINARY) {
        if (array)
            bufferLength = kArraySlot;
        else if (output && shape.capacity > 0)
            bufferLength = shape.capacity;
        else
            bufferLength = static_cast<SqlLen>(std::min<SqlULen>(columnSize, 2147483647));
        if (shape.stream)
            first = shape.capacity > 0 ? shape.capacity : 0;
    } else {
        // Fixed-size values: the element size, which drivers that step through arrays by the
        // buffer length need too.
        bufferLength = PhysSize(colType);
    }
    if (value == nullptr)
        first = SQL_NULL_DATA;
    std::fill(rec->Indicators.begin(), rec->Indicators.begin() + static_cast<std::ptrdiff_t>(rows), first);

    const std::int16_t direction = paramType_;
    paramType_ = SQL_PARAM_INPUT;
    rec->Direction = direction;
    rec->BufferLength = bufferLength;
    if (!Check(Oci::SQLBindParameter(handle_, param, direction, colType, sqlType, rec->ColumnSize,
                                     rec->DecimalDigits, value, bufferLength, rec->Ind)))
        return;
    NameParam(param);
}

void THstmt::NameParam(std::uint16_t param)
{
    if (!bindByName_ || paramNames_.Count() < param)
        return;
    if (impParamDesc_ == nullptr) {
        SQLHDESC descriptor = nullptr;
        if (!Check(Oci::SQLGetStmtAttr(handle_, SQL_ATTR_IMP_PARAM_DESC, &descriptor, 0, nullptr)))
            return;
        impParamDesc_ = descriptor;
    }
    const std::string& name = paramNames_[param - 1];
    Oci::SQLSetDescField(impParamDesc_, param, SQL_DESC_NAME,
                         reinterpret_cast<SQLPOINTER>(const_cast<char*>(name.c_str())), SQL_NTS);
    Oci::SQLSetDescField(impParamDesc_, param, SQL_DESC_UNNAMED, reinterpret_cast<SQLPOINTER>(SQL_NAMED), 0);
}
