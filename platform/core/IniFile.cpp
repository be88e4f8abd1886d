#include "platform/core/IniFile.h"

#include "platform/core/Exception.h"
#include "platform/core/NumberText.h"
#include "platform/core/StringList.h"
#include "platform/core/StringUtils.h"
#include "platform/core/TextEncoding.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

constexpr std::string_view kSignature = "\xEF\xBB\xBF";

bool WriteAllAt(int fd, std::string_view bytes, off_t offset)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::string& bytes)
{
    bytes.clear();
    std::string buf(8192, '\0');
    for (;;) {
        const ssize_t n = ::pread(fd, buf.data(), buf.size(), static_cast<off_t>(bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(buf, 0, static_cast<std::size_t>(n));
    }
}

// Where the file system keeps no locks, reading and writing go on unlocked.
void Lock(int fd, int operation)
{
    while (::flock(fd, operation) != 0 && errno == EINTR) {
    }
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The exclusive lock for one read-modify-write, on the file the name points to. Writers replace
// the file by renaming, so once the lock is granted the name may already point to a newer file;
// the lock is then taken again on that one. Opening for writing is also the test whether the user
// may write the file at all; a file whose mode has no write bit is read-only for every user, root
// too, as a file with the read-only flag is on Windows.
class WriteLock
{
public:
    explicit WriteLock(const std::string& path)
    {
        for (;;) {
            created_ = false;
            fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
            if (fd_ < 0 && errno == ENOENT) {
                fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
                created_ = fd_ >= 0;
            }
            if (fd_ < 0)
                return;
            struct stat locked
            {
            }, named{};
            Lock(fd_, LOCK_EX);
            if (::fstat(fd_, &locked) != 0 || (!created_ && (locked.st_mode & 0222) == 0)) {
                Close();
                return;
            }
            if (::stat(path.c_str(), &named) == 0 && SameFile(locked, named)) {
                stat_ = locked;
                return;
            }
            Close();
        }
    }
    ~WriteLock() { Close(); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    const struct stat& Stat() const { return stat_; }
    // This write created the (empty) file to lock it.
    bool Created() const { return created_; }

private:
    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    int fd_ = -1;
    bool created_ = false;
    struct stat stat_
    {
    };
};

// Temporary files are "." + file name + "." + six characters from mkstemp.
bool IsTempName(std::string_view name, std::string_view base)
{
    if (name.size() != base.size() + 8 || name[0] != '.' || name.substr(1, base.size()) != base ||
        name[base.size() + 1] != '.')
        return false;
    for (const char c : name.substr(base.size() + 2))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Called with the write lock held: every writer removes its temporary file before it lets the lock
// go, so one that is still there was left by a writer that was killed.
void RemoveStaleTemps(const std::string& dir, std::string_view base)
{
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return;
    while (const dirent* entry = ::readdir(d)) {
        if (!IsTempName(entry->d_name, base))
            continue;
        const std::string path = dir + "/" + entry->d_name;
        struct stat st
        {
        };
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.c_str());
    }
    ::closedir(d);
}

enum class Replaced
{
    Done,
    Failed,     // writing the new copy failed: the old file stays as it was
    Unavailable // no temporary file with the old one's owner and mode: write in place instead
};

// Writes bytes to a temporary file beside target, with the locked file's mode, owner and group,
// and renames it over target.
Replaced ReplaceByRename(const std::string& target, const struct stat& old, const std::string& bytes)
{
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    RemoveStaleTemps(dir, base);

    std::string temp = dir + "/." + base + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Replaced::Unavailable;
    // Without privileges the owner can only be kept when it is this user already; a file that
    // passed to another owner (or group) would lose its readers.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 || ::fchmod(fd, old.st_mode & 07777) != 0) {
        ::close(fd);
        ::unlink(temp.c_str());
        return Replaced::Unavailable;
    }
    bool ok = WriteAllAt(fd, bytes, 0) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return Replaced::Failed;
    }
    // The rename itself is durable only once the folder is synced.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Replaced::Done;
}

// The fallback: not atomic, but other objects of this program read under a shared lock and so
// never see it half done. A failure puts the old bytes back as far as it can.
bool WriteInPlace(int fd, const std::string& old, const std::string& bytes)
{
    if (WriteAllAt(fd, bytes, 0) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
        ::fsync(fd) == 0)
        return true;
    if (WriteAllAt(fd, old, 0))
        (void)::ftruncate(fd, static_cast<off_t>(old.size()));
    return false;
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

void TIniFile::Refresh() const
{
    std::string disk;
    bool exists = true;
    bool readable = false;
    const int fd = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        exists = errno != ENOENT && errno != ENOTDIR;
    } else {
        // Shared: an in-place write is never seen half done.
        Lock(fd, LOCK_SH);
        readable = ReadAll(fd, disk);
        ::close(fd);
    }
    if (exists && !readable) {
        // Reads as empty, and is tried again next time.
        lines_.clear();
        bytes_.clear();
        exists_ = true;
        loaded_ = false;
        return;
    }
    if (loaded_ && exists == exists_ && disk == bytes_)
        return;
    Parse(std::move(disk), exists);
}

void TIniFile::Parse(std::string bytes, bool exists) const
{
    lines_.clear();
    loaded_ = true;
    exists_ = exists;
    bytes_ = std::move(bytes);
    std::string_view all = bytes_;
    encoding_ = all.starts_with(kSignature) ? Encoding::Utf8 : Encoding::Gb18030;
    // The signature is the file's, not its first line's: a write that drops or replaces that line
    // must not take the file's encoding with it.
    if (encoding_ == Encoding::Utf8)
        all.remove_prefix(kSignature.size());

    // CR and LF never occur inside a GB18030 character, so the raw bytes split safely.
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = start;
        while (end < all.size() && all[end] != '\r' && all[end] != '\n')
            ++end;
        Line line;
        line.raw = all.substr(start, end - start);
        if (end < all.size()) {
            const bool crlf = all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n';
            line.eol = all.substr(end, crlf ? 2 : 1);
        }
        line.text = encoding_ == Encoding::Utf8 ? SanitizeUtf8(line.raw) : Gb18030ToUtf8(line.raw);
        start = end + line.eol.size();
        lines_.push_back(std::move(line));
    }
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
    const std::string v = OneLine(value);
    // A value that is there already is not written: that needs no lock and no write access.
    Refresh();
    const int header = FindSection(lines_, section);
    const int at = header < 0 ? -1 : FindKey(lines_, header, ident);
    std::string key, old;
    if (at >= 0 && ParseKey(lines_[static_cast<std::size_t>(at)].text, key, old) && old == v)
        return;
    Modify([&](std::vector<Line>& lines) {
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
                return false;
            const std::string eol = line.eol;
            line = MakeLine(KeyLine("", key, "=", v)); // the key keeps its spelling in the file
            line.eol = eol;
        } else {
            // After the section's last key, so blank lines and comments before the next section
            // stay where they are.
            int insertAt = header + 1;
            std::string key, val;
            const int end = SectionEnd(lines, header);
            for (int i = header + 1; i < end; ++i)
                if (ParseKey(lines[static_cast<std::size_t>(i)].text, key, val))
                    insertAt = i + 1;
            endLastLine(static_cast<std::size_t>(insertAt));
            lines.insert(lines.begin() + insertAt, MakeLine(KeyLine("", ident, "=", v)));
        }
        return true;
    });
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadKeys(std::string_view section, TStringList& strings, bool withValues) const
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
                strings.Add(withValues ? KeyLine("", key, "=", value) : key);
    }
    strings.EndUpdate();
}

