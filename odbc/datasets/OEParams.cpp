// TOEParams: parameter buffers and definitions, and moving values between parameters and buffers.
#include "odbc/datasets/OEParams.h"

#include "odbc/datasets/OEFieldTypes.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/handles/Values.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"
#include "platform/core/StringUtils.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>

namespace {

// The default size of a text or byte buffer without a definition.
constexpr std::size_t kDefaultSlot = 256;

bool IsStreamType(TFieldType type)
{
    return type == ftBlob || type == ftMemo;
}

// Types whose native data is text (the platform's TParam writes them with a terminating zero).
bool IsTextType(TFieldType type)
{
    return type == ftString || type == ftFixedChar || type == ftWideString || type == ftMemo;
}

bool IsCharOrBinarySql(std::int16_t sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return true;
    default:
        return false;
    }
}

// The text a parameter bound as text sends: its native text, or the value written as text where its
// native data is no text (an AutoInc, a BCD, a GUID travel as their digits, never as raw bytes).
std::string BoundText(const TParam& param)
{
    if (IsTextType(param.DataType())) {
        std::vector<char> native(param.GetDataSize() + 1, '\0');
        param.GetData(native.data());
        return native.data();
    }
    return param.AsString();
}

// Bytes a parameter's buffer needs for its present value (0 for null values and streams).
std::size_t ValueSize(const TParam& param)
{
    if (param.IsNull() || IsStreamType(param.DataType()))
        return 0;
    const std::int16_t cType = FieldTypeToCType(param.DataType());
    if (cType == SQL_C_CHAR)
        return BoundText(param).size() + 1;
    if (cType == SQL_C_BINARY)
        return param.GetDataSize();
    return static_cast<std::size_t>(PhysSize(cType));
}

template <class Rec> Rec* FindByName(const std::vector<std::unique_ptr<Rec>>& list, std::string_view name)
{
    const std::string wanted = UpperCase(Trim(name));
    for (const auto& rec : list) {
        if (UpperCase(rec->Name) == wanted)
            return rec.get();
    }
    return nullptr;
}

template <class Rec> Rec* ByIndex(const std::vector<std::unique_ptr<Rec>>& list, int index)
{
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(index)].get()
                                                               : nullptr;
}

template <class Value> void Put(std::vector<std::uint8_t>& buffer, const Value& value)
{
    std::memcpy(buffer.data(), &value, std::min(buffer.size(), sizeof value));
}

template <class Value> Value Take(const std::vector<std::uint8_t>& buffer)
{
    Value value{};
    std::memcpy(&value, buffer.data(), std::min(buffer.size(), sizeof value));
    return value;
}

} // namespace

TOEParams::TOEParams(TPersistent* owner) : TParams(owner) {}

TOEParams::~TOEParams() = default;

TOEParamRec* TOEParams::OEParam(int index) const
{
    return ByIndex(buffers_, index);
}

TOEParamRec* TOEParams::OEParam(std::string_view name) const
{
    return FindByName(buffers_, name);
}

TOEDefRec* TOEParams::OEDef(int index) const
{
    return ByIndex(defs_, index);
}

TOEDefRec* TOEParams::OEDef(std::string_view name) const
{
    return FindByName(defs_, name);
}

std::size_t TOEParams::OEParamSize(std::string_view name, TFieldType dataType) const
{
    const TOEDefRec* def = OEDef(name);
    switch (dataType) {
    case ftUnknown:
        return 4;
    case ftString:
        return def != nullptr && def->DataType == ftString && def->Size > 0 ? def->Size + 1u : kDefaultSlot;
    case ftBytes:
        return def != nullptr && def->DataType == ftBytes && def->Size > 0 ? def->Size : kDefaultSlot;
    case ftBlob:
    case ftMemo:
        return 0;
    default: {
        const std::int16_t cType = FieldTypeToCType(dataType);
        return cType == SQL_C_CHAR || cType == SQL_C_BINARY ? kDefaultSlot
                                                            : static_cast<std::size_t>(PhysSize(cType));
    }
    }
}

