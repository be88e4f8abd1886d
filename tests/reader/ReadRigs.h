#pragma once
// One reader link with its peer, over a pseudo-terminal or over the fake HID backend, for the
// read-sequence tests.
#include "fakes/FakeHidBackend.h"
#include "fakes/FakeReaderPty.h"
#include "reader/ReaderLink.h"

#include <string>
#include <vector>

struct SerialRig
{
    FakeReaderPty reader;
    ReaderLink link{reader.clock, reader.pump};
    CardReply reply;
    std::vector<std::string> status;
    std::vector<std::string> addresses;
    std::string baud = "115200";

    SerialRig()
    {
        reader.msPerPump = 5000; // a silent reply times out after three pumps
        link.SetOnStatusText([this](const std::string& s) { status.push_back(s); });
        link.SetOnNewAddress([this](const std::string& s) { addresses.push_back(s); });
    }
    ReaderPeer& Peer() { return reader.Peer(); }
    FakeClock& Clock() { return reader.clock; }
    int Std() { return link.ReadCardStd(reader.Path(), "10", reply, baud); }
    int Ext() { return link.ReadCardExt(reader.Path(), "10", reply, baud); }
};

struct HidRig
{
    FakeClock clock;
    FakePump pump;
    FakeHidBackend backend{clock};
    ReaderLink link{clock, pump};
    CardReply reply;
    std::vector<std::string> status;
    std::vector<std::string> addresses;

    HidRig()
    {
        backend.devices.push_back(FakeHidBackend::Reader("/dev/hidraw0"));
        link.SetHidBackend(&backend);
        link.SetOnStatusText([this](const std::string& s) { status.push_back(s); });
        link.SetOnNewAddress([this](const std::string& s) { addresses.push_back(s); });
    }
    ReaderPeer& Peer() { return backend.peer; }
    FakeClock& Clock() { return clock; }
    int Std() { return link.ReadCardStd("USB", "10", reply, "115200"); }
    int Ext() { return link.ReadCardExt("USB", "10", reply, "115200"); }
};

// The card reply with its text length and photo length replaced (check byte recomputed).
inline std::vector<Byte> CardReplyWithLengths(const ReaderPeer& peer, std::size_t text, std::size_t photo)
{
    std::vector<Byte> frame = peer.DefaultReply(kCmdReadTextPhoto);
    frame[10] = Byte(text >> 8);
    frame[11] = Byte(text);
    frame[12] = Byte(photo >> 8);
    frame[13] = Byte(photo);
    frame.back() = FrameCheck(std::span<const Byte>(frame).subspan(5, frame.size() - 6));
    return frame;
}

// Hexadecimal text of n characters, all '0' but for what is given at the start.
inline std::string HexPayload(std::size_t n, const std::string& start = "")
{
    std::string s = start;
    s.resize(n, '0');
    return s;
}
