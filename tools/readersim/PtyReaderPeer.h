#pragma once
// A ReaderPeer behind a pseudo-terminal: the program opens SlavePath() as its serial port. The peer
// keeps the slave open itself so the line stays up between the program's reads. A scripted hang-up
// closes both ends, as an unplugged adapter would; Reconnect brings up a new line (a new path).
#include "tools/readersim/ReaderPeer.h"

#include <functional>
#include <string>

class PtyReaderPeer
{
public:
    explicit PtyReaderPeer(SampleCard card = SampleCard::BuiltIn());
    ~PtyReaderPeer();
    PtyReaderPeer(const PtyReaderPeer&) = delete;
    PtyReaderPeer& operator=(const PtyReaderPeer&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int MasterHandle() const { return master_; }
    // The peer's own descriptor of the slave side: its input queue is the program's.
    int SlaveHandle() const { return slave_; }
    // Bytes written by the last Service call.
    std::size_t LastWritten() const { return lastWritten_; }
    bool LineUp() const { return master_ >= 0; }
    // A fresh pseudo-terminal for the same peer, after a hang-up (SlavePath changes).
    void Reconnect();
    ReaderPeer& Peer() { return peer_; }

    // Reads what the program sent and writes what is due, without waiting. Returns true when something
    // moved.
    bool Service(std::uint64_t nowMs);
    // Serves while keepGoing() is true, waking on input, every millisecond while replies are pending and
    // every 50 ms otherwise. nowMs gives the time replies are scheduled by.
    void Serve(const std::function<bool()>& keepGoing, const std::function<std::uint64_t()>& nowMs);

private:
    void OpenLine();
    void HangUp();

    ReaderPeer peer_;
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::size_t lastWritten_ = 0;
    bool hangUpNext_ = false;
};
