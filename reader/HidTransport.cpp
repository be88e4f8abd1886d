#include "reader/HidTransport.h"

#include "reader/Delay.h"

#include <algorithm>
#include <cstring>

HidTransport::HidTransport(Clock& clock, Pump& pump, const CancelFlag* cancel)
    : clock_(clock), pump_(pump), cancel_(cancel), tx_(kTxReportSize, 0), rx_(kRxFrameSize, 0)
{
}

void HidTransport::SetIds(std::uint16_t vendorId, std::uint16_t productId)
{
    vendorId_ = vendorId;
    productId_ = productId;
}

bool HidTransport::FindHidReader()
{
    if (backend_ == nullptr)
        return found_;
    for (const HidDeviceInfo& info : backend_->Enumerate()) {
        if (info.vendorId != vendorId_ || info.productId != productId_)
            continue;
        std::unique_ptr<HidDevice> device = backend_->Open(info);
        if (!device)
            return found_; // the first match is the reader; one that does not open is not found
        device_ = std::move(device);
        devicePath_ = info.path;
        // Lengths the descriptor did not give, or too short for the identity byte and a command frame
        // (or the five bytes tested in a first report), fall back to the reader's 1 + 64 bytes.
        inputLength_ = info.inputReportLength > 6 ? info.inputReportLength : kReportFrameBytes + 1;
        outputLength_ = info.outputReportLength > 10 ? info.outputReportLength : kReportFrameBytes + 1;
        // A descriptor is the device's word: a hostile one must not size the buffers.
        inputLength_ = std::min(inputLength_, kTxReportSize);
        outputLength_ = std::min(outputLength_, kTxReportSize);
        found_ = true;
        return true;
    }
    return found_;
}

bool HidTransport::SendReport()
{
    mode_ = -1;
    if (std::equal(kFrameExtReadText.begin(), kFrameExtReadText.end(), tx_.begin() + 1))
        mode_ = 1;
    if (std::equal(kFrameExtReadPhoto.begin(), kFrameExtReadPhoto.end(), tx_.begin() + 1))
        mode_ = 2;
    if (!device_)
        return false;
    return device_->SetOutputReport(std::span<const Byte>(tx_).first(outputLength_));
}

bool HidTransport::PollReport(std::span<Byte> report, bool skipEmpty)
{
    for (int attempt = 0;; ++attempt) {
        std::fill(report.begin(), report.end(), Byte{0});
        const bool ok = device_->GetInputReport(report);
        const bool empty =
            skipEmpty && std::all_of(report.begin() + 1, report.begin() + 6, [](Byte b) { return b == 0; });
        if (ok && !empty)
            return true;
        if (attempt >= kPollRetries)
            return false;
        if (!Delay(clock_, pump_, kPollIntervalMs, cancel_))
            return false;
        pump_.ProcessMessages();
        if (Cancelled())
            return false;
    }
}

int HidTransport::ReceiveFrame()
{
    if (!device_)
        return 1;
    std::vector<Byte> report(std::max<std::size_t>(256, inputLength_), 0);
    const std::span<Byte> in = std::span<Byte>(report).first(inputLength_);
    const std::size_t perReport = std::min(kReportFrameBytes, inputLength_ - 1);
    auto copyReport = [&](std::size_t offset) {
        if (offset < rx_.size())
            std::memcpy(rx_.data() + offset, report.data() + 1, std::min(perReport, rx_.size() - offset));
    };

    if (!PollReport(in, true))
        return 1;
    copyReport(0);
    if (!std::equal(kFramePreamble.begin(), kFramePreamble.end(), rx_.begin()))
        return 1;

    const bool extended = mode_ == 1 || mode_ == 2;
    std::size_t length = 0;
    std::size_t counted = 0;
    std::size_t shift = 0;
    if (extended) {
        if (!std::equal(kExtendedHead.begin(), kExtendedHead.end(), rx_.begin() + 5))
            return 1;
        length = ReadHexLength(std::span<const Byte>(rx_).subspan<kExtendedLengthOffset, 8>());
        counted = 44;
        shift = 20;
        if (kExtendedPayloadOffset + length > rx_.size())
            return 1;
    } else {
        length = FrameLength(rx_);
        counted = 56;
        shift = 8;
        if (kFrameHeadSize + length > rx_.size())
            return 1;
    }
    if (length == 0)
        return 1;
    while (counted < length) {
        if (!PollReport(in, false))
            return 1;
        copyReport(counted + shift);
        counted += std::min(kReportFrameBytes, length - counted);
    }
    // Extended replies carry no check byte (as on the serial line); their payload is checked as
    // hexadecimal text by the read sequence.
    if (extended)
        return 0;
    return FrameCheckMatches(std::span<const Byte>(rx_).first(kFrameHeadSize + length)) ? 0 : 1;
}

int HidTransport::Exchange(const CommandFrame& frame)
{
    if (Cancelled())
        return 1;
    std::fill(tx_.begin(), tx_.end(), Byte{0});
    std::fill(rx_.begin(), rx_.end(), Byte{0});
    tx_[0] = 0;
    std::copy(frame.begin(), frame.end(), tx_.begin() + 1);
    if (!SendReport())
        return 1;
    std::fill(rx_.begin(), rx_.end(), Byte{0});
    return ReceiveFrame();
}
