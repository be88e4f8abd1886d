#include "reader/CardReply.h"

#include <algorithm>

namespace {

std::size_t BigEndian16(std::span<const Byte> b, std::size_t at)
{
    return static_cast<std::size_t>(b[at]) << 8 | b[at + 1];
}

std::span<const Byte> Cut(std::span<const Byte> all, std::size_t offset, std::size_t count)
{
    if (offset >= all.size())
        return {};
    return all.subspan(offset, std::min(count, all.size() - offset));
}

} // namespace

void CardReply::Clear()
{
    std::fill(bytes_.begin(), bytes_.end(), Byte{0});
    lengthsGiven_ = false;
}

void CardReply::SetLengths(std::size_t textLength, std::size_t photoLength)
{
    lengthsGiven_ = true;
    textLength_ = textLength;
    photoLength_ = photoLength;
}

std::size_t CardReply::TextLength() const
{
    return lengthsGiven_ ? textLength_ : BigEndian16(bytes_, 10);
}

std::size_t CardReply::PhotoLength() const
{
    return lengthsGiven_ ? photoLength_ : BigEndian16(bytes_, 12);
}

std::span<const Byte> CardReply::Text() const
{
    return Cut(bytes_, kCardReplyTextOffset, TextLength());
}

std::span<const Byte> CardReply::Photo() const
{
    return Cut(bytes_, kCardReplyTextOffset + TextLength(), PhotoLength());
}

bool CardReplyAcceptable(std::span<const Byte> frame)
{
    // Only the full layout: shorter lengths would leave the decoding reading text and photo bytes
    // the reply never held, and a frame of another size is no answer to this command.
    if (frame.size() < kCardReplySize || frame[kReplySw3Offset] != kSwSuccess)
        return false;
    return FrameLength(frame) == kCardReplySize - kFrameHeadSize && BigEndian16(frame, 10) == kCardTextSize &&
           BigEndian16(frame, 12) == kCardPhotoSize;
}
