#include "platform/db/Params.h"

#include "platform/core/StringUtils.h"
#include "platform/core/Unaligned.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/NativeData.h"

#include <algorithm>
#include <cstring>

namespace {

TFieldType TypeOfValue(const Variant& v)
{
    switch (v.Type()) {
    case TVarType::Boolean:
        return ftBoolean;
    case TVarType::Integer:
        return ftInteger;
    case TVarType::Int64:
        return ftLargeint;
    case TVarType::Double:
        return ftFloat;
    case TVarType::Currency:
        return ftCurrency;
    case TVarType::Date:
        return ftDateTime;
    case TVarType::String:
        return ftString;
    case TVarType::Bytes:
        return ftBlob;
    default:
        return ftUnknown;
    }
}

bool IsTextType(TFieldType t)
{
    return t == ftString || t == ftFixedChar || t == ftMemo || t == ftFmtMemo;
}

bool IsByteType(TFieldType t)
{
    return t == ftBytes || t == ftVarBytes || IsBlobType(t);
}

} // namespace

void TParam::SetValue(const Variant& value)
{
    if (dataType_ == ftUnknown)
        dataType_ = TypeOfValue(value);
    value_ = value;
    bound_ = !value.IsEmpty();
}

void TParam::SetTyped(TFieldType type, const Variant& value)
{
    dataType_ = type;
    SetValue(value);
}

void TParam::AssignField(const TField& field)
{
    name_ = field.FieldName();
    AssignFieldValue(field, field.AsVariant());
}

void TParam::AssignFieldValue(const TField& field, const Variant& value)
{
    dataType_ = field.DataType();
    value_ = value.IsEmpty() ? Variant::Null() : value;
    bound_ = true;
}

std::size_t TParam::GetDataSize() const
{
    if (IsTextType(dataType_))
        return AsString().size() + 1;
    if (IsByteType(dataType_))
        return IsNull() ? 0 : value_.AsBytes().size();
    if (dataType_ == ftBoolean)
        return 1;
    return static_cast<std::size_t>(FieldDataSize(dataType_, 0));
}

void TParam::GetData(void* buffer) const
{
    if (IsTextType(dataType_)) {
        const std::string text = AsString();
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return;
    }
    if (IsByteType(dataType_)) {
        if (!IsNull()) {
            const auto bytes = value_.AsBytes();
            std::memcpy(buffer, bytes.data(), bytes.size());
        }
        return;
    }
    const bool null = IsNull();
    switch (dataType_) {
    case ftBoolean:
        StoreUnaligned(buffer, static_cast<std::uint8_t>(!null && value_.AsBoolean() ? 1 : 0));
        break;
    case ftSmallint:
        StoreUnaligned(buffer, static_cast<std::int16_t>(null ? 0 : value_.AsInteger()));
        break;
    case ftWord:
        StoreUnaligned(buffer, static_cast<std::uint16_t>(null ? 0 : value_.AsInteger()));
        break;
    case ftInteger:
    case ftAutoInc:
        StoreUnaligned(buffer, static_cast<std::int32_t>(null ? 0 : value_.AsInteger()));
        break;
    case ftLargeint:
        StoreUnaligned(buffer, static_cast<std::int64_t>(null ? 0 : value_.AsInt64()));
        break;
    case ftFloat:
        StoreUnaligned(buffer, null ? 0.0 : value_.AsFloat());
        break;
    case ftCurrency:
        StoreUnaligned(buffer, null ? 0.0 : value_.AsCurrency());
        break;
    case ftDate:
        StoreUnaligned(buffer, null ? std::int32_t{0} : DateTimeToNativeDate(value_.AsDateTime()));
        break;
    case ftTime:
        StoreUnaligned(buffer, null ? std::int32_t{0} : DateTimeToNativeTime(value_.AsDateTime()));
        break;
    case ftDateTime:
        StoreUnaligned(buffer, null ? 0.0 : DateTimeToNativeMSecs(value_.AsDateTime()));
        break;
    default:
        break;
    }
}

void TParam::SetData(const void* buffer, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    if (IsTextType(dataType_)) {
        const char* text = static_cast<const char*>(buffer);
        value_ =
            std::string(text, size == static_cast<std::size_t>(-1) ? std::strlen(text) : strnlen(text, size));
    } else if (IsByteType(dataType_)) {
        if (size == static_cast<std::size_t>(-1))
            DatabaseError("Parameter '" + name_ + "': the size of its data is not known");
        value_ = Variant::Bytes(std::vector<std::uint8_t>(p, p + size));
    } else {
        switch (dataType_) {
        case ftBoolean:
            value_ = LoadUnaligned<std::uint8_t>(p) != 0;
            break;
        case ftSmallint:
            value_ = static_cast<std::int32_t>(LoadUnaligned<std::int16_t>(p));
            break;
        case ftWord:
            value_ = static_cast<std::int32_t>(LoadUnaligned<std::uint16_t>(p));
            break;
        case ftInteger:
        case ftAutoInc:
            value_ = LoadUnaligned<std::int32_t>(p);
            break;
        case ftLargeint:
            value_ = LoadUnaligned<std::int64_t>(p);
            break;
        case ftFloat:
            value_ = LoadUnaligned<double>(p);
            break;
        case ftCurrency:
            value_ = Variant::Currency(LoadUnaligned<double>(p));
            break;
        case ftDate:
            value_ = Variant::Date(NativeDateToDateTime(LoadUnaligned<std::int32_t>(p)));
            break;
        case ftTime:
            value_ = Variant::Date(NativeTimeToDateTime(LoadUnaligned<std::int32_t>(p)));
            break;
        case ftDateTime:
            value_ = Variant::Date(NativeMSecsToDateTime(LoadUnaligned<double>(p)));
            break;
        default:
            DatabaseError("Parameter '" + name_ + "' of type " + FieldTypeName(dataType_) +
                          " has no native data");
        }
    }
    bound_ = true;
}

TParam* TParams::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<size_t>(index)].get();
}

TParam* TParams::FindParam(const std::string& name) const
{
    for (const auto& p : items_)
        if (SameText(p->Name(), name))
            return p.get();
    return nullptr;
}

TParam* TParams::ParamByName(const std::string& name) const
{
    TParam* p = FindParam(name);
    if (p == nullptr)
        DatabaseError("Parameter '" + name + "' not found");
    return p;
}

TParam* TParams::CreateParam(TFieldType dataType, const std::string& name, TParamType paramType)
{
    items_.push_back(std::make_unique<TParam>(name, dataType, paramType));
    return items_.back().get();
}

void TParams::RemoveParam(TParam* param)
{
    items_.erase(
        std::remove_if(items_.begin(), items_.end(), [&](const auto& p) { return p.get() == param; }),
        items_.end());
}

void TParams::AssignValues(const TParams& source)
{
    for (const auto& p : source.items_)
        if (TParam* mine = FindParam(p->Name()))
            mine->Assign(*p);
}

void TParams::Assign(const TPersistent& source)
{
    const auto* params = dynamic_cast<const TParams*>(&source);
    if (params == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (params == this)
        return;
    items_.clear();
    for (const auto& p : params->items_)
        items_.push_back(std::make_unique<TParam>(*p));
}
