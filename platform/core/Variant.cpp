#include "platform/core/Variant.h"

#include "platform/core/DateTime.h"
#include "platform/core/NumberText.h"
#include "platform/core/StringUtils.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

bool ParseNumber(const std::string& text, double& value)
{
    return TryStrToFloat(text, value) && std::isfinite(value);
}

double RoundCurrency(double value)
{
    return std::nearbyint(value * 10000.0) / 10000.0;
}

} // namespace

Variant Variant::Null()
{
    Variant v;
    v.type_ = TVarType::Null;
    return v;
}

Variant Variant::Currency(double value)
{
    Variant v(RoundCurrency(value));
    v.type_ = TVarType::Currency;
    return v;
}

Variant Variant::Date(double dateTime)
{
    Variant v(dateTime);
    v.type_ = TVarType::Date;
    return v;
}

Variant Variant::Bytes(std::vector<std::uint8_t> bytes)
{
    Variant v;
    v.type_ = TVarType::Bytes;
    v.bytes_ = std::move(bytes);
    return v;
}

Variant Variant::Array(std::vector<Variant> items)
{
    Variant v;
    v.type_ = TVarType::Array;
    v.items_ = std::move(items);
    return v;
}

void Variant::CastError(const char* target) const
{
    throw EVariantError(std::string("Could not convert variant of type (") + VarTypeName(type_) +
                        ") into type (" + target + ")");
}

bool Variant::AsBoolean() const
{
    switch (type_) {
    case TVarType::Empty:
        return false;
    case TVarType::Boolean:
    case TVarType::Integer:
    case TVarType::Int64:
        return int_ != 0;
    case TVarType::Double:
    case TVarType::Currency:
    case TVarType::Date:
        return double_ != 0;
    case TVarType::String: {
        if (string_.size() == 4 || string_.size() == 5) {
            std::string lower;
            for (char c : string_)
                lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
            if (lower == "true")
                return true;
            if (lower == "false")
                return false;
        }
        double d = 0;
        if (ParseNumber(string_, d))
            return d != 0;
        break;
    }
    default:
        break;
    }
    CastError("Boolean");
}

std::int64_t Variant::AsInt64() const
{
    double d = 0;
    switch (type_) {
    case TVarType::Empty:
        return 0;
    case TVarType::Boolean:
        return int_ != 0 ? -1 : 0;
    case TVarType::Integer:
    case TVarType::Int64:
        return int_;
    case TVarType::Double:
    case TVarType::Currency:
    case TVarType::Date:
        d = double_;
        break;
    case TVarType::String: {
        std::int64_t n = 0;
        if (TryStrToInt64(string_, n))
            return n;
        if (!ParseNumber(string_, d))
            CastError("Int64");
        break;
    }
    default:
        CastError("Int64");
    }
    d = std::nearbyint(d);
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
        CastError("Int64");
    return static_cast<std::int64_t>(d);
}

std::int32_t Variant::AsInteger() const
{
    std::int64_t n = 0;
    try {
        n = AsInt64();
    } catch (const EVariantError&) {
        CastError("Integer");
    }
    if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        CastError("Integer");
    return static_cast<std::int32_t>(n);
}

double Variant::AsFloat() const
{
    switch (type_) {
    case TVarType::Empty:
        return 0;
    case TVarType::Boolean:
        return int_ != 0 ? -1 : 0;
    case TVarType::Integer:
    case TVarType::Int64:
        return static_cast<double>(int_);
    case TVarType::Double:
    case TVarType::Currency:
    case TVarType::Date:
        return double_;
    case TVarType::String: {
        double d = 0;
        if (ParseNumber(string_, d))
            return d;
        break;
    }
    default:
        break;
    }
    CastError("Double");
}

double Variant::AsCurrency() const
{
    try {
        return RoundCurrency(AsFloat());
    } catch (const EVariantError&) {
        CastError("Currency");
    }
}

double Variant::AsDateTime() const
{
    if (type_ == TVarType::String) {
        double d = 0;
        if (VarTextToDateTime(string_, d))
            return d;
        CastError("Date");
    }
    try {
        return AsFloat();
    } catch (const EVariantError&) {
        CastError("Date");
    }
}

std::string Variant::AsString() const
{
    switch (type_) {
    case TVarType::Empty:
    case TVarType::Null:
        return {};
    case TVarType::Boolean:
        return int_ != 0 ? "True" : "False";
    case TVarType::Integer:
    case TVarType::Int64:
        return IntToStr(int_);
    case TVarType::Double:
    case TVarType::Currency:
        return FloatToStr(double_);
    case TVarType::Date:
        return VarDateTimeToText(double_);
    case TVarType::String:
        return string_;
    case TVarType::Bytes:
        return std::string(bytes_.begin(), bytes_.end());
    case TVarType::Array:
        break;
    }
    CastError("String");
}

