#include "platform/core/IniFile.h"

#include "platform/core/Exception.h"
#include "platform/core/NumberText.h"
#include "platform/core/StringList.h"
#include "platform/core/StringUtils.h"
#include "platform/core/TextEncoding.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// prefix + name + separator + value. Built by appending: GCC 12 warns (-Wrestrict, a false
// positive) on the inlined operator+ chains this replaces.
std::string KeyLine(std::string_view prefix, std::string_view name, std::string_view separator,
                    std::string_view value)
{
    std::string line;
    line.reserve(prefix.size() + name.size() + separator.size() + value.size());
    line.append(prefix).append(name).append(separator).append(value);
    return line;
}

bool ParseSectionHeader(std::string_view text, std::string& name)
{
    const std::string t = Trim(text);
    if (t.empty() || t[0] != '[')
        return false;
    const auto close = t.find(']');
    name = Trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool ParseKey(std::string_view text, std::string& key, std::string& value)
{
    const std::string t = TrimLeft(text);
    if (t.empty() || t[0] == ';' || t[0] == '[')
        return false;
    const auto eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = TrimRight(std::string_view(t).substr(0, eq));
    value = Trim(std::string_view(t).substr(eq + 1));
    return true;
}

// The process's umask without changing it even for a moment (umask() would, for every thread).
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string OneLine(std::string_view value)
{
    std::string v(value);
    for (char& c : v)
        if (c == '\r' || c == '\n')
            c = ' ';
    return v;
}

} // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

bool TIniFile::ReadDisk(std::string& bytes, bool& exists) const
{
    bytes.clear();
    const int fd = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        exists = errno != ENOENT && errno != ENOTDIR;
        return false;
    }
    exists = true;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

void TIniFile::Refresh() const
{
    std::string disk;
    bool exists = false;
    const bool readable = ReadDisk(disk, exists);
    if (loaded_ && readable && exists == exists_ && disk == bytes_)
        return;
    lines_.clear();
    encoding_ = Encoding::Utf8;
    loaded_ = true;
    exists_ = exists;
    unreadable_ = exists && !readable;
    bytes_ = std::move(disk);
    if (unreadable_) {
        loaded_ = false; // try again next time
        return;
    }
    encoding_ = IsValidUtf8(bytes_) ? Encoding::Utf8 : Encoding::Gb18030;

    // CR and LF never occur inside a GB18030 character, so the raw bytes split safely.
    const std::string& bytes = bytes_;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        Line line;
        line.raw = bytes.substr(start, end - start);
        if (end < bytes.size()) {
            const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
            line.eol = bytes.substr(end, crlf ? 2 : 1);
        }
        line.text = encoding_ == Encoding::Utf8 ? line.raw : Gb18030ToUtf8(line.raw);
        start = end + line.eol.size();
        lines_.push_back(std::move(line));
    }
    if (!lines_.empty() && lines_[0].text.rfind("\xEF\xBB\xBF", 0) == 0)
        lines_[0].text.erase(0, 3);
}

int TIniFile::FindSection(const std::vector<Line>& lines, std::string_view section) const
{
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (ParseSectionHeader(lines[i].text, name) && SameText(name, section))
            return static_cast<int>(i);
    return -1;
}

int TIniFile::SectionEnd(const std::vector<Line>& lines, int header) const
{
    std::string name;
    int i = header + 1;
    while (i < static_cast<int>(lines.size()) &&
           !ParseSectionHeader(lines[static_cast<std::size_t>(i)].text, name))
        ++i;
    return i;
}

int TIniFile::FindKey(const std::vector<Line>& lines, int header, std::string_view ident) const
{
    std::string key, value;
    const int end = SectionEnd(lines, header);
    for (int i = header + 1; i < end; ++i)
        if (ParseKey(lines[static_cast<std::size_t>(i)].text, key, value) && SameText(key, ident))
            return i;
    return -1;
}

