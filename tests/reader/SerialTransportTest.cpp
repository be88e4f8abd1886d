#include "reader/SerialTransport.h"
#include "fakes/FakeReaderPty.h"
#include "platform/os/SerialDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <poll.h>
#include <unistd.h>

namespace {

class SerialTransportTest : public ::testing::Test
{
protected:
    FakeReaderPty reader;
    SerialTransport serial{reader.clock, reader.pump};

    void SetUp() override { ASSERT_TRUE(serial.OpenComm(reader.Path(), 115200, 10)); }

    int Send(ReaderCommand c, std::vector<Byte>& buffer, std::size_t& length)
    {
        buffer.assign(buffer.size(), 0);
        buffer[0] = c.command;
        buffer[1] = c.parameter;
        length = 2;
        return serial.SendCommand(buffer, length);
    }
};

} // namespace

TEST(SerialPortName, Resolution)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ports-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "ports");
    std::filesystem::create_symlink("/dev/null", folder / "ports" / "COM2");
    const std::string f = folder.string();
    const struct
    {
        std::string name;
        std::string path;
    } cases[] = {
        {"COM2", f + "/ports/COM2"},
        {"com2", f + "/ports/COM2"},
        {"COM1", "/dev/ttyS0"},
        {"COM12", "/dev/ttyS11"},
        {"/dev/pts/7", "/dev/pts/7"},
        {"COM0", ""},
        {"LPT1", ""},
        {"COM", ""},
        {"COM1x", ""},
        {"USB", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveSerialPortPath(c.name, f), c.path) << c.name;
    std::filesystem::remove_all(folder);
}

