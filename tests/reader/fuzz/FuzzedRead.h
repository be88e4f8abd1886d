#pragma once
// FuzzedRead: one read sequence whose reader answers one command with fuzzed bytes, shared by the
// libFuzzer target and the test that checks the target reaches every way a reply can come: over HID
// or the serial line, behind the extension box's switch command, in chunks, and cut off by a hang-up.
#include "fakes/FakeHidBackend.h"
#include "fakes/FakeReaderPty.h"
#include "reader/ReaderLink.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

struct FuzzedRead
{
    ReaderCommand target{};
    bool serial = false;
    bool extensionBox = false;
    bool hangUp = false;
    std::size_t chunk = 0;
    std::string switchCommand;
    std::vector<Byte> reply;

    static constexpr std::size_t kMaxSwitchCommand = 40;

    // Byte 0 picks the transport (bit 0) and the command; byte 1 the options: bit 0 the extension
    // box, bit 1 a hang-up after the reply, bits 2-7 the chunk size in eights (0: all at once); byte 2
    // the length of the switch command text that follows; the rest is the reply.
    static FuzzedRead Decode(std::span<const Byte> data)
    {
        static constexpr ReaderCommand kTargets[] = {kCmdReadSamId,     kCmdFindCard,       kCmdSelectCard,
                                                     kCmdReadTextPhoto, kCmdReadNewAddress, kCmdExtReadText,
                                                     kCmdExtReadPhoto};
        FuzzedRead r;
        auto take = [&data]() -> Byte {
            if (data.empty())
                return 0;
            const Byte b = data.front();
            data = data.subspan(1);
            return b;
        };
        const Byte selector = take();
        const Byte options = take();
        r.serial = (selector & 1) != 0;
        r.target = kTargets[(selector >> 1) % 7];
        r.extensionBox = (options & 1) != 0;
        r.hangUp = (options & 2) != 0;
        r.chunk = static_cast<std::size_t>(options >> 2) * 8;
        const std::size_t n = std::min<std::size_t>({take(), kMaxSwitchCommand, data.size()});
        r.switchCommand.assign(reinterpret_cast<const char*>(data.data()), n);
        data = data.subspan(n);
        r.reply.assign(data.begin(), data.end());
        return r;
    }

    bool Extended() const { return IsExtendedCommand(target); }

    void Prepare(ReaderLink& link, ReaderPeer& peer) const
    {
        link.SetBPInUse(extensionBox);
        link.SetBPCommand(switchCommand);
        const PeerReply answer{reply, chunk, 0, hangUp};
        peer.Script(target, answer);
        peer.Script(target, answer); // the serial sequence's second attempt
    }

    int Run(ReaderLink& link, const std::string& port) const
    {
        CardReply card;
        return Extended() ? link.ReadCardExt(port, "1", card, "115200")
                          : link.ReadCardStd(port, "1", card, "115200");
    }

    // line is kept from one run to the next (a pseudo-terminal per input would dominate the time);
    // a line that was hung up is brought up again for the next run.
    int OverSerial(FakeReaderPty& line) const
    {
        line.msPerPump = 16000; // silence is one pump long
        if (!line.pty.LineUp())
            line.pty.Reconnect();
        line.Peer().ClearScripts();
        line.Peer().ClearLog();
        ReaderLink link(line.clock, line.pump);
        Prepare(link, line.Peer());
        const int result = Run(link, line.Path());
        // What the reader still had to say is not the next run's.
        for (int i = 0; i < 100 && line.Peer().HasPending() && line.pty.LineUp(); ++i) {
            line.clock.Advance(16000);
            line.pty.Service(line.clock.ticks);
        }
        return result;
    }

    int OverHid() const
    {
        FakeClock clock;
        FakePump pump;
        FakeHidBackend backend(clock);
        backend.devices.push_back(FakeHidBackend::Reader("/dev/hidraw0"));
        ReaderLink link(clock, pump);
        link.SetHidBackend(&backend);
        Prepare(link, backend.peer);
        return Run(link, "USB");
    }

    int RunOnce(FakeReaderPty& line) const { return serial ? OverSerial(line) : OverHid(); }
};
