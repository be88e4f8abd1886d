#include "tools/readersim/ReaderPeer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

std::string HexOf(std::span<const Byte> data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (Byte b : data) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace

std::vector<Byte> StandardReply(Byte sw3, std::span<const Byte> data)
{
    std::vector<Byte> body = {0x00, 0x00, sw3};
    body.insert(body.end(), data.begin(), data.end());
    return BuildFrame(body);
}

std::vector<Byte> ExtendedReplyText(Byte sw3, const std::string& lengthDigits, const std::string& payload)
{
    const Byte head[] = {0x00, 0x04, 0x00, 0x00, sw3, 0x94};
    // Sized once and filled in place: GCC 12 at -O3 misreads a chain of inserts after reserve() as
    // an overflow (-Wstringop-overflow).
    std::vector<Byte> frame(kFramePreamble.size() + sizeof head + lengthDigits.size() + payload.size());
    auto out = std::copy(kFramePreamble.begin(), kFramePreamble.end(), frame.begin());
    out = std::copy(std::begin(head), std::end(head), out);
    out = std::copy(lengthDigits.begin(), lengthDigits.end(), out);
    std::copy(payload.begin(), payload.end(), out);
    return frame;
}

std::vector<Byte> ExtendedReply(std::span<const Byte> data)
{
    const std::string payload = HexOf(data);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08zX", payload.size());
    return ExtendedReplyText(kSwSuccess, digits, payload);
}

std::vector<Byte> ReaderPeer::DefaultReply(ReaderCommand command) const
{
    if (command == kCmdReadSamId) {
        const std::vector<Byte> sam = {0x05, 0x00, 0x01, 0x00, 0x20, 0x26, 0x12, 0x10,
                                       0x00, 0x00, 0x00, 0x01, 0x12, 0x34, 0x56, 0x78};
        return StandardReply(kSwSuccess, sam);
    }
    if (command == kCmdFindCard)
        return cardPresent_ ? StandardReply(0x9F, std::vector<Byte>{0, 0, 0, 0}) : StandardReply(0x80, {});
    if (command == kCmdSelectCard)
        return cardPresent_ ? StandardReply(kSwSuccess, std::vector<Byte>(8, 0)) : StandardReply(0x81, {});
    if (command == kCmdReadTextPhoto) {
        if (!cardPresent_)
            return StandardReply(0x41, {});
        std::vector<Byte> data = {0x01, 0x00, 0x04, 0x00};
        const std::vector<Byte> text = card_.TextBlock();
        const std::vector<Byte> photo = card_.PhotoBlock();
        data.insert(data.end(), text.begin(), text.end());
        data.insert(data.end(), photo.begin(), photo.end());
        return StandardReply(kSwSuccess, data);
    }
    if (command == kCmdReadNewAddress)
        return cardPresent_ ? StandardReply(kSwSuccess, card_.NewAddressBlock()) : StandardReply(0x41, {});
    if (command == kCmdExtReadText)
        return cardPresent_ ? ExtendedReply(card_.TextBlock()) : ExtendedReplyText(0x41, "00000000", "");
    if (command == kCmdExtReadPhoto)
        return cardPresent_ ? ExtendedReply(card_.PhotoBlock()) : ExtendedReplyText(0x41, "00000000", "");
    return {};
}

void ReaderPeer::Answer(ReaderCommand command, std::uint64_t nowMs)
{
    PeerReply reply;
    auto script = scripts_.find(Key(command));
    if (script != scripts_.end() && !script->second.empty()) {
        reply = std::move(script->second.front());
        script->second.pop_front();
    } else {
        reply.bytes = DefaultReply(command);
    }
    if (!reply.bytes.empty() || reply.hangUp)
        pending_.push_back(
            Pending{std::move(reply.bytes), 0, reply.chunk, nowMs + reply.delayMs, reply.hangUp});
}

void ReaderPeer::Feed(std::span<const Byte> bytes, std::uint64_t nowMs)
{
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    for (;;) {
        const auto at =
            std::search(input_.begin(), input_.end(), kFramePreamble.begin(), kFramePreamble.end());
        if (at == input_.end()) {
            // Keep a tail that may be the start of a preamble.
            const std::size_t keep = std::min<std::size_t>(input_.size(), kFramePreamble.size() - 1);
            strayNow_.insert(strayNow_.end(), input_.begin(), input_.end() - static_cast<long>(keep));
            stray_.insert(stray_.end(), input_.begin(), input_.end() - static_cast<long>(keep));
            input_.erase(input_.begin(), input_.end() - static_cast<long>(keep));
            return;
        }
        strayNow_.insert(strayNow_.end(), input_.begin(), at);
        stray_.insert(stray_.end(), input_.begin(), at);
        input_.erase(input_.begin(), at);
        if (input_.size() < kFrameHeadSize)
            return;
        const std::size_t len = FrameLength(input_);
        if (len < 1 || len > 1024) { // not a command: skip this preamble and look again
            stray_.push_back(input_.front());
            strayNow_.push_back(input_.front());
            input_.erase(input_.begin());
            continue;
        }
        if (input_.size() < kFrameHeadSize + len)
            return;
        const std::vector<Byte> frame(input_.begin(),
                                      input_.begin() + static_cast<long>(kFrameHeadSize + len));
        if (!FrameCheckMatches(frame) || len != 3) {
            stray_.push_back(input_.front());
            strayNow_.push_back(input_.front());
            input_.erase(input_.begin());
            continue;
        }
        input_.erase(input_.begin(), input_.begin() + static_cast<long>(frame.size()));
        const ReaderCommand command{frame[7], frame[8]};
        commands_.push_back(command);
        strayBefore_.push_back(std::move(strayNow_));
        strayNow_.clear();
        Answer(command, nowMs);
    }
}

std::vector<Byte> ReaderPeer::TakeDue(std::uint64_t nowMs)
{
    if (pending_.empty() || pending_.front().due > nowMs)
        return {};
    Pending& p = pending_.front();
    const std::size_t left = p.bytes.size() - p.sent;
    const std::size_t n = p.chunk == 0 ? left : std::min(p.chunk, left);
    std::vector<Byte> out(p.bytes.begin() + static_cast<long>(p.sent),
                          p.bytes.begin() + static_cast<long>(p.sent + n));
    p.sent += n;
    if (p.sent == p.bytes.size()) {
        hangUpDue_ = hangUpDue_ || p.hangUp;
        pending_.pop_front();
    }
    return out;
}

void ReaderPeer::ClearLog()
{
    commands_.clear();
    stray_.clear();
    strayNow_.clear();
    strayBefore_.clear();
}
