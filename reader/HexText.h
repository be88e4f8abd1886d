#pragma once
// Hexadecimal text to bytes, for the extension box's switch command and the extended replies.
#include "reader/Frame.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Pairs of hexadecimal digits give one byte each, a lone digit gives a byte of value 0-15, blanks
// and commas are skipped, text between double quotes is copied as it stands. Returns the number of
// bytes written, or -1 at any other character. Conversion stops once as many bytes as the text has
// characters, or as the output holds, have been written: nothing is read past the text or written
// past the output.
int ParseHexText(std::span<Byte> output, std::string_view text);

// n bytes read as a big-endian unsigned number (only the last four count); 0 for none.
std::uint32_t BytesToUInt(std::span<const Byte> bytes);
// '0'-'9' or 'A'-'F' for the low four bits of v.
char HexNibbleChar(unsigned v);
// Two upper-case hexadecimal characters per byte; with spaced, one blank between bytes.
std::string BytesToHexText(std::span<const Byte> bytes, bool spaced);
