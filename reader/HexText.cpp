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
