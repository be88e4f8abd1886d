#include "platform/core/NumberText.h"

#include "platform/core/Exception.h"
#include "platform/core/StringUtils.h"

#include <charconv>
#include <cmath>
#include <limits>

std::optional<IntegerText> ScanInteger(std::string_view text)
{
    IntegerText result;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        result.negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && text[i] == '$') {
        result.hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        result.hex = true;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    const unsigned base = result.hex ? 16 : 10;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (result.hex && c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (result.hex && c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            return std::nullopt;
        if (result.magnitude > (~std::uint64_t(0) - digit) / base)
            return std::nullopt;
        result.magnitude = result.magnitude * base + digit;
    }
    return result;
}

namespace {

// Reads into the type's width (bits): a decimal value must fit the signed type, hex any bit pattern.
bool ParseInteger(std::string_view s, int bits, std::int64_t& out)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    const std::optional<IntegerText> scanned = ScanInteger(s.substr(i));
    if (!scanned)
        return false;
    const auto [negative, hex, magnitude] = *scanned;
    const std::uint64_t hexLimit = bits == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << bits) - 1;
    // A decimal magnitude may reach 2^(bits-1) for a negative value, one less for a positive one.
    const std::uint64_t decLimit = (std::uint64_t(1) << (bits - 1)) - (negative ? 0 : 1);
    if (magnitude > (hex ? hexLimit : decLimit))
        return false;

    // Hex fills the bit pattern of the target type; two's complement gives the signed value.
    if (bits == 32) {
        auto v = static_cast<std::uint32_t>(magnitude);
        if (negative)
            v = 0u - v;
        out = static_cast<std::int32_t>(v);
    } else {
        std::uint64_t v = magnitude;
        if (negative)
            v = 0u - v;
        out = static_cast<std::int64_t>(v);
    }
    return true;
}

[[noreturn]] void InvalidInteger(std::string_view s)
{
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

} // namespace

bool TryStrToInt(std::string_view s, int& value)
{
    std::int64_t v = 0;
    if (!ParseInteger(s, 32, v))
        return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(std::string_view s)
{
    int v = 0;
    if (!TryStrToInt(s, v))
        InvalidInteger(s);
    return v;
}

int StrToIntDef(std::string_view s, int def)
{
    int v = 0;
    return TryStrToInt(s, v) ? v : def;
}

bool TryStrToInt64(std::string_view s, std::int64_t& value)
{
    return ParseInteger(s, 64, value);
}

std::int64_t StrToInt64(std::string_view s)
{
    std::int64_t v = 0;
    if (!TryStrToInt64(s, v))
        InvalidInteger(s);
    return v;
}

std::int64_t StrToInt64Def(std::string_view s, std::int64_t def)
{
    std::int64_t v = 0;
    return TryStrToInt64(s, v) ? v : def;
}

std::string IntToStr(int value)
{
    return std::to_string(value);
}
std::string IntToStr(std::int64_t value)
{
    return std::to_string(value);
}

std::string FloatToStr(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    std::string text(buf, res.ptr);
    // "1e+20" -> "1E20", "1e-07" -> "1E-7": the library writes exponents without '+' or padding.
    const auto e = text.find('e');
    if (e != std::string::npos) {
        std::string mantissa = text.substr(0, e);
        std::string exponent = text.substr(e + 1);
        std::string sign;
        if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
            if (exponent[0] == '-')
                sign = "-";
            exponent.erase(0, 1);
        }
        const auto nz = exponent.find_first_not_of('0');
        exponent = nz == std::string::npos ? "0" : exponent.substr(nz);
        text = mantissa + "E" + sign + exponent;
    }
    return text;
}

bool TryStrToFloat(std::string_view s, double& value)
{
    std::string t = Trim(s);
    std::string_view v = t;
    std::size_t first = 0;
    if (!v.empty() && v[0] == '+')
        v.remove_prefix(1);
    else if (!v.empty() && v[0] == '-')
        first = 1;
    // from_chars would also take "inf" and "nan"; the library reads digits only.
    if (first >= v.size() || !((v[first] >= '0' && v[first] <= '9') || v[first] == '.'))
        return false;
    double d = 0;
    const auto res = std::from_chars(v.data(), v.data() + v.size(), d, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != v.data() + v.size())
        return false;
    value = d;
    return true;
}

double StrToFloat(std::string_view s)
{
    double v = 0;
    if (!TryStrToFloat(s, v))
        throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
    return v;
}

double StrToFloatDef(std::string_view s, double def)
{
    double v = 0;
    return TryStrToFloat(s, v) ? v : def;
}
