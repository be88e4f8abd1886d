#include "reader/ReaderLink.h"

#include "reader/CardText.h"
#include "reader/Delay.h"
#include "reader/HexText.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr unsigned kRetryPauseMs = 50;
constexpr unsigned kExtPhotoPauseMs = 300;
constexpr unsigned kNotFoundPauseMs = 1500;
constexpr int kSerialAttempts = 2;
constexpr std::size_t kNewAddressOffset = 10;
constexpr std::size_t kNewAddressBytes = 70;

int MapSendResult(int code)
{
    switch (code) {
    case kSendRefused:
        return kReadNoCardData;
    case kSendBodyTimeout:
    case kSendCheckError:
        return kReadBadReply;
    default:
        return kReadExchangeFailed;
    }
}

bool ParseNumber(std::string_view text, long& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// Clears the running flag and closes the serial port on every way out of a sequence.
class ReadScope
{
public:
    ReadScope(bool& reading, SerialTransport& serial) : reading_(reading), serial_(serial)
    {
        reading_ = true;
    }
    ~ReadScope()
    {
        serial_.CloseComm();
        reading_ = false;
    }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    bool& reading_;
    SerialTransport& serial_;
};

// An extended payload of length chars at byte 19 of the frame, all of them hexadecimal digits: anything
// else would shift every following byte of the card.
bool PayloadIsHex(std::span<const Byte> frame, std::size_t length)
{
    if (kExtendedPayloadOffset + length > frame.size())
        return false;
    const auto payload = frame.subspan(kExtendedPayloadOffset, length);
    return std::all_of(payload.begin(), payload.end(),
                       [](Byte b) { return IsHexDigit(static_cast<char>(b)); });
}

std::string_view AsText(std::span<const Byte> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

ReaderLink::ReaderLink(Clock& clock, Pump& pump)
    : clock_(clock), pump_(pump), serial_(clock, pump, &cancel_), hid_(clock, pump, &cancel_),
      local_(kLocalBufferSize, 0), addressReply_(HidTransport::kRxFrameSize, 0)
{
}

bool ReaderLink::IsHidPortName(std::string_view portName)
{
    return portName.size() >= 3 && (portName.substr(0, 3) == "USB" || portName.substr(0, 3) == "usb");
}

void ReaderLink::CancelRead()
{
    if (reading_)
        cancel_.Cancel();
}

bool ReaderLink::FindHidReader()
{
    hid_.SetIds(kHidReaderVendorId, kHidReaderProductId);
    if (!hid_.Found())
        hid_.FindHidReader();
    return hid_.Found();
}

int ReaderLink::OpenSerial(std::string_view portName, std::string_view timeoutText, std::string_view baudText)
{
    long baud = 0;
    long seconds = 0;
    if (!ParseNumber(baudText, baud) || !ParseNumber(timeoutText, seconds) || baud <= 0 || seconds < 0 ||
        seconds > 3600)
        return kReadPortFailed;
    if (!serial_.OpenComm(portName, static_cast<unsigned>(baud), static_cast<int>(seconds)))
        return kReadPortFailed;
    return kReadCardOk;
}

// A hung-up line stays down; a reader that was unplugged and is back answers on the port opened
// anew. False when the port cannot be opened again (the reader is still away).
bool ReaderLink::ReopenIfHungUp()
{
    return !serial_.HungUp() || serial_.Reopen();
}

void ReaderLink::SendSwitchCommand()
{
    if (!bpInUse_ || bpCommand_.empty())
        return;
    std::vector<Byte> bytes(bpCommand_.size());
    const int n = ParseHexText(bytes, bpCommand_);
    if (n > 0)
        serial_.WriteRaw(std::span<const Byte>(bytes).first(static_cast<std::size_t>(n)));
}

int ReaderLink::Send(ReaderCommand command, std::span<Byte> buffer)
{
    std::fill(buffer.begin(), buffer.end(), Byte{0});
    buffer[0] = command.command;
    buffer[1] = command.parameter;
    std::size_t length = 2;
    const int code = serial_.SendCommand(buffer, length);
    // A reader that dropped off the line (unplugged, powered off) comes back without its SAM
    // identity: the next attempt or read asks for it first.
    if (code == kSendHungUp)
        samIdRead_ = false;
    return code;
}

bool ReaderLink::SameCard(const CardReply& reply) const
{
    const auto text = reply.Bytes().subspan(kCardReplyTextOffset, kCardTextSize);
    return CardTextFieldString(text, kCardIdNo) == lastIdNo_;
}

void ReaderLink::TakeNewAddress(std::span<const Byte> frame)
{
    // Only a reply of exactly the address's length is one: the card data answering an earlier
    // command late, or anything else that lands here, would turn into address text.
    constexpr std::size_t kAddressReplyLen = kNewAddressOffset + kNewAddressBytes + 1 - kFrameHeadSize;
    if (frame.size() < kFrameHeadSize + kAddressReplyLen || frame[kReplySw3Offset] != kSwSuccess ||
        FrameLength(frame) != kAddressReplyLen)
        return;
    newAddress_ = CardTextString(frame.subspan(kNewAddressOffset, kNewAddressBytes));
    if (onNewAddress_)
        onNewAddress_(newAddress_);
}

int ReaderLink::FinishStd(std::span<const Byte> cardFrame, CardReply& reply)
{
    if (cardFrame[kReplySw3Offset] != kSwSuccess)
        return kReadNoCardData;
    if (!CardReplyAcceptable(cardFrame))
        return kReadBadReply;
    std::copy_n(cardFrame.begin(), kCardReplyHeldSize, reply.Data());
    return SameCard(reply) ? kReadSameCard : kReadCardOk;
}

int ReaderLink::ReadCardStd(std::string_view portName, std::string_view timeoutText, CardReply& reply,
                            std::string_view baudText)
{
    return RunSequence(portName, timeoutText, reply, baudText, &ReaderLink::StdOverHid,
                       &ReaderLink::StdOverSerial);
}

// Both sequences start alike: one read at a time, a clean reply and work buffer, then the HID
// reader (searched for again when it was not found) or a freshly opened serial port.
int ReaderLink::RunSequence(std::string_view portName, std::string_view timeoutText, CardReply& reply,
                            std::string_view baudText, int (ReaderLink::*overHid)(CardReply&),
                            int (ReaderLink::*overSerial)(CardReply&))
{
    if (reading_)
        return kReadBusy;
    ReadScope scope(reading_, serial_);
    cancel_.Reset();
    reply.Clear();
    std::fill(local_.begin(), local_.end(), Byte{0});
    int result = kReadPortFailed;
    if (IsHidPortName(portName)) {
        FindHidReader();
        result = (this->*overHid)(reply);
    } else {
        serial_.CloseComm();
        result = OpenSerial(portName, timeoutText, baudText);
        if (result == kReadCardOk)
            result = (this->*overSerial)(reply);
    }
    // Whatever a cancelled exchange left behind is not the reader's answer.
    return cancel_.Cancelled() ? kReadCancelled : result;
}

int ReaderLink::StdOverHid(CardReply& reply)
{
    if (!hid_.Found()) {
        samIdRead_ = false;
        hid_.FindHidReader();
        if (!hid_.Found()) {
            pump_.ProcessMessages();
            if (onStatusText_)
                onStatusText_("请检查身份证鉴别仪。");
            Delay(clock_, pump_, kNotFoundPauseMs, &cancel_);
            return kReadHidNotFound;
        }
    }
    if (!samIdRead_) {
        if (hid_.Exchange(kFrameReadSamId) != 0)
            return kReadExchangeFailed;
        samIdRead_ = true;
    }
    for (const CommandFrame* f : {&kFrameFindCard, &kFrameSelectCard, &kFrameReadTextPhoto})
        if (hid_.Exchange(*f) != 0)
            return kReadExchangeFailed;
    std::copy_n(hid_.RxFrame().begin(), kCardReplyHeldSize, local_.begin());
    if (hid_.Exchange(kFrameReadNewAddress) != 0)
        return kReadExchangeFailed;
    TakeNewAddress(hid_.RxFrame());
    return FinishStd(std::span<const Byte>(local_).first(kCardReplyHeldSize), reply);
}

int ReaderLink::StdOverSerial(CardReply& reply)
{
    int result = kReadExchangeFailed;
    for (int attempts = 0;;) {
        SendSwitchCommand();
        int code = kSendOk;
        if (!samIdRead_) {
            code = Send(kCmdReadSamId, local_);
            if (code == kSendOk)
                samIdRead_ = true;
        }
        if (code == kSendOk) {
            code = Send(kCmdFindCard, local_);
            if (code != kSendOk)
                samIdRead_ = false;
        }
        if (code == kSendOk)
            code = Send(kCmdSelectCard, local_);
        if (code == kSendOk)
            code = Send(kCmdReadTextPhoto, local_);
        if (code == kSendOk)
            break;
        if (code == kSendCancelled)
            return kReadCancelled;
        result = MapSendResult(code);
        if (++attempts >= kSerialAttempts)
            return result;
        clock_.Sleep(kRetryPauseMs);
        if (!ReopenIfHungUp())
            return kReadPortFailed;
    }
    // The newest address is a bonus: its failure does not fail the read.
    Send(kCmdReadNewAddress, addressReply_);
    TakeNewAddress(addressReply_);
    return FinishStd(std::span<const Byte>(local_).first(kCardReplyHeldSize), reply);
}

int ReaderLink::ExtText(std::span<const Byte> frame, CardReply& reply)
{
    if (frame[kReplySw3Offset] != kSwSuccess)
        return kReadNoCardData;
    const std::uint32_t length = ReadHexLength(frame.subspan<kExtendedLengthOffset, 8>());
    if (length != kExtendedTextLength || !PayloadIsHex(frame, length))
        return kReadBadReply;
    std::copy(kExtendedCardHead.begin(), kExtendedCardHead.end(), reply.Data());
    ParseHexText(reply.Bytes().subspan(kCardReplyTextOffset, kCardTextSize),
                 AsText(frame.subspan(kExtendedPayloadOffset, length)));
    return SameCard(reply) ? kReadSameCard : kReadCardOk;
}

int ReaderLink::ExtPhoto(std::span<const Byte> frame, CardReply& reply)
{
    if (frame[kReplySw3Offset] != kSwSuccess)
        return kReadNoCardData;
    const std::uint32_t length = ReadHexLength(frame.subspan<kExtendedLengthOffset, 8>());
    if (length < kExtendedPhotoMinLength || length > kExtendedPhotoMaxLength || !PayloadIsHex(frame, length))
        return kReadBadReply;
    ParseHexText(reply.Bytes().subspan(kCardReplyPhotoOffset, (length + 1) / 2),
                 AsText(frame.subspan(kExtendedPayloadOffset, length)));
    return kReadCardOk;
}

int ReaderLink::ReadCardExt(std::string_view portName, std::string_view timeoutText, CardReply& reply,
                            std::string_view baudText)
{
    return RunSequence(portName, timeoutText, reply, baudText, &ReaderLink::ExtOverHid,
                       &ReaderLink::ExtOverSerial);
}

int ReaderLink::ExtOverHid(CardReply& reply)
{
    if (!hid_.Found() && !hid_.FindHidReader())
        return kReadHidNotFound;
    if (hid_.Exchange(kFrameExtReadText) != 0)
        return kReadExchangeFailed;
    if (const int r = ExtText(hid_.RxFrame(), reply); r != kReadCardOk)
        return r;
    clock_.Sleep(kExtPhotoPauseMs);
    if (!hid_.Found() && !hid_.FindHidReader())
        return kReadHidNotFound;
    if (hid_.Exchange(kFrameExtReadPhoto) != 0)
        return kReadExchangeFailed;
    return ExtPhoto(hid_.RxFrame(), reply);
}

int ReaderLink::ExtOverSerial(CardReply& reply)
{
    for (int attempts = 0;;) {
        SendSwitchCommand();
        const int code = Send(kCmdExtReadText, local_);
        if (code == kSendOk)
            break;
        if (code == kSendCancelled)
            return kReadCancelled;
        if (++attempts >= kSerialAttempts)
            return MapSendResult(code);
        clock_.Sleep(kRetryPauseMs);
        if (!ReopenIfHungUp())
            return kReadPortFailed;
    }
    if (const int r = ExtText(local_, reply); r != kReadCardOk)
        return r;
    clock_.Sleep(kExtPhotoPauseMs);
    if (const int code = Send(kCmdExtReadPhoto, local_); code != kSendOk)
        return MapSendResult(code);
    return ExtPhoto(local_, reply);
}
