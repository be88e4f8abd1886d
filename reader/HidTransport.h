#pragma once
// The reader's frames inside USB HID reports: the command frame goes out in one output report
// (identity 0, frame from byte 1); the reply comes back 64 bytes per input report and is put together
// by polling every 5 ms, at most 200 times per report.
#include "platform/os/Clock.h"
#include "platform/os/HidBackend.h"
#include "platform/os/Pump.h"
#include "reader/CancelFlag.h"
#include "reader/Frame.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

inline constexpr std::uint16_t kHidReaderVendorId = 0xC252;
inline constexpr std::uint16_t kHidReaderProductId = 0x2721;

class HidTransport
{
public:
    static constexpr std::size_t kTxReportSize = 8192;
    static constexpr std::size_t kRxFrameSize = 4096;
    static constexpr std::size_t kReportFrameBytes = 64;
    static constexpr int kPollRetries = 200;
    static constexpr unsigned kPollIntervalMs = 5;

    // With a cancel flag, polling stops when it is set and no report goes out while it is.
    HidTransport(Clock& clock, Pump& pump, const CancelFlag* cancel = nullptr);

    // The library binding: without a backend nothing is ever found.
    void SetBackend(HidBackend* backend) { backend_ = backend; }
    void SetIds(std::uint16_t vendorId, std::uint16_t productId);

    // Opens the first device with the vendor and product, in enumeration order. Found() becomes true
    // only when the device really opened.
    bool FindHidReader();
    bool Found() const { return found_; }
    const std::string& DevicePath() const { return devicePath_; }
    // 1 after the 60 05 frame went out, 2 after 60 06, -1 after any other.
    int Mode() const { return mode_; }

    std::span<Byte> TxReport() { return tx_; }
    std::span<Byte> RxFrame() { return rx_; }

    // Sends TxReport with the reader's output report length; false when it did not go out.
    bool SendReport();
    // 0: a frame was put together in RxFrame and passed its checks; 1: failure.
    int ReceiveFrame();
    // One command: clear both buffers, send the frame, receive the reply. 0 success, 1 failure.
    int Exchange(const CommandFrame& frame);

private:
    bool PollReport(std::span<Byte> report, bool skipEmpty);

    bool Cancelled() const { return cancel_ && cancel_->Cancelled(); }

    Clock& clock_;
    Pump& pump_;
    const CancelFlag* cancel_;
    HidBackend* backend_ = nullptr;
    std::uint16_t vendorId_ = kHidReaderVendorId;
    std::uint16_t productId_ = kHidReaderProductId;
    bool found_ = false;
    std::string devicePath_;
    std::unique_ptr<HidDevice> device_;
    std::size_t inputLength_ = 0;
    std::size_t outputLength_ = 0;
    int mode_ = -1;
    std::vector<Byte> tx_;
    std::vector<Byte> rx_;
};
