// libFuzzer target for everything that takes reader replies apart: the frame checks, the card reply
// checks, hexadecimal text, and whole read sequences over the HID transport and the serial line
// with the input as the reader's reply. Any result is fine; a crash or a sanitizer report is not.
#include "fakes/FakeHidBackend.h"
#include "fakes/FakeReaderPty.h"
#include "reader/CardReply.h"
#include "reader/HexText.h"
#include "reader/ReaderLink.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace {

const ReaderCommand kTargets[] = {kCmdReadSamId,      kCmdFindCard,    kCmdSelectCard,  kCmdReadTextPhoto,
                                  kCmdReadNewAddress, kCmdExtReadText, kCmdExtReadPhoto};

void Functions(std::span<const Byte> data)
{
    FrameCheckMatches(data);
    CardReplyAcceptable(data);
    std::vector<Byte> out(data.size() / 3);
    ParseHexText(out, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    if (data.size() >= 8)
        ReadHexLength(data.first<8>());
}

void OverHid(ReaderCommand target, bool extended, std::span<const Byte> reply)
{
    FakeClock clock;
    FakePump pump;
    FakeHidBackend backend(clock);
    backend.devices.push_back(FakeHidBackend::Reader("/dev/hidraw0"));
    backend.peer.Script(target, PeerReply{std::vector<Byte>(reply.begin(), reply.end())});
    ReaderLink link(clock, pump);
    link.SetHidBackend(&backend);
    CardReply card;
    if (extended)
        link.ReadCardExt("USB", "10", card, "115200");
    else
        link.ReadCardStd("USB", "10", card, "115200");
}

void OverSerial(ReaderCommand target, bool extended, std::span<const Byte> reply)
{
    // One line for the whole run: opening a pseudo-terminal per input would dominate the time.
    static auto* rig = new FakeReaderPty;
    rig->msPerPump = 16000; // silence is one pump long
    rig->Peer().ClearScripts();
    rig->Peer().ClearLog();
    const std::vector<Byte> bytes(reply.begin(), reply.end());
    rig->Peer().Script(target, PeerReply{bytes});
    rig->Peer().Script(target, PeerReply{bytes});
    ReaderLink link(rig->clock, rig->pump);
    CardReply card;
    if (extended)
        link.ReadCardExt(rig->Path(), "1", card, "115200");
    else
        link.ReadCardStd(rig->Path(), "1", card, "115200");
    link.SetBPInUse(true);
    link.SetBPCommand(
        std::string(reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(bytes.size(), 40)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const Byte selector = data[0];
    const std::span<const Byte> rest(data + 1, size - 1);
    Functions(rest);
    const ReaderCommand target = kTargets[(selector >> 1) % 7];
    const bool extended = IsExtendedCommand(target);
    if (selector & 1)
        OverSerial(target, extended, rest);
    else
        OverHid(target, extended, rest);
    return 0;
}
