#pragma once
// A serial port opened by path: raw mode (no echo, no line editing, no CR/LF mapping, no flow
// control), held for exclusive use with flock, non-blocking. Pseudo-terminals open like real ports.
// termios stays inside the .cpp file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Line settings in the numbering of the Windows port description (DCB): parity 0 none, 1 odd, 2 even,
// 3 mark, 4 space; stop bits 0 one, 1 one and a half, 2 two.
struct SerialSettings
{
    unsigned baudRate = 115200;
    int byteSize = 8;
    int parity = 0;
    int stopBits = 0;
};

// "COMn" (any case, n from 1) names <program folder>/ports/COMn when that entry exists (usually a link
// to a device such as /dev/ttyUSB0 or a pseudo-terminal), else /dev/ttyS<n-1>. An absolute path is
// used as it stands. Anything else gives an empty text.
std::string ResolveSerialPortPath(std::string_view name, const std::string& programFolder);

class SerialDevice
{
public:
    enum class Wait
    {
        Readable,
        TimedOut,
        HungUp
    };

    SerialDevice() = default;
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens and locks the device and puts it in raw mode with the settings. On failure nothing stays
    // open and LastError() says why.
    bool Open(const std::string& path, const SerialSettings& settings);
    // Applies new line settings to the open device; false (with LastError) when the device refuses them.
    bool Configure(const SerialSettings& settings);
    // False when the system reports an error; the descriptor is released either way.
    bool Close();

    bool IsOpen() const { return fd_ >= 0; }
    int Handle() const { return fd_; }
    const std::string& LastError() const { return lastError_; }

    // Bytes received and not read yet.
    std::size_t BytesInQueue() const;
    // Reads what is there, up to the buffer's size, without waiting: bytes read, 0 when nothing is
    // queued, -1 on an error (a hung-up peer included).
    long Read(std::span<std::uint8_t> buffer);
    // Writes every byte, waiting for room at most timeoutMs in all; false when not everything went out.
    bool Write(std::span<const std::uint8_t> bytes, int timeoutMs = 2000);
    // Waits until input is queued, the time passes or the line hangs up. A hung-up line reports
    // HungUp at once, every time, until it is closed.
    Wait WaitReadable(int timeoutMs) const;
    // Drops unread input (and, with output, unsent output too).
    void DiscardInput();
    void DiscardAll();

    // Baud rates termios knows; others are refused by Open and Configure.
    static bool BaudRateKnown(unsigned baudRate);

private:
    int fd_ = -1;
    std::string lastError_;
};
