#include "reader/Frame.h"
#include "reader/CardReply.h"
#include "reader/CardText.h"

#include <gtest/gtest.h>

#include <string>

TEST(Frame, StoredCommandFramesFollowTheBuildRule)
{
    const struct
    {
        ReaderCommand command;
        CommandFrame stored;
    } cases[] = {
        {kCmdReadSamId, kFrameReadSamId},           {kCmdFindCard, kFrameFindCard},
        {kCmdSelectCard, kFrameSelectCard},         {kCmdReadTextPhoto, kFrameReadTextPhoto},
        {kCmdReadNewAddress, kFrameReadNewAddress}, {kCmdExtReadText, kFrameExtReadText},
        {kCmdExtReadPhoto, kFrameExtReadPhoto},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildCommandFrame(c.command), c.stored)
            << int(c.command.command) << " " << int(c.command.parameter);
}

TEST(Frame, CheckByteCoversLengthAndBodyOnly)
{
    const Byte body[] = {0x00, 0x00, 0x90, 0x41, 0x42};
    std::vector<Byte> frame = BuildFrame(body);
    ASSERT_EQ(frame.size(), 7u + 6u);
    EXPECT_EQ(FrameLength(frame), 6u);
    EXPECT_TRUE(FrameCheckMatches(frame));

    frame.back() ^= 1; // wrong check byte, SW3 still 0x90
    EXPECT_FALSE(FrameCheckMatches(frame));
    frame.back() ^= 1;
    frame[0] = 0; // the preamble is not part of the check
    EXPECT_TRUE(FrameCheckMatches(frame));
}

TEST(Frame, CheckNeverReadsPastTheFrame)
{
    std::vector<Byte> frame = BuildFrame(std::vector<Byte>{1, 2, 3});
    frame.pop_back(); // LEN announces one byte more than there is
    EXPECT_FALSE(FrameCheckMatches(frame));
    EXPECT_FALSE(FrameCheckMatches(std::span<const Byte>(frame).first(6)));
    const Byte zeroLen[] = {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0, 0, 0};
    EXPECT_FALSE(FrameCheckMatches(zeroLen));
}

TEST(Frame, HexLengthDigits)
{
    const struct
    {
        const char* text;
        std::uint32_t value;
    } cases[] = {
        {"00000200", 512},         {"000001FF", 511}, {"00000c00", 3072}, {"00000C01", 3073},
        {"FFFFFFFF", 0xFFFFFFFFu}, {"0000020G", 0},   {"0000 200", 0},    {"00000000", 0},
    };
    for (const auto& c : cases) {
        std::span<const Byte, 8> digits(reinterpret_cast<const Byte*>(c.text), 8);
        EXPECT_EQ(ReadHexLength(digits), c.value) << c.text;
    }
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    EXPECT_EQ(HexDigitValue('7'), 7);
}

namespace {

std::vector<Byte> CardFrame(std::size_t textLen, std::size_t photoLen, std::size_t dataSize, Byte sw3 = 0x90)
{
    std::vector<Byte> body = {
        0x00, 0x00, sw3, Byte(textLen >> 8), Byte(textLen), Byte(photoLen >> 8), Byte(photoLen)};
    body.resize(body.size() + dataSize, 0x20);
    return BuildFrame(body);
}

} // namespace

TEST(CardReplyCheck, AcceptsOnlyCardDataLaidOutInFull)
{
    EXPECT_TRUE(CardReplyAcceptable(CardFrame(256, 1024, 1280)));
    EXPECT_EQ(CardFrame(256, 1024, 1280).size(), kCardReplySize);
    EXPECT_EQ(FrameLength(CardFrame(256, 1024, 1280)), 0x508u);

    const struct
    {
        const char* name;
        std::vector<Byte> frame;
    } refused[] = {
        {"SW3 other than 0x90", CardFrame(256, 1024, 1280, 0x91)},
        {"photo runs into the check byte", CardFrame(256, 1025, 1280)},
        {"lengths far past the frame", CardFrame(0xFFFF, 0xFFFF, 1280)},
        {"frame longer than what is kept", CardFrame(256, 1024, 1282)},
        {"zero lengths in a full frame", CardFrame(0, 0, 1280)},
        {"zero lengths in a short frame", CardFrame(0, 0, 0)},
        {"text shorter than the decoding reads", CardFrame(200, 1080, 1280)},
        {"photo shorter than the frame holds", CardFrame(256, 1000, 1280)},
        {"text without a photo", CardFrame(256, 0, 256)},
        {"status only", BuildFrame(std::vector<Byte>{0x00, 0x00, 0x90})},
    };
    for (const auto& c : refused)
        EXPECT_FALSE(CardReplyAcceptable(c.frame)) << c.name;
}

