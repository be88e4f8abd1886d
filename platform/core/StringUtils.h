#pragma once
// Trimming and ASCII case handling of UTF-8 text. Bytes of 128 and above (every byte of a
// multi-byte character) are never changed or trimmed, so CJK text passes through untouched.
#include <string>
#include <string_view>

// Remove characters of code 32 or below (blanks, tabs, line ends, other control characters) at the
// ends only; inner ones stay.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// Comparison with A-Z folded to a-z: <0, 0 or >0 like strcmp (bytes compared unsigned).
int CompareText(std::string_view a, std::string_view b);
inline bool SameText(std::string_view a, std::string_view b)
{
    return CompareText(a, b) == 0;
}