std::vector<std::uint8_t> Variant::AsBytes() const
{
    if (type_ == TVarType::Bytes)
        return bytes_;
    if (type_ == TVarType::String)
        return std::vector<std::uint8_t>(string_.begin(), string_.end());
    CastError("Bytes");
}

int Variant::ArrayCount() const
{
    if (type_ != TVarType::Array)
        throw EVariantError("Variant is not an array");
    return static_cast<int>(items_.size());
}

const Variant& Variant::operator[](int index) const
{
    if (index < 0 || index >= ArrayCount())
        throw EVariantError("Variant array index out of bounds");
    return items_[static_cast<size_t>(index)];
}

Variant& Variant::operator[](int index)
{
    if (index < 0 || index >= ArrayCount())
        throw EVariantError("Variant array index out of bounds");
    return items_[static_cast<size_t>(index)];
}

bool Variant::operator==(const Variant& other) const
{
    auto numeric = [](TVarType t) {
        return t == TVarType::Integer || t == TVarType::Int64 || t == TVarType::Double ||
               t == TVarType::Currency;
    };
    if (numeric(type_) && numeric(other.type_)) {
        if ((type_ == TVarType::Integer || type_ == TVarType::Int64) &&
            (other.type_ == TVarType::Integer || other.type_ == TVarType::Int64))
            return int_ == other.int_;
        return AsFloat() == other.AsFloat();
    }
    if (type_ != other.type_)
        return false;
    switch (type_) {
    case TVarType::Empty:
    case TVarType::Null:
        return true;
    case TVarType::Boolean:
        return int_ == other.int_;
    case TVarType::Date:
        return double_ == other.double_;
    case TVarType::String:
        return string_ == other.string_;
    case TVarType::Bytes:
        return bytes_ == other.bytes_;
    case TVarType::Array:
        return items_ == other.items_;
    default:
        return false;
    }
}

const char* VarTypeName(TVarType type)
{
    switch (type) {
    case TVarType::Empty:
        return "Empty";
    case TVarType::Null:
        return "Null";
    case TVarType::Boolean:
        return "Boolean";
    case TVarType::Integer:
        return "Integer";
    case TVarType::Int64:
        return "Int64";
    case TVarType::Double:
        return "Double";
    case TVarType::Currency:
        return "Currency";
    case TVarType::Date:
        return "Date";
    case TVarType::String:
        return "String";
    case TVarType::Bytes:
        return "Bytes";
    case TVarType::Array:
        return "Array";
    }
    return "Unknown";
}

std::string VarDateTimeToText(double dateTime)
{
    const TPlatformTimeStamp ts = DateTimeToTimeStamp(dateTime);
    std::string text;
    if (ts.Date != DateDelta || ts.Time == 0)
        text = FormatDateTime("yyyy-mm-dd", dateTime);
    if (ts.Time != 0) {
        if (!text.empty())
            text += ' ';
        text += FormatDateTime(ts.Time % 1000 != 0 ? "hh:nn:ss.zzz" : "hh:nn:ss", dateTime);
    }
    return text;
}

bool VarTextToDateTime(const std::string& text, double& dateTime)
{
    const std::string s = Trim(text);
    double date = 0;
    double time = 0;
    bool any = false;
    size_t pos = 0;
    int y = 0, mo = 0, d = 0, consumed = 0;
    if (std::sscanf(s.c_str(), "%d-%d-%d%n", &y, &mo, &d, &consumed) == 3) {
        if (!TryEncodeDate(y, mo, d, date))
            return false;
        pos = static_cast<size_t>(consumed);
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == 'T'))
            ++pos;
        any = true;
    }
    if (pos < s.size()) {
        int h = 0, mi = 0, sec = 0, msec = 0;
        consumed = 0;
        const char* rest = s.c_str() + pos;
        const int n =
            std::sscanf(rest, "%d:%d%n:%d%n.%d%n", &h, &mi, &consumed, &sec, &consumed, &msec, &consumed);
        if (n < 2 || rest[consumed] != '\0' || !TryEncodeTime(h, mi, sec, msec, time))
            return false;
        any = true;
    }
    if (!any)
        return false;
    dateTime = date < 0 ? date - time : date + time;
    return true;
}