TEST(SerialDeviceRaw, BinaryBytesPassUntouchedAndNothingEchoes)
{
    FakeReaderPty reader;
    SerialDevice device;
    ASSERT_TRUE(device.Open(reader.Path(), SerialSettings{}));
    // CR, LF, XON, XOFF, ^C, ^D, DEL and 0xFF would all be changed or eaten by a cooked terminal.
    const std::vector<Byte> bytes = {0x0D, 0x0A, 0x11, 0x13, 0x03, 0x04, 0x7F, 0xFF, 0x00, 0x1A};
    reader.Inject(bytes);
    pollfd p{device.Handle(), POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1);
    std::vector<Byte> got(32);
    const long n = device.Read(got);
    got.resize(static_cast<std::size_t>(std::max(n, 0L)));
    EXPECT_EQ(got, bytes);

    ASSERT_TRUE(device.Write(bytes));
    Byte back[32];
    pollfd m{reader.pty.MasterHandle(), POLLIN, 0};
    ASSERT_EQ(poll(&m, 1, 1000), 1);
    EXPECT_EQ(::read(reader.pty.MasterHandle(), back, sizeof back), static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(device.BytesInQueue(), 0u) << "what the device wrote came back as input (echo)";
}

TEST(SerialDeviceLock, SecondOpenIsRefused)
{
    FakeReaderPty reader;
    SerialDevice first;
    SerialDevice second;
    ASSERT_TRUE(first.Open(reader.Path(), SerialSettings{}));
    EXPECT_FALSE(second.Open(reader.Path(), SerialSettings{}));
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    EXPECT_TRUE(second.Open(reader.Path(), SerialSettings{}));
    EXPECT_FALSE(SerialDevice().Open("/dev/null", SerialSettings{})) << "not a terminal";
}

TEST(SerialOpen, OnlyTheFiveBaudRates)
{
    FakeReaderPty reader;
    SerialTransport serial(reader.clock, reader.pump);
    for (unsigned baud : {4800u, 230400u, 0u, 14400u}) {
        EXPECT_FALSE(serial.OpenComm(reader.Path(), baud, 10)) << baud;
        EXPECT_FALSE(serial.IsOpen());
    }
    for (unsigned baud : {9600u, 19200u, 38400u, 57600u, 115200u}) {
        EXPECT_TRUE(serial.OpenComm(reader.Path(), baud, 10)) << baud;
        serial.CloseComm();
    }
    EXPECT_FALSE(serial.OpenComm("COM0", 9600, 10));
}

TEST_F(SerialTransportTest, StandardReplyGivesTheFrameAndLen)
{
    std::vector<Byte> buffer(4096);
    std::size_t length = 0;
    ASSERT_EQ(Send(kCmdReadTextPhoto, buffer, length), kSendOk);
    EXPECT_EQ(length, 1288u);
    const std::vector<Byte> expected = reader.Peer().DefaultReply(kCmdReadTextPhoto);
    ASSERT_EQ(expected.size(), 1295u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
    ASSERT_EQ(reader.Peer().Commands().size(), 1u);
    EXPECT_EQ(reader.Peer().Commands()[0], kCmdReadTextPhoto);
}

TEST_F(SerialTransportTest, ExtendedReplyLengthIsTheFrameSize)
{
    std::vector<Byte> buffer(4096);
    std::size_t length = 0;
    ASSERT_EQ(Send(kCmdExtReadText, buffer, length), kSendOk);
    EXPECT_EQ(length, 19u + 512u);
    ASSERT_EQ(Send(kCmdExtReadPhoto, buffer, length), kSendOk);
    EXPECT_EQ(length, 19u + 2048u);
}

TEST_F(SerialTransportTest, TrickledReplyIsReadWhateverItTakes)
{
    // One byte per pump, a second apart: 1295 s in all, never 15 s without a byte.
    reader.Peer().Script(kCmdReadTextPhoto, PeerReply{reader.Peer().DefaultReply(kCmdReadTextPhoto), 1, 0});
    std::vector<Byte> buffer(4096);
    std::size_t length = 0;
    EXPECT_EQ(Send(kCmdReadTextPhoto, buffer, length), kSendOk);
    EXPECT_EQ(length, 1288u);
}

TEST_F(SerialTransportTest, FailureCodes)
{
    std::vector<Byte> good = reader.Peer().DefaultReply(kCmdFindCard);
    std::vector<Byte> badCheck = good;
    badCheck.back() ^= 0x55;
    std::vector<Byte> truncated(good.begin(), good.end() - 2);
    std::vector<Byte> huge = {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0xFF, 0xFF, 0x00, 0x00, 0x90};
    std::vector<Byte> noPreamble = good;
    noPreamble[0] = 0x55;
    const struct
    {
        const char* name;
        ReaderCommand command;
        PeerReply reply;
        std::size_t bufferSize;
        int code;
    } cases[] = {
        {"silence", kCmdFindCard, PeerReply{}, 4096, kSendHeaderTimeout},
        {"half a head", kCmdFindCard, PeerReply{{0xAA, 0xAA, 0xAA}}, 4096, kSendHeaderTimeout},
        {"no preamble", kCmdFindCard, PeerReply{noPreamble}, 4096, kSendHeaderTimeout},
        {"body cut short", kCmdFindCard, PeerReply{truncated}, 4096, kSendBodyTimeout},
        {"wrong check byte", kCmdFindCard, PeerReply{badCheck}, 4096, kSendCheckError},
        {"LEN larger than any buffer", kCmdFindCard, PeerReply{huge}, 4096, kSendBodyTimeout},
        {"LEN larger than the caller's buffer", kCmdReadTextPhoto,
         PeerReply{reader.Peer().DefaultReply(kCmdReadTextPhoto)}, 1000, kSendBodyTimeout},
        {"late beyond the time-out", kCmdFindCard, PeerReply{good, 0, 16000}, 4096, kSendHeaderTimeout},
        {"late within the time-out", kCmdFindCard, PeerReply{good, 0, 12000}, 4096, kSendOk},
        {"extended refused", kCmdExtReadText,
         PeerReply{ExtendedReplyText(0x41, "00000200", std::string(512, '0'))}, 4096, kSendRefused},
        {"extended zero length", kCmdExtReadText, PeerReply{ExtendedReplyText(0x90, "00000000", "")}, 4096,
         kSendRefused},
        {"extended length not hexadecimal", kCmdExtReadText,
         PeerReply{ExtendedReplyText(0x90, "0000020X", std::string(512, '0'))}, 4096, kSendRefused},
        {"extended length cut short", kCmdExtReadText, PeerReply{ExtendedReplyText(0x90, "0000", "")}, 4096,
         kSendBodyTimeout},
        {"extended payload cut short", kCmdExtReadText,
         PeerReply{ExtendedReplyText(0x90, "00000200", std::string(100, '0'))}, 4096, kSendCheckError},
        {"extended payload larger than the buffer", kCmdExtReadPhoto,
         PeerReply{ExtendedReplyText(0x90, "7FFFFFFF", std::string(100, '0'))}, 4096, kSendCheckError},
    };
    for (const auto& c : cases) {
        reader.Peer().ClearScripts();
        reader.Peer().Script(c.command, c.reply);
        std::vector<Byte> buffer(c.bufferSize);
        std::size_t length = 0;
        EXPECT_EQ(Send(c.command, buffer, length), c.code) << c.name;
        if (c.code != kSendOk) {
            EXPECT_TRUE(std::all_of(buffer.begin() + 2, buffer.end(), [](Byte b) { return b == 0; }))
                << c.name << ": a refused reply was copied";
        }
        // Whatever the failure left on the line must not reach the next command.
        reader.Peer().ClearScripts();
        reader.clock.Advance(20000);
        reader.pty.Service(reader.clock.ticks);
        EXPECT_EQ(Send(kCmdSelectCard, buffer, length), kSendOk) << "after " << c.name;
    }
}

TEST_F(SerialTransportTest, ExtendedRefusalReadsOnlyElevenBytes)
{
    reader.Peer().Script(kCmdExtReadText, PeerReply{ExtendedReplyText(0x41, "00000200", "0123")});
    std::vector<Byte> buffer(4096);
    std::size_t length = 0;
    ASSERT_EQ(Send(kCmdExtReadText, buffer, length), kSendRefused);
    EXPECT_EQ(serial.BytesInQueue(), 12u) << "the length characters and payload stay unread";
}

TEST_F(SerialTransportTest, StaleInputIsDroppedBeforeACommand)
{
    // A reply to an earlier, timed-out read of card data is still on the line.
    reader.Inject(reader.Peer().DefaultReply(kCmdReadTextPhoto));
    pollfd p{serial.Device().Handle(), POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1);
    std::vector<Byte> buffer(4096);
    std::size_t length = 0;
    ASSERT_EQ(Send(kCmdFindCard, buffer, length), kSendOk);
    EXPECT_EQ(length, 8u) << "the stale card reply was taken for the find-card reply";
}

TEST_F(SerialTransportTest, ReadCommCountZeroWaitsWithoutTaking)
{
    std::vector<Byte> buffer(16);
    std::size_t received = 99;
    EXPECT_EQ(serial.ReadComm(buffer, 0, received, 3), kReadTimeout);
    EXPECT_EQ(received, 0u);
    reader.Inject({0x42});
    EXPECT_EQ(serial.ReadComm(buffer, 0, received, 3), kReadOk);
    EXPECT_EQ(serial.BytesInQueue(), 1u);
}

TEST_F(SerialTransportTest, SilenceCostsPumpsNotSpins)
{
    reader.Peer().Script(kCmdFindCard, PeerReply{});
    reader.msPerPump = 250;
    std::vector<Byte> buffer(64);
    std::size_t length = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    EXPECT_EQ(Send(kCmdFindCard, buffer, length), kSendHeaderTimeout);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double used = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    // 15 s of fake time at 250 ms per pump: about 60 pumps, each followed by a short poll.
    EXPECT_GE(reader.pump.calls, 55u);
    EXPECT_LE(reader.pump.calls, 70u);
    EXPECT_LT(used, wall * 0.5 + 0.05) << "the wait burnt CPU instead of sleeping in poll";
}

TEST_F(SerialTransportTest, FailedWriteFailsAtOnce)
{
    serial.CloseComm();
    std::vector<Byte> buffer(64);
    std::size_t length = 0;
    EXPECT_EQ(Send(kCmdFindCard, buffer, length), kSendHeaderTimeout);
    EXPECT_EQ(reader.pump.calls, 0u) << "waited for a reply to a command that never went out";
}
