// IniText: which texts a settings file keeps.
#include "platform/core/IniText.h"

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

IniTextFault IniValueFault(std::string_view value)
{
    if (value.empty())
        return IniTextFault::None;
    if (IsBlank(value.front()) || IsBlank(value.back()) ||
        value.find_first_of("\r\n") != std::string_view::npos)
        return IniTextFault::Blanks;
    return IniTextFault::None;
}

IniTextFault IniKeyFault(std::string_view key)
{
    if (const IniTextFault fault = IniValueFault(key); fault != IniTextFault::None)
        return fault;
    if (key.find('=') != std::string_view::npos || key.starts_with('[') || key.starts_with(';'))
        return IniTextFault::Syntax;
    return IniTextFault::None;
}
