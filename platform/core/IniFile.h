#pragma once
// Settings files in the INI format of the Windows version.
//
// - Section and key names are compared without regard to ASCII case; the first occurrence of a
//   section or key is the one that counts. Lines whose first non-blank character is ';' are
//   comments. Names and values are trimmed of characters of code 32 or below around the '='.
// - Every write goes to disk at once, under an exclusive lock on the file held from reading it to
//   replacing it, so writers in other threads and processes never undo each other's keys. The new
//   content is written to a temporary file in the same folder, synced and renamed over the old one,
//   so a failed or interrupted write leaves the old file whole; temporary files left by a write that
//   was killed are removed by the next write. The new file keeps the old one's mode, owner and
//   group. Where that is impossible (the folder takes no new file, or the owner cannot be kept) the
//   file is rewritten in place instead.
// - A file the user may not write is never written, nor one whose mode has no write bit (not even
//   by root). A write that fails raises EIniFileException "Unable to write to <file>" and changes
//   nothing in this object (on disk only an in-place write that fails half-way can leave a change;
//   it puts the old bytes back where it can).
// - Lines the write does not concern (comments, blank lines, other keys) keep their bytes and
//   line ends; new lines end with CR LF.
// - Encoding: a file that starts with the UTF-8 signature (EF BB BF) is UTF-8; every other file is
//   GB18030, as the Windows version writes them (ASCII reads the same in both). Validity of the bytes
//   as UTF-8 decides nothing: much GB18030 text is valid UTF-8 too. A file is written back in the
//   encoding it was read in, and a new file is GB18030, so the Windows version reads it. Reads
//   always return UTF-8.
// - The file is read again before every read and every write (and parsed again when its bytes
//   changed), so several objects on one file, and other programs, see each other's writes; file
//   times are too coarse to tell two quick writes apart, and settings files are small. A missing file reads
//   as empty; the first write creates it.
// - The file name is used as given; callers resolve working files case-insensitively first. One
//   object is used by one thread at a time.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TStringList;

class TIniFile
{
public:
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return fileName_; }

    // The stored value, or def when the section or key is missing (an empty value is "").
    std::string ReadString(std::string_view section, std::string_view ident, std::string_view def) const;
    // def when the key is missing or its value is not an integer (see StrToInt).
    int ReadInteger(std::string_view section, std::string_view ident, int def) const;
    // An integer value other than 0 is true.
    bool ReadBool(std::string_view section, std::string_view ident, bool def) const;

    // Line breaks in value are written as blanks: the value must stay one line.
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view ident, int value);
    void WriteBool(std::string_view section, std::string_view ident, bool value);

    // Replace the list's content: the key names of a section / the section names / "key=value".
    void ReadSection(std::string_view section, TStringList& strings) const;
    void ReadSections(TStringList& strings) const;
    void ReadSectionValues(std::string_view section, TStringList& strings) const;
    // A section exists when it holds at least one key.
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view ident) const;

    void DeleteKey(std::string_view section, std::string_view ident);
    // Removes the section's header and every line up to the next section.
    void EraseSection(std::string_view section);
    // Every write is on disk already; kept for callers that flush explicitly.
    void UpdateFile();

private:
    enum class Encoding
    {
        Gb18030,
        Utf8 // only with the signature
    };

    struct Line
    {
        std::string raw;  // bytes as in the file, without the line end (and the signature)
        std::string eol;  // "\r\n", "\n", "\r" or "" for a last line without one
        std::string text; // the line decoded to UTF-8
    };

    void Refresh() const;
    // Replaces the parsed lines by those of bytes (the file's content; exists: whether it exists).
    void Parse(std::string bytes, bool exists) const;
    // Index of the header of the first section named so, or -1.
    int FindSection(const std::vector<Line>& lines, std::string_view section) const;
    // End (exclusive) of the section whose header is at index header.
    int SectionEnd(const std::vector<Line>& lines, int header) const;
    int FindKey(const std::vector<Line>& lines, int header, std::string_view ident) const;
    // Replaces the list's content by the section's keys in file order, as names or "name=value".
    void ReadKeys(std::string_view section, TStringList& strings, bool withValues) const;
    Line MakeLine(std::string text) const;
    // Under the file's write lock: reads the file, lets change edit its lines (false: nothing to
    // write) and writes the result.
    void Modify(const std::function<bool(std::vector<Line>& lines)>& change);
    [[noreturn]] void WriteFailed() const;

    std::string fileName_;
    mutable std::vector<Line> lines_;
    mutable Encoding encoding_ = Encoding::Gb18030;
    // What the lines were parsed from, to tell whether the file changed since.
    mutable std::string bytes_;
    mutable bool exists_ = false;
    mutable bool loaded_ = false;
};
