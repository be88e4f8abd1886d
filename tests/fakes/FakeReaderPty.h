#pragma once
// A card reader on a pseudo-terminal for the serial tests. It answers during the event pump, on a
// fake clock, so a test runs single-threaded and never waits for real: each pump moves the clock on by
// msPerPump (so silence turns into a time-out after a few pumps) and lets the reader read and answer.
#include "fakes/FakeClock.h"
#include "fakes/FakePump.h"
#include "tools/readersim/PtyReaderPeer.h"

#include <poll.h>
#include <unistd.h>

struct FakeReaderPty
{
    FakeClock clock;
    FakePump pump;
    PtyReaderPeer pty;
    std::uint64_t msPerPump = 1000;

    FakeReaderPty()
    {
        pump.onPump = [this] {
            clock.Advance(msPerPump);
            pty.Service(clock.ticks);
            if (pty.LastWritten() > 0)
                AwaitDelivery();
        };
    }

    // The pseudo-terminal hands bytes to the slave side a moment after they were written; waiting for
    // them keeps a loaded machine from turning that moment into a time-out on the fake clock.
    void AwaitDelivery() const
    {
        if (!pty.LineUp())
            return;
        pollfd p{pty.SlaveHandle(), POLLIN, 0};
        poll(&p, 1, 2000);
    }

    ReaderPeer& Peer() { return pty.Peer(); }
    const std::string& Path() const { return pty.SlavePath(); }

    // Puts bytes on the line as if the reader had sent them earlier (a late reply, noise).
    void Inject(const std::vector<Byte>& bytes)
    {
        const ssize_t n = ::write(pty.MasterHandle(), bytes.data(), bytes.size());
        if (n > 0)
            AwaitDelivery();
    }
};
