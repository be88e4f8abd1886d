#include "platform/os/SerialDevice.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t SpeedOf(unsigned baud)
{
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return B0;
    }
}

std::string ErrnoText(const char* what, const std::string& path)
{
    return std::string(what) + " '" + path + "': " + std::strerror(errno);
}

} // namespace

std::string ResolveSerialPortPath(std::string_view name, const std::string& programFolder)
{
    if (!name.empty() && name.front() == '/')
        return std::string(name);
    if (name.size() < 4 || std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M')
        return {};
    unsigned long n = 0;
    for (char c : name.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || n > 100000)
            return {};
        n = n * 10 + static_cast<unsigned long>(c - '0');
    }
    if (n == 0)
        return {};
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const std::string link = folder + "ports/COM" + std::to_string(n);
    struct stat st
    {
    };
    if (!programFolder.empty() && lstat(link.c_str(), &st) == 0)
        return link;
    return "/dev/ttyS" + std::to_string(n - 1);
}

SerialDevice::~SerialDevice()
{
    Close();
}

bool SerialDevice::BaudRateKnown(unsigned baudRate)
{
    return SpeedOf(baudRate) != B0;
}

bool SerialDevice::Open(const std::string& path, const SerialSettings& settings)
{
    Close();
    lastError_.clear();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastError_ = ErrnoText("cannot open", path);
        return false;
    }
    fd_ = fd;
    // Exclusive use, like an unshared COM port: a second opener is refused, not queued.
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        lastError_ = ErrnoText("in use", path);
        Close();
        return false;
    }
    if (!isatty(fd_)) {
        lastError_ = "not a terminal device '" + path + "'";
        Close();
        return false;
    }
    if (!Configure(settings)) {
        Close();
        return false;
    }
    DiscardAll();
    return true;
}

bool SerialDevice::Configure(const SerialSettings& settings)
{
    if (fd_ < 0) {
        lastError_ = "port not open";
        return false;
    }
    const speed_t speed = SpeedOf(settings.baudRate);
    if (speed == B0) {
        lastError_ = "baud rate not supported: " + std::to_string(settings.baudRate);
        return false;
    }
    termios t{};
    if (tcgetattr(fd_, &t) != 0) {
        lastError_ = ErrnoText("tcgetattr", "port");
        return false;
    }
    // Nothing is left as the port had it: a Linux tty starts with echo, canonical input and CR/LF
    // mapping, any of which corrupts binary frames.
    cfmakeraw(&t);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    switch (settings.byteSize) {
    case 5:
        t.c_cflag |= CS5;
        break;
    case 6:
        t.c_cflag |= CS6;
        break;
    case 7:
        t.c_cflag |= CS7;
        break;
    case 8:
        t.c_cflag |= CS8;
        break;
    default:
        lastError_ = "byte size not supported: " + std::to_string(settings.byteSize);
        return false;
    }
    switch (settings.parity) {
    case 0:
        break;
    case 1:
        t.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        t.c_cflag |= PARENB;
        break;
    case 3:
        t.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case 4:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        lastError_ = "parity not supported: " + std::to_string(settings.parity);
        return false;
    }
    switch (settings.stopBits) {
    case 0:
        break;
    case 2:
        t.c_cflag |= CSTOPB;
        break;
    default:
        lastError_ = "stop bits not supported: " + std::to_string(settings.stopBits);
        return false;
    }
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) {
        lastError_ = ErrnoText("tcsetattr", "port");
        return false;
    }
    return true;
}

bool SerialDevice::Close()
{
    if (fd_ < 0)
        return true;
    // Also releases the flock. Linux frees the descriptor even when close reports an error, so it
    // is never closed twice.
    const int r = ::close(fd_);
    fd_ = -1;
    return r == 0 || errno == EINTR;
}

std::size_t SerialDevice::BytesInQueue() const
{
    if (fd_ < 0)
        return 0;
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0 || n < 0)
        return 0;
    return static_cast<std::size_t>(n);
}

long SerialDevice::Read(std::span<std::uint8_t> buffer)
{
    if (fd_ < 0)
        return -1;
    if (buffer.empty())
        return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n >= 0)
            return n == 0 ? -1 : static_cast<long>(n); // 0 from a tty read means hang-up
        if (errno == EINTR)
            continue;
        return errno == EAGAIN ? 0 : -1;
    }
}

bool SerialDevice::Write(std::span<const std::uint8_t> bytes, int timeoutMs)
{
    if (fd_ < 0)
        return false;
    std::size_t done = 0;
    int waited = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        if (waited >= timeoutMs)
            return false;
        pollfd p{fd_, POLLOUT, 0};
        const int slice = 10;
        if (poll(&p, 1, slice) < 0 && errno != EINTR)
            return false;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
            return false;
        waited += slice;
    }
    return true;
}

SerialDevice::Wait SerialDevice::WaitReadable(int timeoutMs) const
{
    if (fd_ < 0)
        return Wait::HungUp;
    pollfd p{fd_, POLLIN, 0};
    const int r = poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (r < 0)
        return errno == EINTR ? Wait::TimedOut : Wait::HungUp;
    if (r == 0)
        return Wait::TimedOut;
    // A hung-up line (an adapter unplugged, a pseudo-terminal's master closed) reports POLLIN too,
    // while its queue count fails: only input that can really be counted is readable.
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0 && (p.revents & POLLIN))
        return Wait::Readable;
    int n = 0;
    if ((p.revents & POLLIN) && ioctl(fd_, FIONREAD, &n) == 0 && n > 0)
        return Wait::Readable;
    return Wait::HungUp;
}

void SerialDevice::DiscardInput()
{
    if (fd_ >= 0)
        tcflush(fd_, TCIFLUSH);
}

void SerialDevice::DiscardAll()
{
    if (fd_ >= 0)
        tcflush(fd_, TCIOFLUSH);
}
