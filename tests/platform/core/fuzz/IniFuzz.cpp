// libFuzzer target for the settings-file parser. The input is a file's bytes, optionally followed by
// NUL, section, NUL, key, NUL, value: a write to make to that file. Every key the file lists must be
// found again by name. A write of texts the file keeps must read back, from this object and from a
// fresh one, and leave every other key's value as it was; erasing the section then removes it whole
// and leaves the other sections alone.
#include "platform/core/IniFile.h"
#include "platform/core/IniText.h"
#include "platform/core/StringList.h"
#include "platform/core/StringUtils.h"
#include "platform/core/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// One folder for the whole run, removed when the process ends normally.
struct Folder
{
    Folder()
    {
        std::string name = (std::filesystem::temp_directory_path() / "zira-ini-fuzz-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr)
            std::abort();
        path = name;
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
};

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

constexpr std::string_view kMissing = "\x01missing";

// The first occurrence of every key of every section, by names in upper case.
using Values = std::map<std::pair<std::string, std::string>, std::string>;

Values ReadEverything(const TIniFile& ini)
{
    Values values;
    TStringList sections;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string& section = sections[i];
        TStringList keys;
        ini.ReadSection(section, keys);
        for (int k = 0; k < keys.Count(); ++k) {
            Check(ini.ValueExists(section, keys[k]), "a listed key exists");
            const std::string value = ini.ReadString(section, keys[k], kMissing);
            Check(value != kMissing, "a listed key reads");
            values.emplace(std::make_pair(UpperCase(section), UpperCase(keys[k])), value);
        }
        Check(ini.SectionExists(section) == (keys.Count() > 0), "a section with keys exists");
    }
    return values;
}

// A section name that a header written for it gives back unchanged.
bool KeptSection(std::string_view name)
{
    return IsValidUtf8(name) && IniValueFault(name) == IniTextFault::None &&
           name.find(']') == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Folder folder;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t nul = input.find('\0', start);
        parts.push_back(
            input.substr(start, nul == std::string_view::npos ? std::string_view::npos : nul - start));
        if (nul == std::string_view::npos || parts.size() == 4)
            break;
        start = nul + 1;
    }
    const std::string path = folder.path + "/style.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << parts[0];
    }

    TIniFile ini(path);
    const Values before = ReadEverything(ini);
    if (parts.size() < 4)
        return 0;
    const std::string section(parts[1]), key(parts[2]), value(parts[3]);
    if (!KeptSection(section) || !IsValidUtf8(key) || IniKeyFault(key) != IniTextFault::None ||
        !IsValidUtf8(value) || IniValueFault(value) != IniTextFault::None)
        return 0;

    ini.WriteString(section, key, value);
    Check(ini.ReadString(section, key, kMissing) == value, "the value written reads back");
    Check(TIniFile(path).ReadString(section, key, kMissing) == value, "the value written is on disk");
    const std::pair<std::string, std::string> written(UpperCase(section), UpperCase(key));
    Values after = ReadEverything(ini);
    for (const auto& [name, old] : before)
        if (name != written)
            Check(after.count(name) == 1 && after[name] == old, "the other keys keep their values");

    ini.EraseSection(section);
    Check(!ini.ValueExists(section, key) && !ini.SectionExists(section), "an erased section is gone");
    after = ReadEverything(ini);
    for (const auto& [name, old] : before)
        if (name.first != written.first)
            Check(after.count(name) == 1 && after[name] == old, "the other sections keep their keys");
    return 0;
}
