#pragma once
// The card data as the reader returns it for the standard read (30 01), as the read sequences build
// it from the extended replies, and as the vendor's SDK writes it (text and photo only, their lengths
// given beside):
//   0-4 preamble, 5-6 LEN (05 08), 7-9 SW1 SW2 SW3, 10-11 text length (256), 12-13 photo length (1024),
//   14-269 the card text, 270-1293 the WLT photo, 1294 the check byte.
#include "reader/Frame.h"

#include <array>
#include <cstddef>
#include <span>
#include <vector>

inline constexpr std::size_t kCardReplySize = 1295;
inline constexpr std::size_t kCardReplyHeldSize = 1296; // what the sequences copy of a 30 01 reply
inline constexpr std::size_t kCardReplyTextOffset = 14;
inline constexpr std::size_t kCardTextSize = 256;
inline constexpr std::size_t kCardReplyPhotoOffset = 270;
inline constexpr std::size_t kCardPhotoSize = 1024;
// The read routine's buffer. It also takes the longest extended photo (1536 bytes from byte 270).
inline constexpr std::size_t kCardReplyBufferSize = 65535;

// Head written in front of a card assembled from the extended replies: a full standard reply's
// preamble, LEN, status and lengths.
inline constexpr std::array<Byte, 14> kExtendedCardHead{0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x05, 0x08,
                                                        0x00, 0x00, 0x90, 0x01, 0x00, 0x04, 0x00};

class CardReply
{
public:
    CardReply() : bytes_(kCardReplyBufferSize, 0) {}

    std::span<Byte> Bytes() { return bytes_; }
    std::span<const Byte> Bytes() const { return bytes_; }
    Byte* Data() { return bytes_.data(); }
    // Zeroes the bytes and drops lengths given by SetLengths.
    void Clear();

    // Text and photo lengths as bytes 10-11 and 12-13 give them, or as SetLengths gave them.
    std::size_t TextLength() const;
    std::size_t PhotoLength() const;
    // Lengths reported beside the data (the SDK's, which may be any 32-bit value), in place of
    // bytes 10-13.
    void SetLengths(std::size_t textLength, std::size_t photoLength);
    // The text block at byte 14 and the photo right after it (byte 14 + text length), each cut to
    // the buffer, so lengths from the wire never reach past it.
    std::span<const Byte> Text() const;
    std::span<const Byte> Photo() const;

private:
    std::vector<Byte> bytes_;
    bool lengthsGiven_ = false;
    std::size_t textLength_ = 0;
    std::size_t photoLength_ = 0;
};

// A 30 01 reply is card data only when SW3 is 0x90 and it is laid out in full: LEN 1288, a text of
// 256 bytes and a photo of 1024 that end at the check byte.
bool CardReplyAcceptable(std::span<const Byte> frame);
