#include "odbc/base/OcihNumbers.h"

#include "platform/core/NumberText.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace {

std::string_view SkipLeadingControls(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32)
        ++i;
    return text.substr(i);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool ValInteger(std::string_view text, std::int64_t& value, bool& hex)
{
    const std::optional<IntegerText> scanned = ScanInteger(SkipLeadingControls(text));
    if (!scanned)
        return false;
    const auto [negative, isHex, magnitude] = *scanned;
    hex = isHex;
    if (hex) {
        value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
        return true;
    }
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return false;
    value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

bool ValInteger(std::string_view text, std::int64_t& value)
{
    bool hex = false;
    return ValInteger(text, value, hex);
}

bool ValFloat(std::string_view text, double& value)
{
    text = SkipLeadingControls(text);
    // Check the shape by hand: from_chars would also take "inf", "nan" and hexadecimal floats.
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != text.size())
        return false;
    // from_chars takes no leading '+'.
    const bool negative = text[0] == '-';
    std::string_view body = text.substr(mantissaStart);
    double parsed = 0;
    auto [ptr, ec] =
        std::from_chars(body.data(), body.data() + body.size(), parsed, std::chars_format::general);
    if (ec != std::errc() || ptr != body.data() + body.size())
        return false;
    value = negative ? -parsed : parsed;
    return true;
}
