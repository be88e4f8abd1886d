#pragma once
// HID devices through the kernel's hidraw nodes: enumeration reads /sys/class/hidraw (vendor and
// product from each device's uevent, report lengths from its report descriptor), reports go through
// the HIDIOCSOUTPUT and HIDIOCGINPUT ioctls. The hidraw headers stay in the .cpp file.
#include "platform/os/HidBackend.h"

#include <string>

class HidrawBackend : public HidBackend
{
public:
    // The folders are parameters so that tests can lay out their own tree.
    explicit HidrawBackend(std::string sysClassFolder = "/sys/class/hidraw", std::string devFolder = "/dev");

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const HidDeviceInfo& device) override;

    // The device on a descriptor that Open has checked (it takes the descriptor over). Tests hand it
    // one that answers like an older kernel's node, which has no report ioctls.
    static std::unique_ptr<HidDevice> DeviceOn(int fd, const HidDeviceInfo& device);

private:
    std::string sysClassFolder_;
    std::string devFolder_;
};

// Input and output report lengths (largest report plus the identity byte) from a report descriptor;
// 0 for a direction that has no report. Also whether the reports are numbered.
struct HidReportLengths
{
    std::size_t input = 0;
    std::size_t output = 0;
    bool numbered = false; // some report has an identity other than 0
};
HidReportLengths HidReportLengthsFromDescriptor(std::span<const std::uint8_t> descriptor);
