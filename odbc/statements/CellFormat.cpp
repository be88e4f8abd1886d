// The display formats of cells: FormatFloat and the one-argument FormatOne.
#include "odbc/statements/CellFormat.h"

#include "platform/core/NumberText.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Splits a mask into sections at ";" outside quotes.
std::vector<std::string> Sections(std::string_view mask)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : mask) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

std::string Group(const std::string& digits)
{
    std::string grouped;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

// The digits of value (>= 0) with exactly decimals digits after the point, split in two.
void FixedDigits(double value, int decimals, std::string& integer, std::string& fraction)
{
    std::vector<char> buffer(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.*f", decimals, value)) +
                             1);
    std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
    const std::string text(buffer.data());
    const std::size_t point = text.find('.');
    integer = text.substr(0, point);
    fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
}

struct Pattern
{
    std::string prefix, suffix; // literal text around the number
    int integerZeros = 0;       // "0"s before the point: the least integer digits
    int integerDigits = 0;      // "0"s and "#"s before the point
    int fractionZeros = 0;      // the position of the last "0" after the point
    int fractionDigits = 0;     // "0"s and "#"s after the point
    bool point = false, thousands = false;
    bool scientific = false;
    char expChar = 'E', expSign = '+';
    int expDigits = 0;
};

Pattern Parse(const std::string& section)
{
    Pattern p;
    bool seenDigit = false;
    bool afterNumber = false;
    char quote = 0;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        std::string& literal = seenDigit ? p.suffix : p.prefix;
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else
                literal += c;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            continue;
        }
        if (!afterNumber && (c == '0' || c == '#')) {
            seenDigit = true;
            if (p.point) {
                ++p.fractionDigits;
                if (c == '0')
                    p.fractionZeros = p.fractionDigits;
            } else {
                ++p.integerDigits;
                if (c == '0' || p.integerZeros > 0)
                    ++p.integerZeros;
            }
            continue;
        }
        if (!afterNumber && c == '.' && !p.point) {
            p.point = true;
            continue;
        }
        if (!afterNumber && c == ',') {
            p.thousands = true;
            continue;
        }
        if (!afterNumber && seenDigit && (c == 'E' || c == 'e') && i + 1 < section.size() &&
            (section[i + 1] == '+' || section[i + 1] == '-')) {
            p.scientific = true;
            p.expChar = c;
            p.expSign = section[i + 1];
            i += 2;
            while (i < section.size() && section[i] == '0') {
                ++p.expDigits;
                ++i;
            }
            --i;
            afterNumber = true;
            continue;
        }
        if (seenDigit)
            afterNumber = true;
        literal += c;
    }
    return p;
}

std::string Number(const Pattern& p, double value)
{
    int exponent = 0;
    if (p.scientific && value != 0) {
        const int leading = p.integerDigits > 0 ? p.integerDigits : 1;
        exponent = static_cast<int>(std::floor(std::log10(value))) - (leading - 1);
        value /= std::pow(10.0, exponent);
        // Rounding may carry into one more integer digit.
        if (value >= std::pow(10.0, leading) - 0.5 * std::pow(10.0, -p.fractionDigits)) {
            value /= 10;
            ++exponent;
        }
    }
    std::string integer, fraction;
    FixedDigits(value, p.fractionDigits, integer, fraction);
    while (static_cast<int>(fraction.size()) > p.fractionZeros && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (integer == "0" && p.integerZeros == 0)
        integer.clear();
    while (static_cast<int>(integer.size()) < p.integerZeros)
        integer.insert(0, 1, '0');
    std::string text = p.thousands ? Group(integer) : integer;
    if (!fraction.empty())
        text += "." + fraction;
    if (p.scientific) {
        std::string digits = std::to_string(std::abs(exponent));
        while (static_cast<int>(digits.size()) < p.expDigits)
            digits.insert(0, 1, '0');
        text += p.expChar;
        if (exponent < 0)
            text += '-';
        else if (p.expSign == '+')
            text += '+';
        text += digits;
    }
    return text;
}

[[noreturn]] void Incompatible(std::string_view mask)
{
    throw EConvertError("Format '" + std::string(mask) + "' invalid or incompatible with argument");
}

std::string Printf(const char* format, int precision, double value)
{
    std::vector<char> buffer(static_cast<std::size_t>(std::snprintf(nullptr, 0, format, precision, value)) +
                             1);
    std::snprintf(buffer.data(), buffer.size(), format, precision, value);
    return buffer.data();
}

} // namespace