TIniFile::Line TIniFile::MakeLine(std::string text) const
{
    Line line;
    line.raw = encoding_ == Encoding::Gb18030 ? Utf8ToGb18030(text) : text;
    line.eol = "\r\n";
    line.text = std::move(text);
    return line;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident, std::string_view def) const
{
    Refresh();
    const int header = FindSection(lines_, section);
    const int at = header < 0 ? -1 : FindKey(lines_, header, ident);
    if (at < 0)
        return std::string(def);
    std::string key, value;
    ParseKey(lines_[static_cast<std::size_t>(at)].text, key, value);
    return value;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view ident, int def) const
{
    return StrToIntDef(ReadString(section, ident, ""), def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value)
{
    Refresh();
    std::vector<Line> lines = lines_;
    const std::string v = OneLine(value);
    // A last line without a line end gets one before anything is added after it.
    auto endLastLine = [&](std::size_t before) {
        if (before > 0 && lines[before - 1].eol.empty())
            lines[before - 1].eol = "\r\n";
    };

    const int header = FindSection(lines, section);
    if (header < 0) {
        endLastLine(lines.size());
        lines.push_back(MakeLine(KeyLine("[", section, "]", "")));
        lines.push_back(MakeLine(KeyLine("", ident, "=", v)));
    } else if (const int at = FindKey(lines, header, ident); at >= 0) {
        Line& line = lines[static_cast<std::size_t>(at)];
        std::string key, old;
        ParseKey(line.text, key, old);
        if (old == v)
            return;
        const std::string eol = line.eol;
        line = MakeLine(KeyLine("", key, "=", v)); // the key keeps its spelling in the file
        line.eol = eol;
    } else {
        // After the section's last key, so blank lines and comments before the next section stay
        // where they are.
        int insertAt = header + 1;
        std::string key, val;
        const int end = SectionEnd(lines, header);
        for (int i = header + 1; i < end; ++i)
            if (ParseKey(lines[static_cast<std::size_t>(i)].text, key, val))
                insertAt = i + 1;
        endLastLine(static_cast<std::size_t>(insertAt));
        lines.insert(lines.begin() + insertAt, MakeLine(KeyLine("", ident, "=", v)));
    }
    Save(std::move(lines));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadSection(std::string_view section, TStringList& strings) const
{
    Refresh();
    strings.BeginUpdate();
    strings.Clear();
    const int header = FindSection(lines_, section);
    if (header >= 0) {
        std::string key, value;
        const int end = SectionEnd(lines_, header);
        for (int i = header + 1; i < end; ++i)
            if (ParseKey(lines_[static_cast<std::size_t>(i)].text, key, value))
                strings.Add(key);
    }
    strings.EndUpdate();
}

void TIniFile::ReadSections(TStringList& strings) const
{
    Refresh();
    strings.BeginUpdate();
    strings.Clear();
    std::string name;
    for (const Line& line : lines_)
        if (ParseSectionHeader(line.text, name) && strings.IndexOf(name) < 0)
            strings.Add(name);
    strings.EndUpdate();
}

void TIniFile::ReadSectionValues(std::string_view section, TStringList& strings) const
{
    Refresh();
    strings.BeginUpdate();
    strings.Clear();
    const int header = FindSection(lines_, section);
    if (header >= 0) {
        std::string key, value;
        const int end = SectionEnd(lines_, header);
        for (int i = header + 1; i < end; ++i)
            if (ParseKey(lines_[static_cast<std::size_t>(i)].text, key, value))
                strings.Add(KeyLine("", key, "=", value));
    }
    strings.EndUpdate();
}

bool TIniFile::SectionExists(std::string_view section) const
{
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const
{
    Refresh();
    const int header = FindSection(lines_, section);
    return header >= 0 && FindKey(lines_, header, ident) >= 0;
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident)
{
    Refresh();
    const int header = FindSection(lines_, section);
    const int at = header < 0 ? -1 : FindKey(lines_, header, ident);
    if (at < 0)
        return;
    std::vector<Line> lines = lines_;
    lines.erase(lines.begin() + at);
    Save(std::move(lines));
}

void TIniFile::EraseSection(std::string_view section)
{
    Refresh();
    std::vector<Line> lines = lines_;
    bool changed = false;
    for (int header = FindSection(lines, section); header >= 0; header = FindSection(lines, section)) {
        lines.erase(lines.begin() + header, lines.begin() + SectionEnd(lines, header));
        changed = true;
    }
    if (changed)
        Save(std::move(lines));
}

void TIniFile::UpdateFile()
{
    // Nothing is ever held back: each write was on disk before it returned.
}

void TIniFile::WriteFailed() const
{
    throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::Save(std::vector<Line> lines)
{
    if (unreadable_)
        WriteFailed();

    std::string bytes;
    for (const Line& line : lines) {
        bytes += line.raw;
        bytes += line.eol;
    }

    // Replace the file a link points to, not the link.
    std::string target = fileName_;
    struct stat lst
    {
    };
    if (::lstat(fileName_.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = ::realpath(fileName_.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = dir + "/." + base + ".XXXXXX";

    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        WriteFailed();
    struct stat old
    {
    };
    bool ok = true;
    if (::stat(target.c_str(), &old) == 0) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        if (ok && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Keeping the owner needs privileges we may not have; the content matters more.
        }
    } else {
        ok = ::fchmod(fd, 0666 & ~CurrentUmask()) == 0;
    }
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        WriteFailed();
    }
    // The rename itself is durable only once the folder is synced.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }

    lines_ = std::move(lines);
    bytes_ = std::move(bytes);
    exists_ = true;
}
