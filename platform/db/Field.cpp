#include "platform/db/Field.h"

#include "platform/core/MemoryStream.h"
#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/NativeData.h"
#include "platform/db/TempState.h"

#include <cstring>
#include <vector>

TField::TField(std::string fieldName, TFieldType dataType, int size, TFieldKind kind)
    : fieldName_(std::move(fieldName)), dataType_(dataType), size_(size), kind_(kind)
{
    if (dataType_ == ftString && size_ == 0)
        size_ = 20; // the class library's default string width
}

void TField::SetSize(int size)
{
    if (dataSet_ != nullptr)
        dataSet_->CheckInactive();
    size_ = size;
}

bool TField::IsBlob() const
{
    return IsBlobType(dataType_);
}

bool TField::CanModify() const
{
    return !readOnly_ && dataSet_ != nullptr && (kind_ != fkData || dataSet_->CanModify());
}

int TField::DataSize() const
{
    return FieldDataSize(dataType_, size_);
}

bool TField::GetData(void* buffer) const
{
    if (validating_) {
        if (validateBuffer_ == nullptr)
            return false;
        if (buffer != nullptr)
            std::memcpy(buffer, validateBuffer_, static_cast<size_t>(DataSize()));
        return true;
    }
    if (dataSet_ == nullptr)
        DatabaseError("Field '" + fieldName_ + "' has no dataset");
    return dataSet_->GetFieldData(const_cast<TField*>(this), buffer);
}

void TField::SetData(const void* buffer)
{
    CheckWritable();
    dataSet_->SetFieldData(this, buffer);
}

void TField::CheckWritable() const
{
    if (dataSet_ == nullptr)
        DatabaseError("Field '" + fieldName_ + "' has no dataset");
    const TDataSetState state = dataSet_->State();
    if (!IsWriteState(state))
        DatabaseError("Dataset not in edit or insert mode", dataSet_);
    if (kind_ == fkData) {
        if (state == dsCalcFields)
            DatabaseError("Dataset not in edit or insert mode", dataSet_);
        if (readOnly_ && state != dsSetKey && state != dsFilter)
            DatabaseError("Field '" + fieldName_ + "' cannot be modified", dataSet_);
    }
}

void TField::ConvertError(const std::string& text, const char* what) const
{
    throw EConvertError("'" + text + "' is not a valid " + what + " value");
}

bool TField::ReadText(std::string& text) const
{
    if (!validating_ && dataSet_ != nullptr)
        return dataSet_->GetFieldText(const_cast<TField*>(this), text);
    // The native form: Size bytes of text and a zero, the text ending at its first zero byte.
    text.assign(static_cast<size_t>(DataSize()), '\0');
    if (!GetData(text.data())) {
        text.clear();
        return false;
    }
    text.resize(strnlen(text.data(), text.size()));
    return true;
}

template <typename T> bool TField::ReadFixed(T& value) const
{
    // Room for more than the native form: a field never gets more than DataSize bytes.
    std::uint8_t buf[16] = {};
    static_assert(sizeof(T) <= sizeof buf);
    if (!GetData(buf))
        return false;
    std::memcpy(&value, buf, sizeof value);
    return true;
}

Variant TField::ReadNative() const
{
    if (IsBlob())
        return ReadBlob();
    if (dataType_ == ftString || dataType_ == ftFixedChar) {
        std::string text;
        if (!ReadText(text))
            return Variant::Null();
        return text;
    }
    const int n = DataSize();
    if (n == 0)
        DatabaseError("Field '" + fieldName_ + "' of type " + FieldTypeName(dataType_) + " is not supported");
    // Most values fit a small buffer on the stack: browsing reads every field of every record.
    std::uint8_t small[64];
    std::vector<std::uint8_t> large;
    std::uint8_t* buf = small;
    if (static_cast<size_t>(n) + 1 > sizeof small) {
        large.resize(static_cast<size_t>(n) + 1);
        buf = large.data();
    }
    std::memset(buf, 0, static_cast<size_t>(n) + 1);
    if (!GetData(buf))
        return Variant::Null();
    return NativeToVariant(dataType_, size_, buf);
}

void TField::WriteNative(const Variant& value)
{
    if (value.IsClear()) {
        SetData(nullptr);
        return;
    }
    if (IsBlob()) {
        WriteBlob(value);
        return;
    }
    const int n = DataSize();
    if (n == 0)
        DatabaseError("Field '" + fieldName_ + "' of type " + FieldTypeName(dataType_) + " is not supported");
    std::vector<std::uint8_t> buf(static_cast<size_t>(n), 0);
    try {
        VariantToNative(dataType_, size_, value, buf.data());
    } catch (const ERangeError& e) {
        DatabaseError("Field '" + fieldName_ + "': " + e.Message(), dataSet_);
    }
    SetData(buf.data());
}

Variant TField::ReadBlob() const
{
    if (!GetData(nullptr))
        return Variant::Null();
    TMemoryStream copy;
    SaveToStream(copy);
    std::vector<std::uint8_t> bytes(copy.Memory(), copy.Memory() + copy.Size());
    if (dataType_ == ftMemo || dataType_ == ftFmtMemo || dataType_ == ftOraClob)
        return std::string(bytes.begin(), bytes.end());
    return Variant::Bytes(std::move(bytes));
}

