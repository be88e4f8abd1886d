// TParams in form resources: the collection's items and their values.
#include "platform/core/Filer.h"
#include "platform/db/NativeData.h"
#include "platform/db/Params.h"

#include <deque>
#include <limits>

namespace {

bool IsTextType(TFieldType t)
{
    return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo || t == ftFmtMemo;
}

bool IsByteType(TFieldType t)
{
    return t == ftBytes || t == ftVarBytes || IsBlobType(t);
}

bool IsDateType(TFieldType t)
{
    return t == ftDate || t == ftTime || t == ftDateTime;
}

void WriteValue(TWriter& w, const TParam& param)
{
    const Variant& value = param.Value();
    switch (param.DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        w.WriteInteger(value.AsInt64());
        return;
    case ftBoolean:
        w.WriteBoolean(value.AsBoolean());
        return;
    case ftFloat:
        w.WriteFloat(value.AsFloat());
        return;
    case ftCurrency:
        w.WriteCurrency(value.AsCurrency());
        return;
    default:
        break;
    }
    if (IsDateType(param.DataType())) {
        w.WriteFloat(value.AsDateTime());
    } else if (IsByteType(param.DataType()) && !IsTextType(param.DataType())) {
        const std::vector<std::uint8_t> bytes = value.AsBytes();
        w.WriteString(std::string(bytes.begin(), bytes.end()));
    } else {
        // Text, and the types whose values travel as text (a BCD's digits, a GUID).
        w.WriteString(value.AsString());
    }
}

// The value read, of the kind the parameter's type keeps.
Variant ReadValue(TReader& r, TFieldType type)
{
    switch (r.NextValue()) {
    case TValueType::vaString: {
        std::string text = r.ReadString();
        if (IsByteType(type) && !IsTextType(type))
            return Variant::Bytes(std::vector<std::uint8_t>(text.begin(), text.end()));
        return Variant(std::move(text));
    }
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64: {
        const std::int64_t v = r.ReadInt64();
        if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
            return Variant(static_cast<std::int32_t>(v));
        return Variant(v);
    }
    case TValueType::vaFalse:
    case TValueType::vaTrue:
        return Variant(r.ReadBoolean());
    case TValueType::vaDouble: {
        const double v = r.ReadFloat();
        return IsDateType(type) ? Variant::Date(v) : Variant(v);
    }
    case TValueType::vaCurrency:
        return Variant::Currency(r.ReadCurrency());
    default:
        throw EReadError("Invalid property value");
    }
}

// One parameter as a collection item.
class TParamItem : public TPersistent
{
public:
    explicit TParamItem(TParam& param) : param_(param) {}

    void DefineProperties(TFiler& filer) override
    {
        filer.DefineProperty(
            "Name", [this](TReader& r) { param_.SetName(r.ReadString()); },
            [this](TWriter& w) { w.WriteString(param_.Name()); }, true);
        filer.DefineProperty(
            "DataType", [this](TReader& r) { param_.SetDataType(ReadEnum<TFieldType>(r, ftGuid)); },
            [this](TWriter& w) { w.WriteInteger(param_.DataType()); }, true);
        filer.DefineProperty(
            "ParamType", [this](TReader& r) { param_.SetParamType(ReadEnum<TParamType>(r, ptResult)); },
            [this](TWriter& w) { w.WriteInteger(param_.ParamType()); }, true);
        filer.DefineProperty(
            "Value", [this](TReader& r) { param_.SetValue(ReadValue(r, param_.DataType())); },
            [this](TWriter& w) { WriteValue(w, param_); }, !param_.IsNull());
        // After the value, which binds the parameter as it is read: a master's value is not bound.
        filer.DefineProperty(
            "Bound", [this](TReader& r) { param_.SetBound(r.ReadBoolean()); },
            [this](TWriter& w) { w.WriteBoolean(param_.Bound()); }, true);
    }

private:
    template <class Enum> static Enum ReadEnum(TReader& r, Enum last)
    {
        const std::int32_t v = r.ReadInteger();
        if (v < 0 || v > static_cast<std::int32_t>(last))
            throw EReadError("Invalid property value");
        return static_cast<Enum>(v);
    }

    TParam& param_;
};

} // namespace

void TParams::WriteCollection(TWriter& writer) const
{
    std::deque<TParamItem> items;
    std::vector<TPersistent*> pointers;
    for (const auto& param : items_)
        pointers.push_back(&items.emplace_back(*param));
    writer.WriteCollection(pointers);
}

void TParams::ReadCollection(TReader& reader)
{
    Clear();
    std::deque<TParamItem> items;
    reader.ReadCollection([&]() -> TPersistent& {
        return items.emplace_back(*CreateParam(ftUnknown, std::string(), ptUnknown));
    });
}
