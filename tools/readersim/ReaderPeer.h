#pragma once
// The reader's side of the frame protocol, for the simulator and the tests: it takes the bytes the
// program sends, finds the command frames in them (resynchronising on the preamble and keeping the
// bytes outside frames, such as the extension box's switch command), and answers each command with
// the card's reply or with a scripted one: chunked or trickled, late, silent or malformed, or cut off
// by the reader dropping the line.
#include "reader/Frame.h"
#include "tools/readersim/SampleCard.h"

#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <utility>
#include <vector>

struct PeerReply
{
    std::vector<Byte> bytes; // empty: no answer at all
    std::size_t chunk = 0;   // 0: all at once; else this many bytes per delivery
    std::uint64_t delayMs = 0;
    bool hangUp = false; // the reader drops the line once these bytes (maybe none) went out
};

// Reply frames as a reader sends them.
std::vector<Byte> StandardReply(Byte sw3, std::span<const Byte> data);
// Extended reply: head, the 8-digit length and the payload as upper-case hexadecimal text.
std::vector<Byte> ExtendedReply(std::span<const Byte> data);
// Same with a given payload text and length characters (for malformed replies).
std::vector<Byte> ExtendedReplyText(Byte sw3, const std::string& lengthDigits, const std::string& payload);

class ReaderPeer
{
public:
    explicit ReaderPeer(SampleCard card = SampleCard::BuiltIn()) : card_(std::move(card)) {}

    SampleCard& Card() { return card_; }
    // No card on the reader: find card and read answer with a failing status.
    void SetCardPresent(bool present) { cardPresent_ = present; }

    // Scripted replies for a command, used in order before the card's own replies.
    void Script(ReaderCommand command, PeerReply reply)
    {
        scripts_[Key(command)].push_back(std::move(reply));
    }
    void ClearScripts() { scripts_.clear(); }
    // The reply the reader gives by itself.
    std::vector<Byte> DefaultReply(ReaderCommand command) const;

    // Bytes from the program at time nowMs.
    void Feed(std::span<const Byte> bytes, std::uint64_t nowMs);
    // Bytes due for the program at nowMs: one delivery of the oldest pending reply.
    std::vector<Byte> TakeDue(std::uint64_t nowMs);
    bool HasPending() const { return !pending_.empty(); }
    // True once after a reply that ends in a hang-up was taken whole: the line goes down now.
    bool TakeHangUp() { return std::exchange(hangUpDue_, false); }

    const std::vector<ReaderCommand>& Commands() const { return commands_; }
    const std::vector<Byte>& Stray() const { return stray_; }
    // Stray bytes seen in front of each command, in order.
    const std::vector<std::vector<Byte>>& StrayBeforeCommand() const { return strayBefore_; }
    void ClearLog();

private:
    struct Pending
    {
        std::vector<Byte> bytes;
        std::size_t sent = 0;
        std::size_t chunk = 0;
        std::uint64_t due = 0;
        bool hangUp = false;
    };
    static int Key(ReaderCommand c) { return c.command << 8 | c.parameter; }
    void Answer(ReaderCommand command, std::uint64_t nowMs);

    SampleCard card_;
    bool cardPresent_ = true;
    bool hangUpDue_ = false;
    std::map<int, std::deque<PeerReply>> scripts_;
    std::vector<Byte> input_;
    std::deque<Pending> pending_;
    std::vector<ReaderCommand> commands_;
    std::vector<Byte> stray_;
    std::vector<Byte> strayNow_;
    std::vector<std::vector<Byte>> strayBefore_;
};
