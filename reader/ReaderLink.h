#pragma once
// The card reader link of the main window: the standard and extended read sequences over the serial
// port or the USB HID reader, the read through the reader vendor's SDK, and the state they share with
// the read routine. The main window owns one object; every test starts with a fresh one.
#include "platform/os/Clock.h"
#include "platform/os/HidBackend.h"
#include "platform/os/Pump.h"
#include "reader/CancelFlag.h"
#include "reader/CardReply.h"
#include "reader/Frame.h"
#include "reader/HidTransport.h"
#include "reader/ReadResult.h"
#include "reader/SdkLibrary.h"
#include "reader/SerialTransport.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ReaderLink
{
public:
    // Longest reply a sequence keeps: an extended photo reply of 19 + 3072 bytes, a standard frame of
    // up to this size.
    static constexpr std::size_t kLocalBufferSize = 4096;

    ReaderLink(Clock& clock, Pump& pump);

    // Where "COMn" names are looked up (<folder>/ports/COMn).
    void SetProgramFolder(std::string folder) { serial_.SetProgramFolder(std::move(folder)); }
    // The HID library binding; null unbinds it (nothing is found then).
    void SetHidBackend(HidBackend* backend) { hid_.SetBackend(backend); }
    // Searches for the reader (vendor C252, product 2721) unless it was found before.
    bool FindHidReader();
    bool HidFound() const { return hid_.Found(); }

    // Panel 1 of the owner's status bar.
    void SetOnStatusText(std::function<void(const std::string&)> f) { onStatusText_ = std::move(f); }
    // The newest-address memo (its lines become the text).
    void SetOnNewAddress(std::function<void(const std::string&)> f) { onNewAddress_ = std::move(f); }

    bool SamIdRead() const { return samIdRead_; }
    void SetSamIdRead(bool v) { samIdRead_ = v; }
    bool BPInUse() const { return bpInUse_; }
    void SetBPInUse(bool v) { bpInUse_ = v; }
    const std::string& BPCommand() const { return bpCommand_; }
    void SetBPCommand(std::string v) { bpCommand_ = std::move(v); }
    const std::string& LastIdNo() const { return lastIdNo_; }
    void SetLastIdNo(std::string v) { lastIdNo_ = std::move(v); }
    const std::string& NewAddress() const { return newAddress_; }
    void SetNewAddress(std::string v) { newAddress_ = std::move(v); }

    // The vendor's SDK, loaded by the owner; a read through it needs all five entries.
    SdkLibrary& Sdk() { return sdk_; }
    const SdkLibrary& Sdk() const { return sdk_; }

    // One read on the reader port of the settings: 1001 to 1999 through the SDK on that port number,
    // up to 1000 the serial port "COM" + the number, 2000 and above the HID reader; the extended
    // sequence when extended is set, else the standard one; 9600 baud with the extension box, else
    // 115200, and 10 s. Every failure but kReadSdkMissing, kReadPortFailed (no device) and
    // kReadCancelled makes the next read ask for the SAM identity again.
    int ReadCardAt(int readerPort, bool extended, CardReply& reply);

    // A read through the SDK: the SAM identity (once, until a failure clears SamIdRead), find,
    // select, then text and photo written at their places in the reply with their lengths given
    // beside (SetLengths); the rest of the reply stays as it was, apart from the SDK's scratch use
    // of its start. kReadSdkMissing without a call when an entry is missing, kReadPortFailed when
    // the SDK says the device is not connected, kReadNoCardData for anything but a card with both
    // lengths above 0. A card read is kReadCardOk even when it is the one on show: the read
    // routine's guard tells. The SDK's calls block and look at no cancel flag, so this read is no
    // running read for Reading() and CancelRead.
    int ReadCardSdk(int port, CardReply& reply);

    // portName: "COM" + number, an absolute device path, or a name starting with "USB"/"usb" for HID.
    // timeoutText and baudText are decimal numbers ("10", "9600" or "115200").
    int ReadCardStd(std::string_view portName, std::string_view timeoutText, CardReply& reply,
                    std::string_view baudText);
    int ReadCardExt(std::string_view portName, std::string_view timeoutText, CardReply& reply,
                    std::string_view baudText);
    bool Reading() const { return reading_; }
    // Stops the running read: its wait ends at the next look, no further command is sent, and the
    // sequence returns kReadCancelled. Called from the event pump (a window closing); does nothing
    // between reads.
    void CancelRead();

    // For tests and tools: the transports themselves.
    SerialTransport& Serial() { return serial_; }
    HidTransport& Hid() { return hid_; }

    static bool IsHidPortName(std::string_view portName);

private:
    int RunSequence(std::string_view portName, std::string_view timeoutText, CardReply& reply,
                    std::string_view baudText, int (ReaderLink::*overHid)(CardReply&),
                    int (ReaderLink::*overSerial)(CardReply&));
    int StdOverHid(CardReply& reply);
    int StdOverSerial(CardReply& reply);
    int ExtOverHid(CardReply& reply);
    int ExtOverSerial(CardReply& reply);
    int OpenSerial(std::string_view portName, std::string_view timeoutText, std::string_view baudText);
    bool ReopenIfHungUp();
    void SendSwitchCommand();
    int Send(ReaderCommand command, std::span<Byte> buffer);
    int FinishStd(std::span<const Byte> cardFrame, CardReply& reply);
    int ExtText(std::span<const Byte> frame, CardReply& reply);
    int ExtPhoto(std::span<const Byte> frame, CardReply& reply);
    bool SameCard(const CardReply& reply) const;
    void TakeNewAddress(std::span<const Byte> frame);

    Clock& clock_;
    Pump& pump_;
    CancelFlag cancel_; // before the transports, which look at it
    SerialTransport serial_;
    HidTransport hid_;
    SdkLibrary sdk_;
    bool samIdRead_ = false;
    bool bpInUse_ = false;
    std::string bpCommand_;
    std::string lastIdNo_;
    std::string newAddress_;
    bool reading_ = false;
    std::function<void(const std::string&)> onStatusText_;
    std::function<void(const std::string&)> onNewAddress_;
    std::vector<Byte> local_;
    std::vector<Byte> addressReply_;
};
