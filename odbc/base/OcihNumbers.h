#pragma once
// Number reading with the rules of the class library's value conversion, which the ODBC layer uses
// for text it converts into numeric buffers: leading characters of code 32 or below are skipped, an
// optional sign, then digits; nothing may follow the number (not even a blank). Integers may be
// hexadecimal with a leading "$" or "0x". Floats use "." as decimal point, an optional exponent and
// no thousands separators. The C locale is never consulted.
#include <cstdint>
#include <string_view>

// A decimal or hexadecimal integer. Hexadecimal text is read as an unsigned bit pattern (so "$FF"
// is 255) and may hold at most 16 digits. False for no number, trailing characters or overflow.
bool ValInteger(std::string_view text, std::int64_t& value, bool& hex);
bool ValInteger(std::string_view text, std::int64_t& value);

// A floating-point number; false for no number, trailing characters, "inf"/"nan" words and values
// outside the range of a double.
bool ValFloat(std::string_view text, double& value);
