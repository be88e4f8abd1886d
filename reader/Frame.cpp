#include "reader/Frame.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

Byte FrameCheck(std::span<const Byte> bytes)
{
    Byte check = 0;
    for (Byte b : bytes)
        check ^= b;
    return check;
}

std::vector<Byte> BuildFrame(std::span<const Byte> body)
{
    if (body.size() >= 0xFFFF)
        throw std::length_error("frame body too long");
    const std::size_t len = body.size() + 1;
    std::vector<Byte> frame(kFramePreamble.begin(), kFramePreamble.end());
    frame.push_back(static_cast<Byte>(len >> 8));
    frame.push_back(static_cast<Byte>(len & 0xFF));
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(FrameCheck(std::span<const Byte>(frame).subspan(5)));
    return frame;
}

CommandFrame BuildCommandFrame(ReaderCommand command)
{
    const Byte body[2] = {command.command, command.parameter};
    const std::vector<Byte> frame = BuildFrame(body);
    CommandFrame out{};
    std::copy(frame.begin(), frame.end(), out.begin());
    return out;
}

std::size_t FrameLength(std::span<const Byte> head)
{
    if (head.size() < kFrameHeadSize)
        return 0;
    return static_cast<std::size_t>(head[5]) << 8 | head[6];
}

bool FrameCheckMatches(std::span<const Byte> frame)
{
    const std::size_t len = FrameLength(frame);
    if (len < 1 || frame.size() < kFrameHeadSize + len)
        return false;
    // LEN bytes and the body: bytes 5 .. 5+LEN; the check byte sits at 6+LEN.
    return FrameCheck(frame.subspan(5, len + 1)) == frame[6 + len];
}

int HexDigitValue(char c)
{
    const int u = std::toupper(static_cast<unsigned char>(c));
    return u >= 'A' ? u - 55 : u - 48;
}

bool IsHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::uint32_t ReadHexLength(std::span<const Byte, 8> digits)
{
    std::uint32_t value = 0;
    for (Byte d : digits) {
        if (!IsHexDigit(static_cast<char>(d)))
            return 0;
        value = value * 16 + static_cast<std::uint32_t>(HexDigitValue(static_cast<char>(d)));
    }
    return value;
}