TOEParamRec& TOEParams::CreateOEParam(const std::string& name, TFieldType dataType, std::size_t valueSize)
{
    auto rec = std::make_unique<TOEParamRec>();
    rec->Name = name;
    rec->DataType = dataType;
    if (IsStreamType(dataType))
        rec->Stream = std::make_unique<TMemoryStream>();
    else
        rec->Buffer.assign(std::max(OEParamSize(name, dataType), valueSize), 0);
    rec->Index = static_cast<std::int32_t>(buffers_.size());
    buffers_.push_back(std::move(rec));
    return *buffers_.back();
}

void TOEParams::FreeOEParam(int index)
{
    if (index >= 0 && index < OEParamCount())
        buffers_.erase(buffers_.begin() + index);
}

void TOEParams::FreeOEParams()
{
    while (!buffers_.empty())
        buffers_.pop_back();
}

TOEDefRec& TOEParams::CreateOEDef(const std::string& name, bool required, TFieldType dataType,
                                  std::int32_t precision, std::uint16_t size)
{
    auto def = std::make_unique<TOEDefRec>();
    def->Name = name;
    def->Required = required;
    def->DataType = dataType;
    def->Precision = precision;
    def->Size = size;
    def->Index = static_cast<std::int32_t>(defs_.size());
    defs_.push_back(std::move(def));
    return *defs_.back();
}

void TOEParams::RemoveOEDef(std::string_view name)
{
    if (const TOEDefRec* def = OEDef(name))
        std::erase_if(defs_, [def](const auto& d) { return d.get() == def; });
}

void TOEParams::FreeOEDef(int index)
{
    if (index >= 0 && index < OEDefCount())
        defs_.erase(defs_.begin() + index);
}

void TOEParams::FreeOEDefs()
{
    while (!defs_.empty())
        defs_.pop_back();
}

bool TOEParams::GetDefRequired(std::string_view name) const
{
    const TOEDefRec* def = OEDef(name);
    return def != nullptr && def->Required;
}

TFieldType TOEParams::GetDefDataType(std::string_view name) const
{
    const TOEDefRec* def = OEDef(name);
    return def != nullptr ? def->DataType : ftUnknown;
}

std::int32_t TOEParams::GetDefPrecision(std::string_view name) const
{
    const TOEDefRec* def = OEDef(name);
    return def != nullptr ? def->Precision : 0;
}

std::uint16_t TOEParams::GetDefSize(std::string_view name) const
{
    const TOEDefRec* def = OEDef(name);
    return def != nullptr ? def->Size : 0;
}

void TOEParams::CreateOEParams(const std::function<void()>& unbind)
{
    for (int i = OEParamCount() - 1; i >= 0; --i) {
        if (FindParam(buffers_[static_cast<std::size_t>(i)]->Name) == nullptr) {
            unbind();
            FreeOEParam(i);
        }
    }
    for (int p = 0; p < Count(); ++p) {
        const TParam& param = *Items(p);
        const std::size_t needed = ValueSize(param);
        TOEParamRec* rec = OEParam(param.Name());
        if (rec != nullptr && (rec->DataType != param.DataType() || rec->Buffer.size() < needed)) {
            unbind();
            FreeOEParam(static_cast<int>(std::find_if(buffers_.begin(), buffers_.end(),
                                                      [rec](const auto& r) { return r.get() == rec; }) -
                                         buffers_.begin()));
            rec = nullptr;
        }
        if (rec == nullptr) {
            unbind();
            CreateOEParam(param.Name(), param.DataType(), needed);
        }
    }
}

