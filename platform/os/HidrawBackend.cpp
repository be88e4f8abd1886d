#include "platform/os/HidrawBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/hidraw.h>
#include <map>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// "HID_ID=0003:0000C252:00002721": bus, vendor, product in hexadecimal.
bool ParseHidId(const std::string& uevent, std::uint16_t& vendor, std::uint16_t& product)
{
    const auto at = uevent.find("HID_ID=");
    if (at == std::string::npos)
        return false;
    const std::string id = uevent.substr(at + 7, uevent.find('\n', at) - at - 7);
    const auto c1 = id.find(':');
    const auto c2 = id.find(':', c1 + 1);
    if (c1 == std::string::npos || c2 == std::string::npos)
        return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(id.c_str() + c1 + 1, &end, 16);
    if (end != id.c_str() + c2)
        return false;
    const unsigned long p = std::strtoul(id.c_str() + c2 + 1, &end, 16);
    if (end == id.c_str() + c2 + 1 || v > 0xFFFF || p > 0xFFFF)
        return false;
    vendor = static_cast<std::uint16_t>(v);
    product = static_cast<std::uint16_t>(p);
    return true;
}

// hidraw3 -> 3, so hidraw10 sorts after hidraw2.
long NodeNumber(const std::string& name)
{
    if (name.rfind("hidraw", 0) != 0 || name.size() == 6)
        return -1;
    char* end = nullptr;
    const long n = std::strtol(name.c_str() + 6, &end, 10);
    return *end == '\0' ? n : -1;
}

class HidrawDevice : public HidDevice
{
public:
    HidrawDevice(int fd, bool numberedReports) : fd_(fd), numbered_(numberedReports) {}
    ~HidrawDevice() override { ::close(fd_); }
    HidrawDevice(const HidrawDevice&) = delete;
    HidrawDevice& operator=(const HidrawDevice&) = delete;

    bool SetOutputReport(std::span<const std::uint8_t> report) override
    {
        if (report.empty())
            return false;
        // The ioctl wants a writable buffer of the report's length.
        std::vector<std::uint8_t> copy(report.begin(), report.end());
        if (ioctl(fd_, HIDIOCSOUTPUT(copy.size()), copy.data()) >= 0)
            return true;
        // Kernels before 5.11 have no HIDIOCSOUTPUT; a write sends the same output report.
        return errno == ENOTTY && ::write(fd_, copy.data(), copy.size()) == static_cast<ssize_t>(copy.size());
    }

    bool GetInputReport(std::span<std::uint8_t> report) override
    {
        if (report.empty())
            return false;
        const int n = ioctl(fd_, HIDIOCGINPUT(report.size()), report.data());
        if (n >= 0)
            return true;
        if (errno != ENOTTY)
            return false;
        // Without HIDIOCGINPUT the reports queued by the interrupt pipe are read instead. read()
        // gives a report as the device sent it: with its identity first only when the device numbers
        // its reports, so an unnumbered one is put behind an identity byte of 0, as the ioctl gives it.
        if (numbered_)
            return ::read(fd_, report.data(), report.size()) > 0;
        report[0] = 0;
        return report.size() > 1 && ::read(fd_, report.data() + 1, report.size() - 1) > 0;
    }

private:
    int fd_;
    bool numbered_;
};

} // namespace

HidReportLengths HidReportLengthsFromDescriptor(std::span<const std::uint8_t> d)
{
    struct Globals
    {
        unsigned size = 0, count = 0, id = 0;
    };
    Globals g;
    bool numbered = false;
    std::vector<Globals> stack;
    std::map<unsigned, unsigned long> inputBits, outputBits;
    for (std::size_t i = 0; i < d.size();) {
        const std::uint8_t prefix = d[i];
        if (prefix == 0xFE) { // long item: size in the next byte
            if (i + 1 >= d.size())
                break;
            i += 3 + d[i + 1];
            continue;
        }
        const std::size_t len = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + len > d.size())
            break;
        unsigned long value = 0;
        for (std::size_t k = 0; k < len; ++k)
            value |= static_cast<unsigned long>(d[i + 1 + k]) << (8 * k);
        switch (prefix & 0xFC) {
        case 0x74:
            g.size = static_cast<unsigned>(value);
            break;
        case 0x94:
            g.count = static_cast<unsigned>(value);
            break;
        case 0x84:
            g.id = static_cast<unsigned>(value);
            numbered = numbered || g.id != 0;
            break;
        case 0xA4:
            stack.push_back(g);
            break;
        case 0xB4:
            if (!stack.empty()) {
                g = stack.back();
                stack.pop_back();
            }
            break;
        case 0x80:
            inputBits[g.id] += static_cast<unsigned long>(g.size) * g.count;
            break;
        case 0x90:
            outputBits[g.id] += static_cast<unsigned long>(g.size) * g.count;
            break;
        default:
            break;
        }
        i += 1 + len;
    }
    // As the platform's capabilities report it: the longest report plus one byte for the identity,
    // which is there (as 0) even when the device uses none.
    auto longest = [](const std::map<unsigned, unsigned long>& bits) -> std::size_t {
        unsigned long most = 0;
        for (const auto& [id, b] : bits)
            most = std::max(most, b);
        return most == 0 ? 0 : (most + 7) / 8 + 1;
    };
    return {longest(inputBits), longest(outputBits), numbered};
}

HidrawBackend::HidrawBackend(std::string sysClassFolder, std::string devFolder)
    : sysClassFolder_(std::move(sysClassFolder)), devFolder_(std::move(devFolder))
{
}

std::vector<HidDeviceInfo> HidrawBackend::Enumerate()
{
    std::vector<std::pair<long, HidDeviceInfo>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysClassFolder_, ec)) {
        const std::string name = entry.path().filename().string();
        const long number = NodeNumber(name);
        if (number < 0)
            continue;
        HidDeviceInfo info;
        if (!ParseHidId(ReadText(entry.path() / "device" / "uevent"), info.vendorId, info.productId))
            continue;
        const std::string descriptor = ReadText(entry.path() / "device" / "report_descriptor");
        const HidReportLengths lengths = HidReportLengthsFromDescriptor(
            std::span(reinterpret_cast<const std::uint8_t*>(descriptor.data()), descriptor.size()));
        info.inputReportLength = lengths.input;
        info.outputReportLength = lengths.output;
        info.numberedReports = lengths.numbered;
        info.path = devFolder_ + "/" + name;
        found.emplace_back(number, std::move(info));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<HidDeviceInfo> out;
    for (auto& f : found)
        out.push_back(std::move(f.second));
    return out;
}

std::unique_ptr<HidDevice> HidrawBackend::Open(const HidDeviceInfo& device)
{
    const int fd = ::open(device.path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // A node that answers no hidraw request is not a HID device, whatever its name.
    hidraw_devinfo info{};
    if (ioctl(fd, HIDIOCGRAWINFO, &info) != 0) {
        ::close(fd);
        return nullptr;
    }
    return DeviceOn(fd, device);
}

std::unique_ptr<HidDevice> HidrawBackend::DeviceOn(int fd, const HidDeviceInfo& device)
{
    return std::make_unique<HidrawDevice>(fd, device.numberedReports);
}