std::string FormatFloat(std::string_view mask, double value)
{
    if (mask.empty() || std::isnan(value) || std::isinf(value))
        return FloatToStr(value);
    const std::vector<std::string> sections = Sections(mask);
    std::string section = sections[0];
    bool sign = value < 0;
    if (value < 0 && sections.size() > 1 && !sections[1].empty()) {
        section = sections[1];
        sign = false;
    } else if (value == 0 && sections.size() > 2 && !sections[2].empty()) {
        section = sections[2];
    }
    const Pattern p = Parse(section);
    if (p.integerDigits == 0 && p.fractionDigits == 0 && !p.point)
        return p.prefix + p.suffix;
    std::string number = Number(p, std::fabs(value));
    // A value that rounds to zero is written without its sign.
    if (sign && number.find_first_of("123456789") == std::string::npos)
        sign = false;
    return p.prefix + (sign ? "-" : "") + number + p.suffix;
}

std::string FormatOne(std::string_view mask, const Variant& argument)
{
    std::string out;
    bool used = false;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] != '%') {
            out += mask[i];
            continue;
        }
        if (i + 1 < mask.size() && mask[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        ++i;
        bool left = false;
        if (i < mask.size() && mask[i] == '-') {
            left = true;
            ++i;
        }
        int width = 0, precision = -1;
        while (i < mask.size() && mask[i] >= '0' && mask[i] <= '9')
            width = width * 10 + (mask[i++] - '0');
        if (i < mask.size() && mask[i] == '.') {
            precision = 0;
            ++i;
            while (i < mask.size() && mask[i] >= '0' && mask[i] <= '9')
                precision = precision * 10 + (mask[i++] - '0');
        }
        if (i >= mask.size())
            Incompatible(mask);
        if (used)
            throw EConvertError("No argument for format '" + std::string(mask) + "'");
        used = true;
        const char type = static_cast<char>(mask[i] | 0x20);
        const bool isInteger = argument.Type() == TVarType::Integer || argument.Type() == TVarType::Int64;
        const bool isFloat = argument.Type() == TVarType::Double || argument.Type() == TVarType::Currency;
        std::string text;
        switch (type) {
        case 'd':
        case 'u':
        case 'x': {
            if (!isInteger)
                Incompatible(mask);
            const std::int64_t v = argument.AsInt64();
            if (type == 'x') {
                char buffer[32];
                std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(v));
                text = buffer;
            } else {
                text = std::to_string(type == 'u' ? static_cast<std::int64_t>(static_cast<std::uint32_t>(v))
                                                  : v);
            }
            const bool negative = !text.empty() && text[0] == '-';
            std::string digits = negative ? text.substr(1) : text;
            while (precision > 0 && static_cast<int>(digits.size()) < precision)
                digits.insert(0, 1, '0');
            text = (negative ? "-" : "") + digits;
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            if (!isFloat && !isInteger)
                Incompatible(mask);
            const double v = argument.AsFloat();
            if (type == 'e') {
                text = Printf("%.*E", (precision < 0 ? 15 : std::max(precision, 1)) - 1, v);
                // Three exponent digits at least, as the class library writes them.
                const std::size_t e = text.find('E');
                std::string digits = text.substr(e + 2);
                while (digits.size() < 3)
                    digits.insert(0, 1, '0');
                text = text.substr(0, e + 2) + digits;
            } else if (type == 'g') {
                text = Printf("%.*G", precision < 0 ? 15 : std::max(precision, 1), v);
            } else {
                text = Printf("%.*f", precision < 0 ? 2 : precision, v);
                if (type != 'f') {
                    const bool negative = text[0] == '-';
                    const std::size_t point = text.find('.');
                    const std::string integer = text.substr(negative ? 1 : 0, point - (negative ? 1 : 0));
                    text = (negative ? "-" : "") + Group(integer) +
                           (point == std::string::npos ? std::string() : text.substr(point));
                }
            }
            break;
        }
        case 's':
            if (argument.Type() != TVarType::String)
                Incompatible(mask);
            text = argument.AsString();
            if (precision >= 0 && static_cast<int>(text.size()) > precision)
                text.resize(static_cast<std::size_t>(precision));
            break;
        default:
            Incompatible(mask);
        }
        if (static_cast<int>(text.size()) < width) {
            const std::string pad(static_cast<std::size_t>(width) - text.size(), ' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}
