#pragma once
// The reader's frames over a serial port: one command out, one reply in, standard (checked) or
// extended (hexadecimal text). Every wait pumps the event queue and sleeps in poll between pumps.
#include "platform/os/Clock.h"
#include "platform/os/Pump.h"
#include "platform/os/SerialDevice.h"
#include "reader/CancelFlag.h"
#include "reader/Frame.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// SendCommand's results; the read sequences map them to their own codes.
enum SendResult : int
{
    kSendOk = 0,
    kSendHeaderTimeout = 1, // also a failed write: no reply can come
    kSendBodyTimeout = 2,   // or, extended, the length characters; or a LEN too long for the buffer
    kSendCheckError = 3,    // or, extended, the payload; or a payload too long for the buffer
    kSendRefused = 4,       // extended reply with SW3 other than 0x90 or a length below 1
    kSendHungUp = 5,        // the line hung up (reader unplugged): nothing more can come on it
    kSendCancelled = 6,     // the read was cancelled: the wait stopped, or the command never went out
};

// ReadComm's results.
enum ReadCommResult : int
{
    kReadOk = 0,
    kReadFailed = 1,
    kReadTimeout = 2,
    kReadHungUp = 3, // the line hung up: waiting longer cannot help
    kReadCommCancelled = 4
};

class SerialTransport
{
public:
    static constexpr std::size_t kBufferSize = 65535;
    static constexpr int kStandardReplySeconds = 15;

    // With a cancel flag, a wait that sees it set stops, and nothing is written while it is set.
    SerialTransport(Clock& clock, Pump& pump, const CancelFlag* cancel = nullptr);

    // Where "COMn" names are looked up (<folder>/ports/COMn).
    void SetProgramFolder(std::string folder) { programFolder_ = std::move(folder); }

    // Only 9600, 19200, 38400, 57600 and 115200 baud are accepted. seconds is the reply time-out of
    // extended commands. False leaves no port open.
    bool OpenComm(std::string_view name, unsigned baudRate, int seconds);
    // Opens the port of the last OpenComm again, with its settings: a reader that was unplugged and
    // plugged in again is a new device behind the same name.
    bool Reopen();
    void CloseComm() { device_.Close(); }
    // The line hung up during the last command; only a reopened port can carry the next one.
    bool HungUp() const { return hungUp_; }
    bool IsOpen() const { return device_.IsOpen(); }
    const SerialDevice& Device() const { return device_; }

    std::size_t BytesInQueue() const { return device_.BytesInQueue(); }
    // Reads count bytes into buffer; the time-out restarts after every byte that arrives. received
    // always holds the bytes read so far. A count of 0 waits for one byte without taking it. A line
    // that hangs up ends the wait at once.
    int ReadComm(std::span<Byte> buffer, std::size_t count, std::size_t& received, int seconds);
    // Writes bytes as they are (the extension box's switch command).
    bool WriteRaw(std::span<const Byte> bytes);
    // On entry buffer[0..length) is the command body; on success buffer holds the reply frame and length
    // is LEN (standard) or the frame size (extended). A reply that does not fit the buffer is refused
    // before anything is copied. Unread input is dropped before the command goes out, so a late reply
    // to an earlier command that is already waiting is not taken for this one's; one that arrives
    // after the command went out cannot be told apart here (replies carry no command), so the read
    // sequences check the replies they use by their exact shape.
    int SendCommand(std::span<Byte> buffer, std::size_t& length);

    int CmdTimeoutSec() const { return cmdTimeoutSec_; }

    static bool BaudRateAccepted(unsigned baudRate);

private:
    bool Cancelled() const { return cancel_ && cancel_->Cancelled(); }

    Clock& clock_;
    Pump& pump_;
    const CancelFlag* cancel_;
    SerialDevice device_;
    std::string programFolder_;
    std::string portName_;
    unsigned baudRate_ = 0;
    int cmdTimeoutSec_ = 0;
    bool hungUp_ = false;
    std::vector<Byte> receive_;
};
