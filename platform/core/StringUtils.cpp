#include "platform/core/StringUtils.h"

namespace {

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

unsigned char FoldLower(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

} // namespace

std::string TrimLeft(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsTrimmed(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && IsTrimmed(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s)
{
    std::size_t i = 0;
    std::size_t n = s.size();
    while (i < n && IsTrimmed(s[i]))
        ++i;
    while (n > i && IsTrimmed(s[n - 1]))
        --n;
    return std::string(s.substr(i, n - i));
}

std::string UpperCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - ('a' - 'A'));
    return out;
}

std::string LowerCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(FoldLower(c));
    return out;
}

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int d = int(FoldLower(a[i])) - int(FoldLower(b[i]));
        if (d != 0)
            return d;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}
