#include "reader/SerialTransport.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kPollSliceMs = 10;

} // namespace

SerialTransport::SerialTransport(Clock& clock, Pump& pump, const CancelFlag* cancel)
    : clock_(clock), pump_(pump), cancel_(cancel), receive_(kBufferSize)
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
    portName_ = std::string(name);
    baudRate_ = baudRate;
    cmdTimeoutSec_ = seconds;
    hungUp_ = false;
    return true;
}

bool SerialTransport::Reopen()
{
    if (portName_.empty())
        return false;
    const std::string name = portName_;
    return OpenComm(name, baudRate_, cmdTimeoutSec_);
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
            if (Cancelled())
                return kReadCommCancelled;
            if (device_.BytesInQueue() != 0)
                continue;
            const std::uint64_t idle = clock_.TickCount() - start;
            const auto slice =
                idle >= timeoutMs ? 0
                                  : static_cast<int>(std::min<std::uint64_t>(timeoutMs - idle, kPollSliceMs));
            // A line that hung up never delivers again: waiting out the time-out would only spin. It is
            // told apart from a time-out even when both come at once.
            const SerialDevice::Wait wait = device_.WaitReadable(slice);
            if (wait == SerialDevice::Wait::HungUp) {
                hungUp_ = true;
                return kReadHungUp;
            }
            if (idle >= timeoutMs && wait != SerialDevice::Wait::Readable)
                return kReadTimeout;
            continue;
        }
        if (got >= count)
            return kReadOk; // a count of 0: something is there, nothing is taken
        const long n = device_.Read(buffer.subspan(got, count - got));
        if (n > 0) {
            pump_.ProcessMessages();
            if (Cancelled())
                return kReadCommCancelled;
            start = clock_.TickCount();
            got += static_cast<std::size_t>(n);
            received = got;
            if (got == count)
                return kReadOk;
            continue;
        }
        if (got >= count)
            return kReadFailed;
        if (n < 0) { // a tty read fails only when the line is gone
            hungUp_ = true;
            return kReadHungUp;
        }
        if (clock_.TickCount() - start >= timeoutMs)
            return kReadTimeout;
        pump_.ProcessMessages();
        if (Cancelled())
            return kReadCommCancelled;
    }
}

bool SerialTransport::WriteRaw(std::span<const Byte> bytes)
{
    if (Cancelled())
        return false;
    device_.BytesInQueue();
    return device_.Write(bytes);
}

int SerialTransport::SendCommand(std::span<Byte> buffer, std::size_t& length)
{
    if (Cancelled())
        return kSendCancelled;
    std::fill(receive_.begin(), receive_.end(), Byte{0});
    const std::size_t n = std::min(length, buffer.size());
    const std::vector<Byte> frame = BuildFrame(buffer.first(n));

    device_.DiscardInput();
    if (!device_.Write(frame)) {
        if (device_.IsOpen() && device_.WaitReadable(0) == SerialDevice::Wait::HungUp) {
            hungUp_ = true;
            return kSendHungUp;
        }
        return kSendHeaderTimeout;
    }

    std::size_t got = 0;
    std::span<Byte> rx(receive_);
    // A hung-up line is no time-out: it is reported as such, whatever part of the reply was due. So
    // is a cancelled wait.
    auto failed = [](int read, int code) {
        return read == kReadHungUp ? kSendHungUp : read == kReadCommCancelled ? kSendCancelled : code;
    };
    const bool extended = n >= 2 && IsExtendedCommand(ReaderCommand{buffer[0], buffer[1]});
    if (extended) {
        const int seconds = cmdTimeoutSec_;
        if (const int r = ReadComm(rx, kExtendedLengthOffset, got, seconds); r != kReadOk)
            return failed(r, kSendHeaderTimeout);
        if (!std::equal(kFramePreamble.begin(), kFramePreamble.end(), rx.begin()))
            return kSendHeaderTimeout;
        if (rx[kReplySw3Offset] != kSwSuccess)
            return kSendRefused;
        if (const int r = ReadComm(rx.subspan(kExtendedLengthOffset), 8, got, seconds); r != kReadOk)
            return failed(r, kSendBodyTimeout);
        const std::uint32_t payload = ReadHexLength(rx.subspan<kExtendedLengthOffset, 8>());
        if (payload < 1)
            return kSendRefused;
        const std::size_t size = kExtendedPayloadOffset + payload;
        if (size > rx.size() || size > buffer.size())
            return kSendCheckError;
        if (const int r = ReadComm(rx.subspan(kExtendedPayloadOffset), payload, got, seconds); r != kReadOk)
            return failed(r, kSendCheckError);
        std::memcpy(buffer.data(), rx.data(), size);
        length = size;
        return kSendOk;
    }

    if (const int r = ReadComm(rx, kFrameHeadSize, got, kStandardReplySeconds); r != kReadOk)
        return failed(r, kSendHeaderTimeout);
    // Whatever does not start like a frame is line noise, not a reply.
    if (!std::equal(kFramePreamble.begin(), kFramePreamble.end(), rx.begin()))
        return kSendHeaderTimeout;
    const std::size_t len = FrameLength(rx);
    const std::size_t size = kFrameHeadSize + len;
    if (len < 1 || size > rx.size() || size > buffer.size())
        return kSendBodyTimeout;
    if (const int r = ReadComm(rx.subspan(kFrameHeadSize), len, got, kStandardReplySeconds); r != kReadOk)
        return failed(r, kSendBodyTimeout);
    if (!FrameCheckMatches(rx.first(size)))
        return kSendCheckError;
    std::memcpy(buffer.data(), rx.data(), size);
    length = len;
    return kSendOk;
}
