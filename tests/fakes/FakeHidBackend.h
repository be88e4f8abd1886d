#pragma once
// HID devices for the reader tests. Output reports go to a ReaderPeer; its replies come back as
// input reports of 64 frame bytes after the identity byte, as the real reader sends them.
#include "fakes/FakeClock.h"
#include "platform/os/HidBackend.h"
#include "tools/readersim/ReaderPeer.h"

#include <algorithm>
#include <memory>
#include <vector>

class FakeHidBackend : public HidBackend
{
public:
    struct Device
    {
        HidDeviceInfo info;
        bool openFails = false;
    };

    explicit FakeHidBackend(FakeClock& clock) : clock_(clock) {}

    ReaderPeer peer;
    std::vector<Device> devices;
    std::vector<std::string> opened;
    std::vector<std::vector<Byte>> outputReports;
    bool failOutput = false;
    // Empty reports (all zero after the identity) handed out before each reply's first report.
    unsigned emptyReportsBeforeReply = 0;
    unsigned inputPolls = 0;
    // Set when the peer hangs up: the device is gone, nothing goes out any more.
    bool unplugged = false;

    // The reader itself: vendor C252, product 2721, 65-byte reports.
    static Device Reader(std::string path, std::uint16_t product = 0x2721)
    {
        return Device{HidDeviceInfo{std::move(path), 0xC252, product, 65, 65}, false};
    }

    std::vector<HidDeviceInfo> Enumerate() override
    {
        std::vector<HidDeviceInfo> out;
        for (const auto& d : devices)
            out.push_back(d.info);
        return out;
    }

    std::unique_ptr<HidDevice> Open(const HidDeviceInfo& info) override
    {
        for (const auto& d : devices)
            if (d.info.path == info.path && d.openFails)
                return nullptr;
        opened.push_back(info.path);
        return std::make_unique<Handle>(*this);
    }

private:
    class Handle : public HidDevice
    {
    public:
        explicit Handle(FakeHidBackend& b) : b_(b) {}
        bool SetOutputReport(std::span<const std::uint8_t> report) override
        {
            b_.outputReports.emplace_back(report.begin(), report.end());
            if (b_.failOutput || b_.unplugged || report.size() < 11)
                return false;
            b_.stream_.clear(); // what the last reply left unread is gone with the new command
            b_.peer.Feed(report.subspan(1, 10), b_.clock_.ticks);
            b_.empties_ = b_.emptyReportsBeforeReply;
            return true;
        }
        bool GetInputReport(std::span<std::uint8_t> report) override
        {
            ++b_.inputPolls;
            std::fill(report.begin(), report.end(), 0);
            for (auto more = b_.peer.TakeDue(b_.clock_.ticks); !more.empty();
                 more = b_.peer.TakeDue(b_.clock_.ticks))
                b_.stream_.insert(b_.stream_.end(), more.begin(), more.end());
            b_.unplugged = b_.peer.TakeHangUp() || b_.unplugged;
            if (b_.empties_ > 0) {
                --b_.empties_;
                return true;
            }
            if (b_.stream_.empty())
                return false;
            const std::size_t n = std::min<std::size_t>({64, b_.stream_.size(), report.size() - 1});
            std::copy_n(b_.stream_.begin(), n, report.begin() + 1);
            b_.stream_.erase(b_.stream_.begin(), b_.stream_.begin() + static_cast<long>(n));
            return true;
        }

    private:
        FakeHidBackend& b_;
    };

    FakeClock& clock_;
    std::vector<Byte> stream_;
    unsigned empties_ = 0;
};
