// Replies no reader should send, made at random from a fixed seed: whatever arrives, a read fails
// with one of its failure codes and never crashes or reads or writes out of bounds (the sanitizers
// watch the latter).
#include "ReadRigs.h"
#include "fuzz/FuzzedRead.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<Byte> RandomReply(std::mt19937& rng, const ReaderPeer& peer, ReaderCommand command)
{
    std::uniform_int_distribution<int> byte(0, 255);
    const std::vector<Byte> good = peer.DefaultReply(command);
    std::vector<Byte> out;
    switch (rng() % 6) {
    case 0: // truncated
        out.assign(good.begin(), good.begin() + static_cast<long>(rng() % good.size()));
        break;
    case 1: { // one byte changed (LEN, status, lengths, check or payload)
        out = good;
        const std::size_t at = 5 + rng() % (out.size() - 5);
        out[at] = static_cast<Byte>(out[at] ^ (1 + rng() % 255));
        // An extended payload has no check byte: another hexadecimal digit there is a valid reply.
        if (IsExtendedCommand(command) && at >= kExtendedPayloadOffset &&
            IsHexDigit(static_cast<char>(out[at])))
            out[at] = 'g';
        break;
    }
    case 2: { // oversized length in a valid-looking head
        out = good;
        out[5] = 0xFF;
        out[6] = static_cast<Byte>(byte(rng));
        if (out.size() > 18)
            for (int i = 11; i < 19; ++i)
                out[static_cast<std::size_t>(i)] = "FFFFFFFF"[i - 11];
        break;
    }
    case 3: // random bytes behind a preamble
        out.assign(kFramePreamble.begin(), kFramePreamble.end());
        for (std::size_t i = 0, n = rng() % 3000; i < n; ++i)
            out.push_back(static_cast<Byte>(byte(rng)));
        break;
    case 4: // pure noise
        for (std::size_t i = 0, n = 1 + rng() % 200; i < n; ++i)
            out.push_back(static_cast<Byte>(byte(rng)));
        break;
    default: { // payload digits replaced by random characters
        out = good;
        const std::size_t from = out.size() > 20 ? 19 : 7;
        for (int k = 0; k < 4; ++k) {
            const std::size_t at = from + rng() % (out.size() - from);
            out[at] = static_cast<Byte>(byte(rng));
        }
        out.back() ^= 0x01; // keep standard replies from passing their check by chance
        break;
    }
    }
    return out;
}

// A command whose failure fails the whole read, answered badly on every attempt.
template <typename Rig> void FeedGarbage(std::mt19937& rng, Rig& rig, bool extended)
{
    const ReaderCommand standard[] = {kCmdFindCard, kCmdSelectCard, kCmdReadTextPhoto};
    const ReaderCommand ext[] = {kCmdExtReadText, kCmdExtReadPhoto};
    const ReaderCommand command = extended ? ext[rng() % 2] : standard[rng() % 3];
    PeerReply reply{RandomReply(rng, rig.Peer(), command), rng() % 4 == 0 ? 1 + rng() % 300 : 0, 0};
    rig.Peer().Script(command, reply);
    rig.Peer().Script(command, reply);
}

bool IsFailureCode(int r)
{
    return r == kReadExchangeFailed || r == kReadNoCardData || r == kReadBadReply;
}

} // namespace

TEST(Garbage, SerialReadsFail)
{
    std::mt19937 rng(20261210);
    for (int i = 0; i < 40; ++i) {
        SerialRig rig;
        const bool extended = i % 2 == 1;
        FeedGarbage(rng, rig, extended);
        const int r = extended ? rig.Ext() : rig.Std();
        EXPECT_TRUE(IsFailureCode(r)) << "case " << i << " gave " << r;
    }
}

TEST(Garbage, HidReadsFail)
{
    std::mt19937 rng(20261211);
    for (int i = 0; i < 300; ++i) {
        HidRig rig;
        const bool extended = i % 2 == 1;
        FeedGarbage(rng, rig, extended);
        const int r = extended ? rig.Ext() : rig.Std();
        EXPECT_TRUE(IsFailureCode(r)) << "case " << i << " gave " << r;
    }
}

// The fuzz target's reads reach the extension box, chunked replies and hang-ups on both transports.
TEST(Garbage, FuzzedReadsReachEveryWayAReplyComes)
{
    FakeReaderPty line;
    const std::vector<Byte> card = line.Peer().DefaultReply(kCmdReadTextPhoto);

    const std::vector<Byte> input = {0x07, 0x01 | 0x02 | (3 << 2), 6, '1', 'B', '2', '5', '4', '1', 0xAA,
                                     0x55};
    const FuzzedRead decoded = FuzzedRead::Decode(input);
    EXPECT_TRUE(decoded.serial);
    EXPECT_EQ(decoded.target, kCmdReadTextPhoto);
    EXPECT_TRUE(decoded.extensionBox && decoded.hangUp);
    EXPECT_EQ(decoded.chunk, 24u);
    EXPECT_EQ(decoded.switchCommand, "1B2541");
    EXPECT_EQ(decoded.reply, (std::vector<Byte>{0xAA, 0x55}));

    FuzzedRead boxed;
    boxed.serial = true;
    boxed.extensionBox = true;
    boxed.switchCommand = "1B2541";
    boxed.target = kCmdFindCard;
    boxed.reply = {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00};
    EXPECT_EQ(boxed.RunOnce(line), kReadExchangeFailed);
    ASSERT_FALSE(line.Peer().StrayBeforeCommand().empty());
    EXPECT_EQ(line.Peer().StrayBeforeCommand()[0], (std::vector<Byte>{0x1B, 0x25, 0x41}))
        << "the switch command never reached the reader";

    FuzzedRead chunked;
    chunked.serial = true;
    chunked.target = kCmdReadTextPhoto;
    chunked.chunk = 8;
    chunked.reply = card;
    EXPECT_EQ(chunked.RunOnce(line), kReadCardOk);

    FuzzedRead cut = chunked;
    cut.reply.resize(300);
    cut.hangUp = true;
    EXPECT_EQ(cut.RunOnce(line), kReadPortFailed);
    EXPECT_FALSE(line.pty.LineUp());
    EXPECT_EQ(chunked.RunOnce(line), kReadCardOk) << "the next input runs on a line that is up again";

    cut.serial = false;
    EXPECT_EQ(cut.RunOnce(line), kReadExchangeFailed);
}
