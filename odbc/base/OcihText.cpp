#include "odbc/base/OcihText.h"

#include "odbc/base/OcihNumbers.h"
#include "platform/core/MemoryStream.h"
#include "platform/core/StringList.h"

#include "platform/core/StringUtils.h"
#include <cstring>

std::string LeadingZeros(std::int32_t value, std::int32_t width)
{
    std::string text = std::to_string(value);
    const auto length = static_cast<std::int64_t>(text.size());
    if (width >= length)
        text.insert(0, static_cast<std::size_t>(width - length + 1), '0');
    return text;
}

int IndexOf(std::string_view text, const TStringList& list)
{
    const std::string wanted = UpperCase(text);
    for (int i = 0; i < list.Count(); ++i) {
        if (UpperCase(list[i]) == wanted)
            return i;
    }
    return -1;
}

bool Compare(std::string_view a, std::string_view b)
{
    double x = 0;
    double y = 0;
    if (ValFloat(a, x) && ValFloat(b, y))
        return x == y;
    return UpperCase(TrimRight(a)) == UpperCase(TrimRight(b));
}

void InsertNulls(std::string& text)
{
    for (char& c : text) {
        if (c == '\x01')
            c = '\0';
    }
}

std::string Quoted(std::string_view identifier)
{
    std::string name(identifier);
    std::string tail;
    const std::size_t p = UpperCase(name).find(" AS ");
    if (p != std::string::npos) {
        tail = name.substr(p);
        name.resize(p);
    }
    if (name.find_first_of(" $") != std::string::npos && name.find('"') == std::string::npos)
        name = '"' + name + '"';
    return name + tail;
}

std::string MemoryStreamToString(const TMemoryStream& stream)
{
    if (stream.Size() == 0 || stream.Memory() == nullptr)
        return {};
    const char* data = reinterpret_cast<const char*>(stream.Memory());
    const auto size = static_cast<std::size_t>(stream.Size());
    const void* zero = std::memchr(data, 0, size);
    return std::string(data, zero != nullptr ? static_cast<const char*>(zero) - data : size);
}

void Split(std::string text, std::string_view separator, TStringList& list)
{
    list.Clear();
    if (!separator.empty()) {
        for (std::size_t p = text.find(separator); p != std::string::npos; p = text.find(separator)) {
            list.Add(text.substr(0, p));
            text.erase(0, p + 1);
        }
    }
    list.Add(std::move(text));
}

std::int32_t Log(std::int32_t level, std::string_view text)
{
    (void)level;
    (void)text;
    return 0;
}
