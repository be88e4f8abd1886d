// The read through the reader vendor's SDK, and the choice between it and the reader's own protocol
// by the port number of the settings.
#include "reader/ReaderLink.h"

#include <array>
#include <cstdint>
#include <string>

namespace {

// The SDK's read result for a card, and for a reader that is not connected.
constexpr int kSdtCardRead = 0x90;
constexpr int kSdtNotConnected = 1;
constexpr std::size_t kSamIdSize = 20;

bool IsSdkPort(int readerPort)
{
    return readerPort > 1000 && readerPort < 2000;
}

} // namespace

int ReaderLink::ReadCardAt(int readerPort, bool extended, CardReply& reply)
{
    int result = kReadPortFailed;
    if (IsSdkPort(readerPort)) {
        result = ReadCardSdk(readerPort, reply);
    } else {
        const std::string portName = readerPort <= 1000 ? "COM" + std::to_string(readerPort) : "USB";
        const char* baud = bpInUse_ ? "9600" : "115200";
        result =
            extended ? ReadCardExt(portName, "10", reply, baud) : ReadCardStd(portName, "10", reply, baud);
    }
    switch (result) {
    case kReadCardOk:
    case kReadPortFailed:
    case kReadSdkMissing:
    case kReadCancelled:
        break;
    default:
        // Also the card that is still the one on show.
        samIdRead_ = false;
    }
    return result;
}

int ReaderLink::ReadCardSdk(int port, CardReply& reply)
{
    const SdtApi& sdt = sdk_.Api();
    if (!sdt.Complete())
        return kReadSdkMissing;
    if (!samIdRead_) {
        std::array<unsigned char, kSamIdSize> samId{};
        sdt.SDT_GetSAMID(port, samId.data(), 1);
        samIdRead_ = true; // whatever it answered
    }
    // The SDK writes where it is told and reports lengths of its own: what it leaves unwritten must
    // not be the card before's.
    reply.Clear();
    Byte* buffer = reply.Data();
    pump_.ProcessMessages();
    sdt.SDT_StartFindIDCard(port, buffer, 1);
    pump_.ProcessMessages();
    sdt.SDT_SelectIDCard(port, buffer, 1);
    pump_.ProcessMessages();
    std::uint32_t textLength = 0;
    std::uint32_t photoLength = 0;
    const int r = sdt.SDT_ReadBaseMsg(port, buffer + kCardReplyTextOffset, &textLength,
                                      buffer + kCardReplyPhotoOffset, &photoLength, 1);
    if (r == kSdtNotConnected)
        return kReadPortFailed;
    if (r != kSdtCardRead || textLength == 0 || photoLength == 0)
        return kReadNoCardData;
    pump_.ProcessMessages();
    reply.SetLengths(textLength, photoLength);
    return kReadCardOk;
}
