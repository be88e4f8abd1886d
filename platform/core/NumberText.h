#pragma once
// Numbers as text, with the class library's rules.
//
// Integers: optional blanks (code 32) in front, an optional sign, then decimal digits or hex
// digits after "$", "0x" or "0X". Nothing may follow the digits, trailing blanks included. A
// decimal value must fit the type; a hex value may use every bit, so "$FFFFFFFF" is -1 for a
// 32-bit int. Failure raises EConvertError "'<text>' is not a valid integer value".
//
// Floats: '.' is the decimal separator whatever the locale; FloatToStr gives the shortest text
// that reads back to the same double ("0.1", "1E20", "-1.5E-7", "NAN", "INF", "-INF").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The shape every integer reading here shares: an optional sign, "$", "0x" or "0X" for hexadecimal,
// then digits and nothing else. Empty when the text is not of that shape or its digits do not fit 64
// bits; which leading characters may be skipped, and the range, are the caller's rule.
struct IntegerText
{
    bool negative = false;
    bool hex = false;
    std::uint64_t magnitude = 0;
};
std::optional<IntegerText> ScanInteger(std::string_view text);

int StrToInt(std::string_view s);
int StrToIntDef(std::string_view s, int def);
bool TryStrToInt(std::string_view s, int& value);
std::int64_t StrToInt64(std::string_view s);
std::int64_t StrToInt64Def(std::string_view s, std::int64_t def);
bool TryStrToInt64(std::string_view s, std::int64_t& value);

std::string IntToStr(int value);
std::string IntToStr(std::int64_t value);

std::string FloatToStr(double value);
// Blanks around the number are allowed; failure raises EConvertError
// "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view s);
double StrToFloatDef(std::string_view s, double def);
bool TryStrToFloat(std::string_view s, double& value);