void TIniFile::ReadSection(std::string_view section, TStringList& strings) const
{
    ReadKeys(section, strings, false);
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
    ReadKeys(section, strings, true);
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
    // Most deletes find nothing to delete (the start-up clears yesterday's counter): no lock then.
    if (!ValueExists(section, ident))
        return;
    Modify([&](std::vector<Line>& lines) {
        const int header = FindSection(lines, section);
        const int at = header < 0 ? -1 : FindKey(lines, header, ident);
        if (at < 0)
            return false;
        lines.erase(lines.begin() + at);
        return true;
    });
}

void TIniFile::EraseSection(std::string_view section)
{
    Refresh();
    if (FindSection(lines_, section) < 0)
        return;
    Modify([&](std::vector<Line>& lines) {
        bool changed = false;
        for (int header = FindSection(lines, section); header >= 0; header = FindSection(lines, section)) {
            lines.erase(lines.begin() + header, lines.begin() + SectionEnd(lines, header));
            changed = true;
        }
        return changed;
    });
}

void TIniFile::UpdateFile()
{
    // Nothing is ever held back: each write was on disk before it returned.
}

void TIniFile::WriteFailed() const
{
    throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::Modify(const std::function<bool(std::vector<Line>& lines)>& change)
{
    const WriteLock lock(fileName_);
    if (!lock.Held())
        WriteFailed();
    // An empty file this write created to lock it goes again when nothing is written.
    const auto dropCreated = [&] {
        if (lock.Created())
            ::unlink(fileName_.c_str());
    };
    std::string disk;
    if (!ReadAll(lock.Fd(), disk)) {
        dropCreated();
        WriteFailed();
    }
    if (!loaded_ || !exists_ || disk != bytes_)
        Parse(std::move(disk), true);
    std::vector<Line> lines = lines_;
    if (!change(lines)) {
        dropCreated();
        return;
    }
    std::string bytes(encoding_ == Encoding::Utf8 ? kSignature : std::string_view());
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
    Replaced result = ReplaceByRename(target, lock.Stat(), bytes);
    if (result == Replaced::Unavailable)
        result = WriteInPlace(lock.Fd(), bytes_, bytes) ? Replaced::Done : Replaced::Failed;
    if (result == Replaced::Failed) {
        dropCreated();
        WriteFailed();
    }
    lines_ = std::move(lines);
    bytes_ = std::move(bytes);
    exists_ = true;
}