void TOEParams::WriteOEParamsData(const std::function<void()>& unbind)
{
    for (int p = 0; p < Count(); ++p) {
        const TParam& param = *Items(p);
        TOEParamRec* rec = OEParam(param.Name());
        if (rec == nullptr || param.IsNull())
            continue;
        switch (param.DataType()) {
        case ftDate:
        case ftTime:
        case ftDateTime: {
            // Only the parameter's own null state makes it NULL: midnight, and the date 1899-12-30,
            // are values like any other (leaving the buffer alone for them sent the value before).
            const TTimeStamp ts = DateTimeToTS(param.AsDateTime());
            if (param.DataType() == ftDate)
                Put(rec->Buffer, TSAsDate(ts));
            else if (param.DataType() == ftTime)
                Put(rec->Buffer, TSAsTime(ts));
            else
                Put(rec->Buffer, ts);
            break;
        }
        case ftBlob:
        case ftMemo: {
            // A memo's native data ends in a zero byte, which is not part of the value.
            std::vector<std::uint8_t> data(param.GetDataSize());
            param.GetData(data.data());
            if (param.DataType() == ftMemo && !data.empty())
                data.pop_back();
            const std::uint8_t* before = rec->Stream->Memory();
            rec->Stream->SetSize(static_cast<std::int64_t>(data.size()));
            if (rec->Stream->Memory() != before)
                unbind();
            if (!data.empty())
                std::memcpy(rec->Stream->Memory(), data.data(), data.size());
            break;
        }
        case ftBoolean:
            rec->Buffer.assign(rec->Buffer.size(), 0);
            rec->Buffer[0] = param.AsBoolean() ? 1 : 0;
            break;
        default: {
            std::fill(rec->Buffer.begin(), rec->Buffer.end(), 0);
            const std::int16_t cType = FieldTypeToCType(param.DataType());
            if (cType == SQL_C_CHAR) {
                const std::string text = BoundText(param);
                std::memcpy(rec->Buffer.data(), text.data(), std::min(text.size(), rec->Buffer.size() - 1));
            } else if (param.GetDataSize() <= rec->Buffer.size()) {
                param.GetData(rec->Buffer.data());
            }
            break;
        }
        }
    }
}

void TOEParams::WriteOEParamsSize(THstmt& statement)
{
    for (int p = 0; p < Count(); ++p) {
        const TParam& param = *Items(p);
        const TOEParamRec* rec = OEParam(param.Name());
        SqlLen size = 0;
        if (param.IsNull())
            size = -1;
        else if (param.DataType() == ftMemo)
            size = static_cast<SqlLen>(param.GetDataSize()) - 1;
        else if (param.DataType() == ftBytes || param.DataType() == ftBlob)
            size = static_cast<SqlLen>(param.GetDataSize());
        else if (rec != nullptr && FieldTypeToCType(param.DataType()) == SQL_C_CHAR)
            size = static_cast<SqlLen>(std::strlen(reinterpret_cast<const char*>(rec->Buffer.data())));
        statement.SetParamSize(statement.ParamByName(param.Name()), size);
    }
}

void TOEParams::ReadOEParams(THstmt& statement)
{
    for (int p = 0; p < Count(); ++p) {
        TParam& param = *Items(p);
        if (param.ParamType() != ptOutput && param.ParamType() != ptInputOutput &&
            param.ParamType() != ptResult)
            continue;
        const TOEParamRec* rec = OEParam(param.Name());
        if (rec == nullptr)
            continue;
        const SqlLen size = statement.GetParamSize(statement.ParamByName(param.Name()));
        if (size == -1) {
            param.Clear();
            continue;
        }
        const TFieldType type = param.DataType();
        switch (type) {
        case ftBlob:
        case ftMemo:
            param.SetData(rec->Stream->Memory(), static_cast<std::size_t>(rec->Stream->Size()));
            break;
        // The buffer holds ODBC's structures, not the platform's native dates.
        case ftDate:
            param.SetAsDate(TSToDateTime(DateAsTS(Take<TDate>(rec->Buffer))));
            break;
        case ftTime:
            param.SetAsTime(TSToDateTime(TimeAsTS(Take<TTime>(rec->Buffer))));
            break;
        case ftDateTime:
            param.SetAsDateTime(TSToDateTime(Take<TTimeStamp>(rec->Buffer)));
            break;
        case ftBoolean:
            param.SetAsBoolean(rec->Buffer[0] != 0);
            break;
        default:
            if (FieldTypeToCType(type) == SQL_C_CHAR) {
                // The text up to its zero byte, never past the buffer (a value that was cut).
                const std::size_t length = std::min(
                    size >= 0 ? static_cast<std::size_t>(size) : rec->Buffer.size(), rec->Buffer.size() - 1);
                std::string text(reinterpret_cast<const char*>(rec->Buffer.data()), length);
                text.resize(std::strlen(text.c_str()));
                if (IsTextType(type))
                    param.SetData(text.c_str(), text.size());
                else
                    param.SetValue(Variant(text));
            } else if (FieldTypeToCType(type) == SQL_C_BINARY) {
                param.SetData(rec->Buffer.data(),
                              std::min(size >= 0 ? static_cast<std::size_t>(size) : rec->Buffer.size(),
                                       rec->Buffer.size()));
            } else {
                param.SetData(rec->Buffer.data(), rec->Buffer.size());
            }
            break;
        }
        param.SetDataType(type);
    }
}

