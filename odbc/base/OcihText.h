#pragma once
// String helpers shared by every unit of the ODBC class library, and its trace hook.
#include <cstdint>
#include <string>
#include <string_view>

class TMemoryStream;
class TStringList;

// Decimal text of value with "0" characters put in front until it has width + 1 characters (callers
// wanting two digits pass 1); text already longer than width comes back unchanged. The sign counts
// as a character: -5 with width 2 gives "0-5".
std::string LeadingZeros(std::int32_t value, std::int32_t width);

// Index of the first entry equal to text without regard to ASCII case, or -1. Column and parameter
// look-up by name goes through this.
int IndexOf(std::string_view text, const TStringList& list);

// Equal as numbers when both read as numbers, else equal as upper-cased text with trailing
// characters of code 32 or below removed.
bool Compare(std::string_view a, std::string_view b);

// Every character 1 becomes character 0: turns an attribute list written with \x01 as separator into
// the NUL-separated list the ODBC installer expects.
void InsertNulls(std::string& text);

// The identifier in double quotes when it holds a blank or "$" and no double quote. A tail beginning
// with " AS " (any case) stays outside the quotes as written.
std::string Quoted(std::string_view identifier);

// The stream's bytes as text, up to the first zero byte or the end of the data. Size and position
// are unchanged.
std::string MemoryStreamToString(const TMemoryStream& stream);

// Clears list, then adds the pieces of text between the separator's occurrences; the last piece is
// always added, so "" gives one empty entry and "a," gives "a" and "". Only the separator's first
// character is consumed after each piece, so use single-character separators.
void Split(std::string text, std::string_view separator, TStringList& list);

// The trace hook called at the entry of the library's operations (level 1 handle layer, level 2
// datasets). It does nothing and writes no file.
std::int32_t Log(std::int32_t level, std::string_view text);
