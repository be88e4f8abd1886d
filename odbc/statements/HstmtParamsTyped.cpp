// THstmt: the typed parameter bindings (single values, arrays, NULLs, text and streams).
#include "odbc/statements/Hstmt.h"

#include "odbc/driver/Oci.h"
#include "odbc/handles/Values.h"
#include "platform/core/MemoryStream.h"

#include <cstring>

// One value of a fixed-size type: its own description on the core path, the driver's otherwise.
#define THSTMT_BIND_TYPED(T, Ts, Type, CType)                                                                \
    void THstmt::Bind##T(std::uint16_t param, Type& value)                                                   \
    {                                                                                                        \
        if (BindCore())                                                                                      \
            BindParamCore(param, CType, &value, ColTypeToSqlType(CType));                                    \
        else                                                                                                 \
            BindParam(param, CType, &value);                                                                 \
    }                                                                                                        \
    void THstmt::Bind##Ts(std::uint16_t param, Type* values, SqlULen high)                                   \
    {                                                                                                        \
        BindParams(param, CType, values, high + 1);                                                          \
    }

THSTMT_BIND_TYPED(Single, Singles, float, SQL_C_FLOAT)
THSTMT_BIND_TYPED(Double, Doubles, double, SQL_C_DOUBLE)
THSTMT_BIND_TYPED(Shortint, Shortints, std::int8_t, SQL_C_STINYINT)
THSTMT_BIND_TYPED(Byte, Bytes, std::uint8_t, SQL_C_UTINYINT)
THSTMT_BIND_TYPED(Smallint, Smallints, std::int16_t, SQL_C_SSHORT)
THSTMT_BIND_TYPED(Word, Words, std::uint16_t, SQL_C_USHORT)
THSTMT_BIND_TYPED(Integer, Integers, std::int32_t, SQL_C_SLONG)
THSTMT_BIND_TYPED(Longint, Longints, std::int32_t, SQL_C_SLONG)
THSTMT_BIND_TYPED(Cardinal, Cardinals, std::uint32_t, SQL_C_ULONG)
THSTMT_BIND_TYPED(Longword, Longwords, std::uint32_t, SQL_C_ULONG)
THSTMT_BIND_TYPED(Date, Dates, TDate, SQL_C_TYPE_DATE)
THSTMT_BIND_TYPED(Time, Times, TTime, SQL_C_TYPE_TIME)
THSTMT_BIND_TYPED(TimeStamp, TimeStamps, TTimeStamp, SQL_C_TYPE_TIMESTAMP)

#undef THSTMT_BIND_TYPED

void THstmt::BindNull(std::uint16_t param)
{
    if (BindCore())
        BindParamCore(param, SQL_C_DEFAULT, nullptr, SQL_CHAR);
    else
        BindParam(param, SQL_C_DEFAULT, nullptr);
}

void THstmt::BindNulls(std::uint16_t param)
{
    // As many as the arrays bound so far; before any, a single NULL.
    BindParams(param, SQL_C_DEFAULT, nullptr, bulkSize_);
}

void THstmt::BindNullString(std::uint16_t param, char* value)
{
    ParamShape shape;
    if (value != nullptr)
        shape.capacity = static_cast<SqlLen>(std::strlen(value)) + 1;
    BindShaped(param, SQL_C_CHAR, value, SQL_CHAR, BindCore(), shape);
}

void THstmt::BindNullStrings(std::uint16_t param, char* values, SqlULen high)
{
    BindParams(param, SQL_C_CHAR, values, high + 1);
}

void THstmt::BindString(std::uint16_t param, std::string& value)
{
    BindStringOn(param, value, BindCore());
}

void THstmt::BindStringOn(std::uint16_t param, std::string& value, bool core)
{
    RunningCall running;
    // data() is never null, so an empty string is an empty text; the string's own characters and
    // terminator are all an output value may fill.
    ParamShape shape;
    shape.capacity = static_cast<SqlLen>(value.size()) + 1;
    BindShaped(param, SQL_C_CHAR, value.data(), SQL_CHAR, core, shape);
    if (!initialized_)
        return;
    if (TParamRec* rec = ParamRec(param)) {
        rec->String = &value;
        rec->CoreBound = core;
        rec->BoundData = value.data();
        rec->BoundSize = static_cast<std::int64_t>(value.size());
    }
}

void THstmt::BindBinary(std::uint16_t param, TMemoryStream& value)
{
    BindMemory(param, value, true);
}

void THstmt::BindText(std::uint16_t param, TMemoryStream& value)
{
    BindMemory(param, value, false);
}

void THstmt::BindMemory(std::uint16_t param, TMemoryStream& value, bool binary)
{
    BindMemoryOn(param, value, binary, BindCore());
}

void THstmt::BindMemoryOn(std::uint16_t param, TMemoryStream& value, bool binary, bool core)
{
    RunningCall running;
    ParamShape shape;
    shape.stream = true;
    shape.capacity = static_cast<SqlLen>(value.Size());
    const std::int16_t colType = binary ? SQL_C_BINARY : SQL_C_CHAR;
    void* memory = value.Size() > 0 ? value.Memory() : nullptr;
    BindShaped(param, colType, memory, binary ? SQL_LONGVARBINARY : SQL_LONGVARCHAR, core, shape);
    if (!initialized_)
        return;
    // The exact length, announced as such when the value goes at execution; an empty stream is NULL.
    SetParamSize(param, value.Size() > 0 ? static_cast<SqlLen>(value.Size()) : SQL_NULL_DATA);
    if (TParamRec* rec = ParamRec(param)) {
        rec->Stream = &value;
        rec->StreamBinary = binary;
        rec->CoreBound = core;
        rec->BoundData = value.Memory();
        rec->BoundSize = value.Size();
    }
}

void THstmt::RebindMovedValues()
{
    const std::int16_t pending = paramType_;
    for (const auto& p : params_) {
        TParamRec& rec = *p;
        if (!initialized_)
            break;
        // The binding forgets its object and records it again.
        if (std::string* text = rec.String;
            text != nullptr &&
            (text->data() != rec.BoundData || static_cast<std::int64_t>(text->size()) != rec.BoundSize)) {
            paramType_ = rec.Direction;
            BindStringOn(rec.Param, *text, rec.CoreBound);
        } else if (TMemoryStream* stream = rec.Stream;
                   stream != nullptr &&
                   (stream->Memory() != rec.BoundData || stream->Size() != rec.BoundSize)) {
            paramType_ = rec.Direction;
            BindMemoryOn(rec.Param, *stream, rec.StreamBinary, rec.CoreBound);
        }
    }
    paramType_ = pending;
}
