#include "reader/HexText.h"

#include <algorithm>

int ParseHexText(std::span<Byte> output, std::string_view text)
{
    const std::size_t n = text.size();
    const std::size_t limit = std::min(n, output.size());
    std::size_t o = 0;
    bool literal = false;
    auto store = [&](Byte b) {
        output[o++] = b;
        return o >= limit;
    };
    if (limit == 0)
        return 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (literal) {
            if (c == '"')
                literal = false;
            else if (store(static_cast<Byte>(c)))
                return static_cast<int>(o);
            continue;
        }
        if (IsHexDigit(c) && i + 1 < n && IsHexDigit(text[i + 1])) {
            if (store(static_cast<Byte>(HexDigitValue(c) * 16 + HexDigitValue(text[i + 1]))))
                return static_cast<int>(o);
            ++i;
        } else if (IsHexDigit(c)) {
            if (store(static_cast<Byte>(HexDigitValue(c))))
                return static_cast<int>(o);
        } else if (c == '"') {
            literal = true;
        } else if (c != ' ' && c != ',') {
            return -1;
        }
    }
    return static_cast<int>(o);
}

std::uint32_t BytesToUInt(std::span<const Byte> bytes)
{
    std::uint32_t value = 0;
    for (Byte b : bytes)
        value = value << 8 | b;
    return value;
}

char HexNibbleChar(unsigned v)
{
    return "0123456789ABCDEF"[v & 15];
}

std::string BytesToHexText(std::span<const Byte> bytes, bool spaced)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (spaced && i > 0)
            text += ' ';
        text += HexNibbleChar(bytes[i] >> 4);
        text += HexNibbleChar(bytes[i]);
    }
    return text;
}
