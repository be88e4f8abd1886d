#include "reader/CardText.h"

#include <algorithm>

namespace {

// Surrogates cannot stand alone in UCS-2; they become U+FFFD so the result is always valid UTF-8.
void AppendUtf8(std::string& out, unsigned cp)
{
    if (cp >= 0xD800 && cp <= 0xDFFF)
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string CardTextString(std::span<const Byte> ucs2)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < ucs2.size(); i += 2) {
        const unsigned cp = ucs2[i] | static_cast<unsigned>(ucs2[i + 1]) << 8;
        if (cp == 0)
            break;
        AppendUtf8(out, cp);
    }
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    const auto first = std::find_if_not(out.begin(), out.end(), blank);
    const auto last = std::find_if_not(out.rbegin(), out.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string CardTextFieldString(std::span<const Byte> text, CardTextField field)
{
    if (field.offset >= text.size())
        return {};
    return CardTextString(text.subspan(field.offset, std::min(field.size, text.size() - field.offset)));
}
