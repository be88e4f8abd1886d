#include "reader/CardText.h"

#include "platform/core/StringUtils.h"
#include "platform/core/TextEncoding.h"

#include <algorithm>

std::string CardTextString(std::span<const Byte> ucs2)
{
    return Trim(Ucs2LeToUtf8(ucs2.data(), ucs2.size()));
}

std::string CardTextFieldString(std::span<const Byte> text, CardTextField field)
{
    if (field.offset >= text.size())
        return {};
    return CardTextString(text.subspan(field.offset, std::min(field.size, text.size() - field.offset)));
}
