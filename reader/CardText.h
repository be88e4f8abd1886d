#pragma once
// The 256-byte card text: UCS-2 little-endian fields at fixed offsets, padded with blanks.
#include "reader/Frame.h"

#include <cstddef>
#include <span>
#include <string>

struct CardTextField
{
    std::size_t offset;
    std::size_t size; // bytes
};

inline constexpr CardTextField kCardName{0, 30};
inline constexpr CardTextField kCardSexCode{30, 2};
inline constexpr CardTextField kCardNationCode{32, 4};
inline constexpr CardTextField kCardBirthDate{36, 16};
inline constexpr CardTextField kCardAddress{52, 70};
inline constexpr CardTextField kCardIdNo{122, 36};
inline constexpr CardTextField kCardAuthority{158, 30};
inline constexpr CardTextField kCardValidity{188, 32};
inline constexpr CardTextField kCardReserved{220, 36};

// UCS-2LE text to UTF-8, stopping at a zero character, trimmed of characters of code 32 or below at
// both ends. An odd last byte is ignored.
std::string CardTextString(std::span<const Byte> ucs2);

// One field of a text block; a field that lies past the block gives what is there of it.
std::string CardTextFieldString(std::span<const Byte> text, CardTextField field);
