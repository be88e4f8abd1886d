#pragma once
// USB HID devices as the reader link needs them: found by vendor and product, opened, and spoken to
// with output and input reports. The program uses the hidraw backend; tests put a fake in its place.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct HidDeviceInfo
{
    std::string path; // the device node, e.g. /dev/hidraw3
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // Report lengths in bytes with the report identity byte, as the device's report descriptor gives
    // them (0 when unknown).
    std::size_t inputReportLength = 0;
    std::size_t outputReportLength = 0;
    // The descriptor gives its reports identities (they then lead every report on the wire).
    bool numberedReports = false;
};

class HidDevice
{
public:
    virtual ~HidDevice() = default;
    // report[0] is the report identity; the whole span goes out.
    virtual bool SetOutputReport(std::span<const std::uint8_t> report) = 0;
    // report[0] names the report identity on entry; on success the report fills the span, its
    // identity in report[0] (0 for a device without numbered reports) and its data from report[1].
    virtual bool GetInputReport(std::span<std::uint8_t> report) = 0;
};

class HidBackend
{
public:
    virtual ~HidBackend() = default;
    // Every HID device present, in a stable order.
    virtual std::vector<HidDeviceInfo> Enumerate() = 0;
    // Null when the device cannot be opened.
    virtual std::unique_ptr<HidDevice> Open(const HidDeviceInfo& device) = 0;
};
