#pragma once
// A value of any of the kinds a dataset field or parameter can hold, with the conversions between
// them that field access, parameters and Locate rely on. Empty (never assigned) and Null (a value
// known to be missing) are distinct, as in the class library.
//
// Conversion rules (the class library's):
// - Empty converts to 0, false, 0.0 and "".
// - Null converts to "" as text; to any other kind it raises EVariantError.
// - A boolean is -1 as a number; a number is true when it is not 0.
// - Text converts to a number when it reads as one ("12", " 1.5 "), to a boolean when it is
//   "True"/"False" (any case) or a number, to a date-time when it reads as a date and/or a time
//   ("2024-03-01", "2024-03-01 13:05:07", "13:05"); otherwise EVariantError.
// - A double converts to an integer by rounding half to even; out of range raises EVariantError.
// - Dates are the class library's date-time: days since 1899-12-30, the fraction is the time.
// - Currency is a double kept to four decimals.
#include "platform/core/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

class EVariantError : public EConvertError
{
public:
    using EConvertError::EConvertError;
};

enum class TVarType
{
    Empty,
    Null,
    Boolean,
    Integer, // 32-bit
    Int64,
    Double,
    Currency,
    Date,
    String,
    Bytes,
    Array
};

class Variant
{
public:
    Variant() = default;
    Variant(bool value) : type_(TVarType::Boolean), int_(value ? 1 : 0) {}
    Variant(std::int32_t value) : type_(TVarType::Integer), int_(value) {}
    Variant(std::int64_t value) : type_(TVarType::Int64), int_(value) {}
    Variant(double value) : type_(TVarType::Double), double_(value) {}
    Variant(const char* value) : type_(TVarType::String), string_(value) {}
    Variant(std::string value) : type_(TVarType::String), string_(std::move(value)) {}

    static Variant Null();
    static Variant Currency(double value);
    static Variant Date(double dateTime);
    static Variant Bytes(std::vector<std::uint8_t> bytes);
    static Variant Array(std::vector<Variant> items);

    TVarType Type() const { return type_; }
    bool IsEmpty() const { return type_ == TVarType::Empty; }
    bool IsNull() const { return type_ == TVarType::Null; }
    // Empty or Null: "no value" for field and parameter assignment.
    bool IsClear() const { return IsEmpty() || IsNull(); }
    bool IsArray() const { return type_ == TVarType::Array; }

    bool AsBoolean() const;
    std::int32_t AsInteger() const;
    std::int64_t AsInt64() const;
    double AsFloat() const;
    double AsCurrency() const;
    double AsDateTime() const;
    std::string AsString() const;
    // Text gives its bytes, bytes themselves; anything else raises EVariantError.
    std::vector<std::uint8_t> AsBytes() const;

    // Elements of an array; EVariantError for an index outside it or a value that is no array.
    int ArrayCount() const;
    const Variant& operator[](int index) const;
    Variant& operator[](int index);

    // The same kind and the same value; numbers of different kinds compare by value, and two
    // Nulls (or two Empties) are equal.
    bool operator==(const Variant& other) const;

private:
    [[noreturn]] void CastError(const char* target) const;

    TVarType type_ = TVarType::Empty;
    std::int64_t int_ = 0;
    double double_ = 0;
    std::string string_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Variant> items_;
};

// The class library's name of a variant kind ("Null", "Integer", "String" ...).
const char* VarTypeName(TVarType type);

// Date-time text as the variant conversions write and read it: "yyyy-mm-dd", "hh:nn:ss" for a
// value with no date part, "yyyy-mm-dd hh:nn:ss" otherwise (milliseconds as ".zzz" when not 0).
std::string VarDateTimeToText(double dateTime);
// false when text is no date or time in one of those forms.
bool VarTextToDateTime(const std::string& text, double& dateTime);
