#include "reader/SerialTransport.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kPollSliceMs = 10;

} // namespace

SerialTransport::SerialTransport(Clock& clock, Pump& pump) : clock_(clock), pump_(pump), receive_(kBufferSize)
{
}

bool SerialTransport::BaudRateAccepted(unsigned baudRate)
{
    switch (baudRate) {
    case 9600:
    case 19200:
    case 38400:
    case 57600:
    case 115200:
        return true;
    default:
        return false;
    }
}

bool SerialTransport::OpenComm(std::string_view name, unsigned baudRate, int seconds)
{
    device_.Close();
    if (!BaudRateAccepted(baudRate))
        return false;
    const std::string path = ResolveSerialPortPath(name, programFolder_);
    if (path.empty())
        return false;
    SerialSettings settings;
    settings.baudRate = baudRate;
    if (!device_.Open(path, settings))
        return false;
    cmdTimeoutSec_ = seconds;
    return true;
}

int SerialTransport::ReadComm(std::span<Byte> buffer, std::size_t count, std::size_t& received, int seconds)
{
    count = std::min(count, buffer.size());
    std::size_t got = 0;
    received = 0;
    const std::uint64_t timeoutMs = seconds > 0 ? static_cast<std::uint64_t>(seconds) * 1000 : 0;
    std::uint64_t start = clock_.TickCount();
    for (;;) {
        if (device_.BytesInQueue() == 0) {
            pump_.ProcessMessages();
            if (device_.BytesInQueue() != 0)
                continue;
            const std::uint64_t idle = clock_.TickCount() - start;
            if (idle >= timeoutMs)
                return kReadTimeout;
            const auto slice = static_cast<int>(std::min<std::uint64_t>(timeoutMs - idle, kPollSliceMs));
            // A peer that hung up never sends again: waiting out the time-out would only spin on poll.
            if (device_.WaitReadable(slice) == SerialDevice::Wait::HungUp)
                return kReadTimeout;
            continue;
        }
        if (got >= count)
            return kReadOk; // a count of 0: something is there, nothing is taken
        const long n = device_.Read(buffer.subspan(got, count - got));
        if (n > 0) {
            pump_.ProcessMessages();
            start = clock_.TickCount();
            got += static_cast<std::size_t>(n);
            received = got;
            if (got == count)
                return kReadOk;
            continue;
        }
        if (got >= count)
            return kReadFailed;
        if (n < 0 || clock_.TickCount() - start >= timeoutMs)
            return kReadTimeout;
        pump_.ProcessMessages();
    }
}

bool SerialTransport::WriteRaw(std::span<const Byte> bytes)
{
    device_.BytesInQueue();
    return device_.Write(bytes);
}

int SerialTransport::SendCommand(std::span<Byte> buffer, std::size_t& length)
{
    std::fill(receive_.begin(), receive_.end(), Byte{0});
    const std::size_t n = std::min(length, buffer.size());
    const std::vector<Byte> frame = BuildFrame(buffer.first(n));

    device_.DiscardInput();
    if (!device_.Write(frame))
        return kSendHeaderTimeout;

    std::size_t got = 0;
    std::span<Byte> rx(receive_);
    const bool extended = n >= 2 && IsExtendedCommand(ReaderCommand{buffer[0], buffer[1]});
    if (extended) {
        const int seconds = cmdTimeoutSec_;
        if (ReadComm(rx, kExtendedLengthOffset, got, seconds) != kReadOk)
            return kSendHeaderTimeout;
        if (!std::equal(kFramePreamble.begin(), kFramePreamble.end(), rx.begin()))
            return kSendHeaderTimeout;
        if (rx[kReplySw3Offset] != kSwSuccess)
            return kSendRefused;
        if (ReadComm(rx.subspan(kExtendedLengthOffset), 8, got, seconds) != kReadOk)
            return kSendBodyTimeout;
        const std::uint32_t payload = ReadHexLength(rx.subspan<kExtendedLengthOffset, 8>());
        if (payload < 1)
            return kSendRefused;
        const std::size_t size = kExtendedPayloadOffset + payload;
        if (size > rx.size() || size > buffer.size())
            return kSendCheckError;
        if (ReadComm(rx.subspan(kExtendedPayloadOffset), payload, got, seconds) != kReadOk)
            return kSendCheckError;
        std::memcpy(buffer.data(), rx.data(), size);
        length = size;
        return kSendOk;
    }

    if (ReadComm(rx, kFrameHeadSize, got, kStandardReplySeconds) != kReadOk)
        return kSendHeaderTimeout;
    // Whatever does not start like a frame is line noise, not a reply.
    if (!std::equal(kFramePreamble.begin(), kFramePreamble.end(), rx.begin()))
        return kSendHeaderTimeout;
    const std::size_t len = FrameLength(rx);
    const std::size_t size = kFrameHeadSize + len;
    if (len < 1 || size > rx.size() || size > buffer.size())
        return kSendBodyTimeout;
    if (ReadComm(rx.subspan(kFrameHeadSize), len, got, kStandardReplySeconds) != kReadOk)
        return kSendBodyTimeout;
    if (!FrameCheckMatches(rx.first(size)))
        return kSendCheckError;
    std::memcpy(buffer.data(), rx.data(), size);
    length = len;
    return kSendOk;
}