void TOEParams::BindOneParam(THstmt& statement, const TParam& param, bool core)
{
    TOEParamRec* rec = OEParam(param.Name());
    if (rec == nullptr)
        return;
    const std::uint16_t marker = statement.ParamByName(param.Name());
    statement.SetParamType(ParamTypeToODBC(param.ParamType()));
    if (rec->Stream) {
        statement.BindMemory(marker, *rec->Stream, rec->DataType == ftBlob);
        return;
    }
    const std::int16_t cType = FieldTypeToCType(rec->DataType);
    std::int16_t sqlType = ColTypeToSqlType(cType);
    SqlULen columnSize = 0;
    std::int16_t digits = 0;
    std::int16_t nullable = SQL_NULLABLE_UNKNOWN;
    try {
        statement.DescribeParam(marker, sqlType, columnSize, digits, nullable, core);
    } catch (const EODBC&) {
        if (core)
            throw;
        // NOTE: psqlODBC cannot describe the markers of a procedure call ({call p(?)}); they are
        // described from their type, as on a driver without SQLDescribeParam.
        sqlType = ColTypeToSqlType(cType);
        statement.DescribeParam(marker, sqlType, columnSize, digits, nullable, true);
    }
    if (cType == SQL_C_CHAR || cType == SQL_C_BINARY) {
        // The buffer's own size is what the driver may read and, for an output value, write: a text
        // or binary column gets it as its size; another (a NUMERIC sent as text) keeps its precision
        // and gets a buffer large enough for its text.
        const SqlULen room = rec->Buffer.size() - (cType == SQL_C_CHAR ? 1 : 0);
        if (IsCharOrBinarySql(sqlType) || columnSize == 0)
            columnSize = std::max<SqlULen>(room, 1);
        else if (columnSize > room)
            rec->Buffer.resize(columnSize + 3, 0);
    }
    statement.BindParamMain(marker, cType, rec->Buffer.data(), sqlType, columnSize, digits, nullable, 0);
}

void TOEParams::DefineProperties(TFiler& filer)
{
    TParams::DefineProperties(filer);
    DefineParamsProperty(filer, "Params");
}

void TOEParams::DefineParamsProperty(TFiler& filer, const std::string& name)
{
    filer.DefineProperty(
        name, [this](TReader& r) { ReadParams(r); }, [this](TWriter& w) { WriteCollection(w); }, Count() > 0);
}

void TOEParams::ReadParams(TReader& reader)
{
    if (reader.NextValue() == TValueType::vaCollection)
        ReadCollection(reader);
    else
        ReadEarlierParams(reader);
}

void TOEParams::ReadEarlierParams(TReader& reader)
{
    Clear();
    reader.ReadListBegin();
    reader.ReadString(); // the version tag
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const std::string name = reader.ReadString();
        const auto paramType = static_cast<TParamType>(reader.ReadInteger());
        const auto dataType = static_cast<TFieldType>(reader.ReadInteger());
        TParam* param = CreateParam(dataType, name, paramType);
        switch (dataType) {
        case ftString:
        case ftMemo:
            param->SetValue(Variant(reader.ReadString()));
            break;
        case ftSmallint:
        case ftInteger:
        case ftWord:
            param->SetValue(Variant(reader.ReadInteger()));
            break;
        case ftBoolean:
            param->SetValue(Variant(reader.ReadBoolean()));
            break;
        case ftFloat:
            param->SetValue(Variant(reader.ReadFloat()));
            break;
        case ftDate:
        case ftTime:
        case ftDateTime:
            param->SetValue(Variant::Date(reader.ReadFloat()));
            break;
        case ftCurrency:
            param->SetValue(Variant::Currency(reader.ReadCurrency()));
            break;
        default:
            break;
        }
        param->SetDataType(dataType);
        param->SetBound(reader.ReadBoolean());
        if (reader.ReadBoolean())
            param->Clear();
        reader.ReadInteger(); // kept by earlier versions, used by none
    }
    reader.ReadListEnd();
    reader.ReadListEnd();
}