TEST(CardReplyBuffer, TextAndPhotoStayInsideTheBuffer)
{
    CardReply reply;
    reply.Data()[10] = 0x01; // 256
    reply.Data()[12] = 0x04; // 1024
    EXPECT_EQ(reply.Text().size(), 256u);
    EXPECT_EQ(reply.Photo().data(), reply.Data() + kCardReplyPhotoOffset);
    EXPECT_EQ(reply.Photo().size(), 1024u);

    reply.Data()[10] = 0xFF;
    reply.Data()[11] = 0xFF;
    reply.Data()[12] = 0xFF;
    reply.Data()[13] = 0xFF;
    EXPECT_EQ(reply.Text().size(), kCardReplyBufferSize - 14);
    EXPECT_EQ(reply.Photo().size(), 0u);
}

// The SDK gives its lengths beside the data, as 32-bit values; they stand in for bytes 10-13 until
// the next read clears the reply, so a read over the reader's own protocol after one through the
// SDK takes its lengths from its own head again.
TEST(CardReplyBuffer, LengthsGivenBesideTheDataLastUntilCleared)
{
    CardReply reply;
    reply.Data()[10] = 0x01; // 256
    reply.Data()[12] = 0x04; // 1024
    reply.SetLengths(100, 100000);
    EXPECT_EQ(reply.TextLength(), 100u);
    EXPECT_EQ(reply.Photo().data(), reply.Data() + kCardReplyTextOffset + 100);
    EXPECT_EQ(reply.Photo().size(), kCardReplyBufferSize - kCardReplyTextOffset - 100);
    reply.SetLengths(0xFFFFFFFFu, 1024);
    EXPECT_EQ(reply.Photo().size(), 0u);

    reply.Clear();
    reply.Data()[10] = 0x01;
    reply.Data()[12] = 0x04;
    EXPECT_EQ(reply.TextLength(), 256u);
    EXPECT_EQ(reply.PhotoLength(), 1024u);
    EXPECT_EQ(reply.Photo().data(), reply.Data() + kCardReplyPhotoOffset);
}

TEST(CardTextDecoding, FieldsAreConvertedAndTrimmed)
{
    std::vector<Byte> text(kCardTextSize, 0);
    auto put = [&](CardTextField f, std::u16string s) {
        for (std::size_t i = 0; i < f.size / 2; ++i) {
            const char16_t c = i < s.size() ? s[i] : u' ';
            text[f.offset + 2 * i] = Byte(c & 0xFF);
            text[f.offset + 2 * i + 1] = Byte(c >> 8);
        }
    };
    put(kCardName, u"张三");
    put(kCardIdNo, u"11010519491231002X");
    put(kCardValidity, u"20200101长期");
    put(kCardAddress, u"\t北京市 东城区");
    EXPECT_EQ(CardTextFieldString(text, kCardName), "张三");
    EXPECT_EQ(CardTextFieldString(text, kCardIdNo), "11010519491231002X");
    EXPECT_EQ(CardTextFieldString(text, kCardValidity), "20200101长期");
    EXPECT_EQ(CardTextFieldString(text, kCardAddress), "北京市 东城区");
    EXPECT_EQ(CardTextFieldString(text, kCardReserved), "");
    EXPECT_EQ(CardTextFieldString(std::span<const Byte>(text).first(130), kCardIdNo), "1101");
    const Byte surrogate[] = {0x00, 0xD8, 0x41, 0x00};
    EXPECT_EQ(CardTextString(surrogate), "\xEF\xBF\xBD"
                                         "A");
}
