#pragma once
// Query and procedure parameters: a named value with a field type and a direction, convertible to
// and from the native data that the ODBC layer binds.
//
// Native data (GetData/SetData/GetDataSize): String, FixedChar and Memo: the text and a zero byte
// (length + 1); Blob, Bytes, VarBytes: the bytes (length); Boolean: one byte, 0 or 1; Smallint and
// Word 2, Integer and AutoInc 4, Largeint 8, Float and Currency 8 (double), Date 4 (day number),
// Time 4 (milliseconds), DateTime 8 (double of time-stamp milliseconds). A null parameter writes
// zeros (or an empty text) of its type's size.
#include "platform/core/Persistent.h"
#include "platform/core/Variant.h"
#include "platform/db/DBTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class TField;
class TReader;
class TWriter;

class TParam
{
public:
    TParam() = default;
    TParam(std::string name, TFieldType dataType, TParamType paramType)
        : name_(std::move(name)), dataType_(dataType), paramType_(paramType)
    {
    }

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType type) { dataType_ = type; }
    TParamType ParamType() const { return paramType_; }
    void SetParamType(TParamType type) { paramType_ = type; }
    // Set by every assignment of a value and by AssignField; cleared only by the caller.
    bool Bound() const { return bound_; }
    void SetBound(bool value) { bound_ = value; }

    const Variant& Value() const { return value_; }
    // Takes the value; a parameter of unknown type takes the type the value suggests.
    void SetValue(const Variant& value);
    bool IsNull() const { return value_.IsClear(); }
    // Null, type kept.
    void Clear() { value_ = Variant::Null(); }

    std::string AsString() const { return IsNull() ? std::string() : value_.AsString(); }
    std::int32_t AsInteger() const { return IsNull() ? 0 : value_.AsInteger(); }
    bool AsBoolean() const { return IsNull() ? false : value_.AsBoolean(); }
    double AsFloat() const { return IsNull() ? 0.0 : value_.AsFloat(); }
    double AsCurrency() const { return IsNull() ? 0.0 : value_.AsCurrency(); }
    double AsDateTime() const { return IsNull() ? 0.0 : value_.AsDateTime(); }
    // The typed setters also set the data type, as the class library's do.
    void SetAsString(const std::string& v) { SetTyped(ftString, v); }
    void SetAsMemo(const std::string& v) { SetTyped(ftMemo, v); }
    void SetAsInteger(std::int32_t v) { SetTyped(ftInteger, v); }
    void SetAsSmallInt(std::int32_t v) { SetTyped(ftSmallint, v); }
    void SetAsWord(std::int32_t v) { SetTyped(ftWord, v); }
    void SetAsBoolean(bool v) { SetTyped(ftBoolean, v); }
    void SetAsFloat(double v) { SetTyped(ftFloat, v); }
    void SetAsCurrency(double v) { SetTyped(ftCurrency, Variant::Currency(v)); }
    void SetAsDate(double v) { SetTyped(ftDate, Variant::Date(v)); }
    void SetAsTime(double v) { SetTyped(ftTime, Variant::Date(v)); }
    void SetAsDateTime(double v) { SetTyped(ftDateTime, Variant::Date(v)); }
    void SetAsBlob(std::vector<std::uint8_t> v) { SetTyped(ftBlob, Variant::Bytes(std::move(v))); }

    // Name, data type and value of field (null when the field is null); Bound becomes true.
    void AssignField(const TField& field);
    // Data type of field, the given value; Bound becomes true.
    void AssignFieldValue(const TField& field, const Variant& value);
    // Everything: name, types, value, bound.
    void Assign(const TParam& source) { *this = source; }

    // Bytes GetData writes for the current value.
    std::size_t GetDataSize() const;
    void GetData(void* buffer) const;
    // Reads native data of the parameter's type. Text stops at the first zero byte or after size
    // bytes; Bytes, VarBytes and Blob take size bytes (size is required for them).
    void SetData(const void* buffer, std::size_t size = static_cast<std::size_t>(-1));

private:
    void SetTyped(TFieldType type, const Variant& value);

    std::string name_;
    TFieldType dataType_ = ftUnknown;
    TParamType paramType_ = ptUnknown;
    Variant value_;
    bool bound_ = false;
};

class TParams : public TPersistent
{
public:
    explicit TParams(TPersistent* owner = nullptr) : owner_(owner) {}
    TParams(const TParams&) = delete;
    TParams& operator=(const TParams&) = delete;

    TPersistent* Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError for a bad index.
    TParam* Items(int index) const;
    // By name without regard to case; nullptr when absent.
    TParam* FindParam(const std::string& name) const;
    // Raises EDatabaseError "Parameter 'X' not found".
    TParam* ParamByName(const std::string& name) const;
    TParam* CreateParam(TFieldType dataType, const std::string& name, TParamType paramType);
    // Removes and frees param (nothing when it is not in this collection).
    void RemoveParam(TParam* param);
    void Clear() { items_.clear(); }
    // Each parameter of source is copied into this collection's parameter of the same name, if
    // there is one.
    void AssignValues(const TParams& source);
    // This collection becomes a copy of source (another TParams).
    void Assign(const TPersistent& source) override;

    // The collection as a form resource holds it: one item per parameter with its Name, DataType,
    // ParamType, Value and Bound. The value is written as its type keeps it (text, integer, boolean,
    // float, currency; a date or time as the float of its date-time; bytes as a string of them) and
    // is left out when it is null.
    void WriteCollection(TWriter& writer) const;
    // Replaces the parameters with the items of a collection written so.
    void ReadCollection(TReader& reader);
    std::string ClassName() const override { return "TParams"; }

private:
    TPersistent* owner_;
    std::vector<std::unique_ptr<TParam>> items_;
};
