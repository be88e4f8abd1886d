// IniText: which texts a settings file keeps.
#pragma once
// What a settings file (TIniFile) keeps as it is. A key or value is read back trimmed of characters
// of code 32 or below and written on one line; a key also ends at the first '=' and is no key at all
// when it starts with '[' (a section) or ';' (a comment). Text that fails these checks would be
// stored changed, or would damage the lines around it.
#include <string_view>

enum class IniTextFault
{
    None,
    Blanks, // characters of code 32 or below at either end, or a line break anywhere
    Syntax, // a key holding '=' or starting with '[' or ';'
};

IniTextFault IniValueFault(std::string_view value);
// An empty key counts as kept: whether one is acceptable is the caller's decision.
IniTextFault IniKeyFault(std::string_view key);
