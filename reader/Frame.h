#pragma once
// The reader's frame, the same on the serial line and inside HID reports: preamble AA AA AA 96 69, a
// big-endian length LEN (bytes after the length, check byte included), the body and one check byte
// (XOR of the two length bytes and every body byte). Extended replies carry their payload as
// hexadecimal text after a fixed head and an 8-digit length.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using Byte = std::uint8_t;

inline constexpr std::array<Byte, 5> kFramePreamble{0xAA, 0xAA, 0xAA, 0x96, 0x69};
inline constexpr std::size_t kFrameHeadSize = 7; // preamble and LEN
inline constexpr std::size_t kReplySw3Offset = 9;
inline constexpr Byte kSwSuccess = 0x90;

struct ReaderCommand
{
    Byte command;
    Byte parameter;
    bool operator==(const ReaderCommand&) const = default;
};

inline constexpr ReaderCommand kCmdReadSamId{0x12, 0xFF};
inline constexpr ReaderCommand kCmdFindCard{0x20, 0x01};
inline constexpr ReaderCommand kCmdSelectCard{0x20, 0x02};
inline constexpr ReaderCommand kCmdReadTextPhoto{0x30, 0x01};
inline constexpr ReaderCommand kCmdReadNewAddress{0x30, 0x03};
inline constexpr ReaderCommand kCmdExtReadText{0x60, 0x05};
inline constexpr ReaderCommand kCmdExtReadPhoto{0x60, 0x06};

// The two extended commands answer with hexadecimal text instead of a checked standard reply.
constexpr bool IsExtendedCommand(ReaderCommand c)
{
    return c == kCmdExtReadText || c == kCmdExtReadPhoto;
}

using CommandFrame = std::array<Byte, 10>;

// The frames as the HID transport sends them; BuildCommandFrame gives the same bytes.
inline constexpr CommandFrame kFrameReadSamId{0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x12, 0xFF, 0xEE};
inline constexpr CommandFrame kFrameFindCard{0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x20, 0x01, 0x22};
inline constexpr CommandFrame kFrameSelectCard{0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x20, 0x02, 0x21};
inline constexpr CommandFrame kFrameReadTextPhoto{0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x30, 0x01, 0x32};
inline constexpr CommandFrame kFrameReadNewAddress{0xAA, 0xAA, 0xAA, 0x96, 0x69,
                                                   0x00, 0x03, 0x30, 0x03, 0x30};
inline constexpr CommandFrame kFrameExtReadText{0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x60, 0x05, 0x66};
inline constexpr CommandFrame kFrameExtReadPhoto{0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x03, 0x60, 0x06, 0x65};

// XOR of every byte given (the LEN bytes and the body of a frame).
Byte FrameCheck(std::span<const Byte> bytes);

// Preamble, LEN = body size + 1, body, check byte. The body must be shorter than 65535 bytes.
std::vector<Byte> BuildFrame(std::span<const Byte> body);
CommandFrame BuildCommandFrame(ReaderCommand command);

// LEN of a frame whose head (at least 7 bytes) is given.
std::size_t FrameLength(std::span<const Byte> head);

// True when the frame holds its whole LEN and its check byte matches. Nothing is read past the span.
bool FrameCheckMatches(std::span<const Byte> frame);

// Extended replies: bytes 5-10 of the head, the size of the head before the payload, and the limits
// of the payload lengths the read sequences accept.
inline constexpr std::array<Byte, 6> kExtendedHead{0x00, 0x04, 0x00, 0x00, 0x90, 0x94};
inline constexpr std::size_t kExtendedLengthOffset = 11;
inline constexpr std::size_t kExtendedPayloadOffset = 19;
inline constexpr std::size_t kExtendedTextLength = 512;
inline constexpr std::size_t kExtendedPhotoMinLength = 2048;
inline constexpr std::size_t kExtendedPhotoMaxLength = 3072;

// The reader's digit value: upper-cased, 'A' on gives code - 55, anything else code - 48.
int HexDigitValue(char c);
bool IsHexDigit(char c);

// The 8-character hexadecimal payload length of an extended reply. A character that is not a
// hexadecimal digit makes the length 0, which every caller refuses.
std::uint32_t ReadHexLength(std::span<const Byte, 8> digits);