void TField::WriteBlob(const Variant& value)
{
    const auto bytes = value.AsBytes();
    CheckWritable();
    auto stream = dataSet_->CreateBlobStream(this, bmWrite);
    if (!stream)
        DatabaseError("Field '" + fieldName_ + "' has no blob stream", dataSet_);
    // Written even when empty: an empty blob is a value, not null.
    stream->Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TField::LoadFromStream(TStream& stream)
{
    if (!IsBlob())
        DatabaseError("Field '" + fieldName_ + "' is not a blob field", dataSet_);
    TMemoryStream copy;
    copy.LoadFromStream(stream);
    WriteBlob(Variant::Bytes(std::vector<std::uint8_t>(copy.Memory(), copy.Memory() + copy.Size())));
}

void TField::SaveToStream(TStream& stream) const
{
    if (!IsBlob())
        DatabaseError("Field '" + fieldName_ + "' is not a blob field", dataSet_);
    if (dataSet_ == nullptr)
        DatabaseError("Field '" + fieldName_ + "' has no dataset");
    auto blob = dataSet_->CreateBlobStream(const_cast<TField*>(this), bmRead);
    if (blob)
        stream.CopyFrom(*blob, 0);
}

Variant TField::AsVariant() const
{
    return ReadNative();
}

void TField::SetAsVariant(const Variant& value)
{
    WriteNative(value);
}

std::string TField::AsString() const
{
    if (dataType_ == ftString || dataType_ == ftFixedChar) {
        std::string text;
        ReadText(text);
        return text;
    }
    return ReadNative().AsString();
}

void TField::SetAsString(const std::string& value)
{
    switch (dataType_) {
    case ftString:
    case ftFixedChar:
    case ftMemo:
    case ftFmtMemo:
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
        WriteNative(value);
        return;
    default:
        break;
    }
    if (value.empty()) {
        SetData(nullptr);
        return;
    }
    const char* what = "integer";
    switch (dataType_) {
    case ftFloat:
    case ftCurrency:
        what = "floating point";
        break;
    case ftBoolean:
        what = "boolean";
        break;
    case ftDate:
    case ftTime:
    case ftDateTime:
        what = "date and time";
        break;
    default:
        break;
    }
    Variant v;
    try {
        const Variant text(value);
        switch (dataType_) {
        case ftFloat:
            v = text.AsFloat();
            break;
        case ftCurrency:
            v = Variant::Currency(text.AsCurrency());
            break;
        case ftBoolean:
            v = text.AsBoolean();
            break;
        case ftDate:
        case ftTime:
        case ftDateTime:
            v = Variant::Date(text.AsDateTime());
            break;
        default:
            v = text.AsInt64();
            break;
        }
    } catch (const EVariantError&) {
        ConvertError(value, what);
    }
    WriteNative(v);
}

std::int32_t TField::AsInteger() const
{
    switch (dataType_) {
    case ftInteger:
    case ftAutoInc: {
        std::int32_t n = 0;
        return ReadFixed(n) ? n : 0;
    }
    case ftSmallint: {
        std::int16_t n = 0;
        return ReadFixed(n) ? n : 0;
    }
    case ftWord: {
        std::uint16_t n = 0;
        return ReadFixed(n) ? n : 0;
    }
    default:
        break;
    }
    const Variant v = ReadNative();
    return v.IsNull() ? 0 : v.AsInteger();
}

void TField::SetAsInteger(std::int32_t value)
{
    WriteNative(value);
}

bool TField::AsBoolean() const
{
    const Variant v = ReadNative();
    return v.IsNull() ? false : v.AsBoolean();
}

void TField::SetAsBoolean(bool value)
{
    WriteNative(value);
}

double TField::AsFloat() const
{
    // Types whose native value is the number itself (a currency's variant is rounded first).
    switch (dataType_) {
    case ftFloat: {
        double d = 0;
        return ReadFixed(d) ? d : 0.0;
    }
    case ftInteger:
    case ftAutoInc:
    case ftSmallint:
    case ftWord:
        return AsInteger();
    default:
        break;
    }
    const Variant v = ReadNative();
    return v.IsNull() ? 0.0 : v.AsFloat();
}

void TField::SetAsFloat(double value)
{
    WriteNative(value);
}

double TField::AsCurrency() const
{
    const Variant v = ReadNative();
    return v.IsNull() ? 0.0 : v.AsCurrency();
}

void TField::SetAsCurrency(double value)
{
    WriteNative(Variant::Currency(value));
}

double TField::AsDateTime() const
{
    const Variant v = ReadNative();
    return v.IsNull() ? 0.0 : v.AsDateTime();
}

void TField::SetAsDateTime(double value)
{
    WriteNative(Variant::Date(value));
}

Variant TField::OldValue() const
{
    if (dataSet_ == nullptr)
        DatabaseError("Field '" + fieldName_ + "' has no dataset");
    TempState guard(*dataSet_, dsOldValue);
    return ReadNative();
}

Variant TField::NewValue() const
{
    if (dataSet_ == nullptr)
        DatabaseError("Field '" + fieldName_ + "' has no dataset");
    TempState guard(*dataSet_, dsNewValue);
    return ReadNative();
}

void TField::SetNewValue(const Variant& value)
{
    if (dataSet_ == nullptr)
        DatabaseError("Field '" + fieldName_ + "' has no dataset");
    TempState guard(*dataSet_, dsNewValue);
    WriteNative(value);
}

void TField::Validate(const void* buffer)
{
    if (!onValidate_)
        return;
    struct Reset
    {
        TField& f;
        ~Reset()
        {
            f.validating_ = false;
            f.validateBuffer_ = nullptr;
        }
    } reset{*this};
    validating_ = true;
    validateBuffer_ = buffer;
    onValidate_(this);
}

void TField::Change()
{
    if (onChange_)
        onChange_(this);
}
