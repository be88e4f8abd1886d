#include "ReadRigs.h"

#include "platform/os/SystemClock.h"
#include "reader/CardText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <termios.h>
#include <type_traits>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Case
{
    const char* name;
    std::function<void(ReaderPeer&)> setup;
    int serial;
    int hid;
};

// Scripts a reply for both attempts of the serial sequence (HID uses the first only).
void Twice(ReaderPeer& p, ReaderCommand c, const PeerReply& r)
{
    p.Script(c, r);
    p.Script(c, r);
}

std::vector<Byte> WithBadCheck(std::vector<Byte> f)
{
    f.back() ^= 0x01;
    return f;
}

const std::vector<Byte> kHugeLen = {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0xFF, 0xFF, 0x00, 0x00, 0x90};

// A reader behind <folder>/ports/COM7 on the real clock, so that a read which spins instead of
// waiting shows in its CPU time. With comesBack, a reader that dropped the line is plugged in again
// at once (a new pseudo-terminal behind the same name).
struct PluggedReader
{
    fs::path folder = fs::temp_directory_path() / ("plugged-" + std::to_string(getpid()));
    SystemClock clock;
    FakePump pump;
    PtyReaderPeer line;
    ReaderLink link{clock, pump};
    CardReply reply;
    bool comesBack = false;

    PluggedReader()
    {
        fs::create_directories(folder / "ports");
        PlugIn();
        link.SetProgramFolder(folder.string());
        pump.onPump = [this] {
            line.Service(clock.TickCount());
            if (!line.LineUp() && comesBack) {
                line.Reconnect();
                PlugIn();
            }
        };
    }
    ~PluggedReader() { fs::remove_all(folder); }
    void PlugIn()
    {
        fs::remove(folder / "ports" / "COM7");
        fs::create_symlink(line.SlavePath(), folder / "ports" / "COM7");
    }
    // The card reply cut in half, and the line dropped after it.
    void HangUpInTheCardReply()
    {
        const std::vector<Byte> full = line.Peer().DefaultReply(kCmdReadTextPhoto);
        line.Peer().Script(kCmdReadTextPhoto,
                           PeerReply{std::vector<Byte>(full.begin(), full.begin() + 600), 0, 0, true});
    }
    int Std() { return link.ReadCardStd("COM7", "10", reply, "115200"); }
};

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

template <typename Rig> void RunStd(const Case& c, int expected)
{
    Rig rig;
    if (c.setup)
        c.setup(rig.Peer());
    EXPECT_EQ(rig.Std(), expected) << c.name;
    EXPECT_FALSE(rig.link.Serial().IsOpen()) << c.name << ": port left open";
    EXPECT_FALSE(rig.link.Reading());
}

} // namespace

TEST(ReadCardStd, ResultCodesOverBothTransports)
{
    const Case cases[] = {
        {"card read", nullptr, kReadCardOk, kReadCardOk},
        {"no card on the reader", [](ReaderPeer& p) { p.SetCardPresent(false); }, kReadNoCardData,
         kReadNoCardData},
        {"card data with SW3 0x91",
         [](ReaderPeer& p) {
             Twice(p, kCmdReadTextPhoto, {StandardReply(0x91, std::vector<Byte>(1284, 0))});
         },
         kReadNoCardData, kReadNoCardData},
        {"find card silent", [](ReaderPeer& p) { Twice(p, kCmdFindCard, {}); }, kReadExchangeFailed,
         kReadExchangeFailed},
        {"card data check error",
         [](ReaderPeer& p) {
             Twice(p, kCmdReadTextPhoto, {WithBadCheck(p.DefaultReply(kCmdReadTextPhoto))});
         },
         kReadBadReply, kReadExchangeFailed},
        {"card data cut short",
         [](ReaderPeer& p) {
             auto f = p.DefaultReply(kCmdReadTextPhoto);
             f.resize(700);
             Twice(p, kCmdReadTextPhoto, {f});
         },
         kReadBadReply, kReadExchangeFailed},
        {"LEN 65535", [](ReaderPeer& p) { Twice(p, kCmdReadTextPhoto, {kHugeLen}); }, kReadBadReply,
         kReadExchangeFailed},
        {"lengths larger than the reply",
         [](ReaderPeer& p) { Twice(p, kCmdReadTextPhoto, {CardReplyWithLengths(p, 256, 4000)}); },
         kReadBadReply, kReadBadReply},
        {"text length 0xFFFF",
         [](ReaderPeer& p) { Twice(p, kCmdReadTextPhoto, {CardReplyWithLengths(p, 0xFFFF, 0)}); },
         kReadBadReply, kReadBadReply},
        {"zero lengths", [](ReaderPeer& p) { Twice(p, kCmdReadTextPhoto, {CardReplyWithLengths(p, 0, 0)}); },
         kReadBadReply, kReadBadReply},
        {"text length shorter than the decoding reads",
         [](ReaderPeer& p) { Twice(p, kCmdReadTextPhoto, {CardReplyWithLengths(p, 128, 1024)}); },
         kReadBadReply, kReadBadReply},
        {"text only, no photo",
         [](ReaderPeer& p) {
             std::vector<Byte> data = {0x01, 0x00, 0x00, 0x00};
             const std::vector<Byte> text = p.Card().TextBlock();
             data.insert(data.end(), text.begin(), text.end());
             Twice(p, kCmdReadTextPhoto, {StandardReply(0x90, data)});
         },
         kReadBadReply, kReadBadReply},
        {"newest address silent", [](ReaderPeer& p) { p.Script(kCmdReadNewAddress, {}); }, kReadCardOk,
         kReadExchangeFailed},
        {"trailing garbage after the card data",
         [](ReaderPeer& p) {
             auto f = p.DefaultReply(kCmdReadTextPhoto);
             f.insert(f.end(), {0x13, 0x37, 0xAA, 0xAA});
             p.Script(kCmdReadTextPhoto, {f});
         },
         kReadCardOk, kReadCardOk},
    };
    for (const Case& c : cases) {
        RunStd<SerialRig>(c, c.serial);
        RunStd<HidRig>(c, c.hid);
    }
}

TEST(ReadCardStd, CardReplyAndNewestAddressArrive)
{
    SerialRig serial;
    HidRig hid;
    ASSERT_EQ(serial.Std(), kReadCardOk);
    ASSERT_EQ(hid.Std(), kReadCardOk);
    const std::vector<Byte> expected = serial.Peer().DefaultReply(kCmdReadTextPhoto);
    for (CardReply* reply : {&serial.reply, &hid.reply}) {
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), reply->Data()));
        EXPECT_EQ(reply->TextLength(), 256u);
        EXPECT_EQ(reply->PhotoLength(), 1024u);
        EXPECT_EQ(CardTextFieldString(reply->Text(), kCardName), "张三");
        EXPECT_EQ(CardTextFieldString(reply->Text(), kCardIdNo), "110101198001010011");
        const std::vector<Byte> photo = serial.Peer().Card().PhotoBlock();
        EXPECT_TRUE(std::equal(photo.begin(), photo.end(), reply->Photo().begin()));
    }
    EXPECT_EQ(serial.link.NewAddress(), "北京市西城区新街2号");
    EXPECT_EQ(serial.addresses, (std::vector<std::string>{"北京市西城区新街2号"}));
    EXPECT_EQ(hid.addresses, serial.addresses);
    EXPECT_EQ(serial.Peer().Commands(),
              (std::vector<ReaderCommand>{kCmdReadSamId, kCmdFindCard, kCmdSelectCard, kCmdReadTextPhoto,
                                          kCmdReadNewAddress}));
}

TEST(ReadCardStd, NewestAddressOfThirtyFiveCharactersIsWhole)
{
    const std::string full = "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五";
    for (int transport = 0; transport < 2; ++transport) {
        SerialRig serial;
        HidRig hid;
        ReaderPeer& peer = transport == 0 ? serial.Peer() : hid.Peer();
        peer.Card().newAddress = full;
        EXPECT_EQ(transport == 0 ? serial.Std() : hid.Std(), kReadCardOk);
        EXPECT_EQ(transport == 0 ? serial.link.NewAddress() : hid.link.NewAddress(), full);
    }
    SerialRig refused;
    refused.link.SetNewAddress("old");
    refused.Peer().Script(kCmdReadNewAddress, {StandardReply(0x41, std::vector<Byte>(70, 0x20))});
    EXPECT_EQ(refused.Std(), kReadCardOk);
    EXPECT_EQ(refused.link.NewAddress(), "old");
    EXPECT_TRUE(refused.addresses.empty());
    SerialRig shortReply;
    shortReply.link.SetNewAddress("old");
    shortReply.Peer().Script(kCmdReadNewAddress, {StandardReply(0x90, {})});
    EXPECT_EQ(shortReply.Std(), kReadCardOk);
    EXPECT_EQ(shortReply.link.NewAddress(), "old") << "a reply too short for an address is none";
}

TEST(ReadCardStd, NewestAddressOnlyFromItsOwnReply)
{
    std::vector<Byte> longer(70, 0x20);
    longer.push_back(0x20);
    const struct
    {
        const char* name;
        std::function<std::vector<Byte>(ReaderPeer&)> reply;
    } cases[] = {
        {"the card data", [](ReaderPeer& p) { return p.DefaultReply(kCmdReadTextPhoto); }},
        {"one byte too many", [&](ReaderPeer&) { return StandardReply(0x90, longer); }},
    };
    for (const auto& c : cases) {
        SerialRig serial;
        HidRig hid;
        for (ReaderLink* link : {&serial.link, &hid.link})
            link->SetNewAddress("old");
        serial.Peer().Script(kCmdReadNewAddress, {c.reply(serial.Peer())});
        hid.Peer().Script(kCmdReadNewAddress, {c.reply(hid.Peer())});
        EXPECT_EQ(serial.Std(), kReadCardOk) << c.name;
        EXPECT_EQ(hid.Std(), kReadCardOk) << c.name;
        EXPECT_EQ(serial.link.NewAddress(), "old") << c.name;
        EXPECT_EQ(hid.link.NewAddress(), "old") << c.name;
        EXPECT_TRUE(serial.addresses.empty() && hid.addresses.empty()) << c.name;
    }
}

// The card data of the first attempt comes after the reply time-out, just when the newest address
// has been asked for: it arrives in front of the address reply.
TEST(ReadCardStd, LateCardDataIsNotTakenForTheNewestAddress)
{
    SerialRig rig;
    rig.link.SetNewAddress("old");
    ReaderPeer& p = rig.Peer();
    p.Script(kCmdReadTextPhoto, {});
    std::vector<Byte> late = p.DefaultReply(kCmdReadTextPhoto);
    const std::vector<Byte> address = p.DefaultReply(kCmdReadNewAddress);
    late.insert(late.end(), address.begin(), address.end());
    p.Script(kCmdReadNewAddress, {late});
    EXPECT_EQ(rig.Std(), kReadCardOk);
    EXPECT_EQ(rig.link.NewAddress(), "old");
    EXPECT_TRUE(rig.addresses.empty()) << "the late card data became the newest address";
    EXPECT_EQ(p.Commands(), (std::vector<ReaderCommand>{kCmdReadSamId, kCmdFindCard, kCmdSelectCard,
                                                        kCmdReadTextPhoto, kCmdFindCard, kCmdSelectCard,
                                                        kCmdReadTextPhoto, kCmdReadNewAddress}));
    EXPECT_EQ(CardTextFieldString(rig.reply.Text(), kCardName), "张三");
}

TEST(ReadCardStd, SameCardIsRefusedWithTheReplyFilled)
{
    SerialRig serial;
    HidRig hid;
    serial.link.SetLastIdNo("110101198001010011");
    hid.link.SetLastIdNo("110101198001010011");
    EXPECT_EQ(serial.Std(), kReadSameCard);
    EXPECT_EQ(hid.Std(), kReadSameCard);
    EXPECT_EQ(CardTextFieldString(serial.reply.Text(), kCardName), "张三");
    EXPECT_EQ(CardTextFieldString(hid.reply.Text(), kCardName), "张三");
    serial.link.SetLastIdNo("");
    EXPECT_EQ(serial.Std(), kReadCardOk);
}

TEST(ReadCardStd, SerialPortProblems)
{
    SerialRig rig;
    CardReply reply;
    EXPECT_EQ(rig.link.ReadCardStd("COM0", "10", reply, "115200"), kReadPortFailed);
    EXPECT_EQ(rig.link.ReadCardStd(rig.reader.Path(), "10", reply, "4800"), kReadPortFailed);
    EXPECT_EQ(rig.link.ReadCardStd(rig.reader.Path(), "10", reply, "fast"), kReadPortFailed);
    EXPECT_EQ(rig.link.ReadCardExt("/nonexistent/tty", "10", reply, "9600"), kReadPortFailed);
    SerialDevice holder;
    ASSERT_TRUE(holder.Open(rig.reader.Path(), SerialSettings{}));
    EXPECT_EQ(rig.Std(), kReadPortFailed) << "a port another program holds";
    EXPECT_TRUE(rig.Peer().Commands().empty());
}

TEST(ReadCardStd, PortNameChoosesTheTransport)
{
    for (const char* name : {"USB", "usb", "USB2", "usbx"})
        EXPECT_TRUE(ReaderLink::IsHidPortName(name)) << name;
    for (const char* name : {"US", "COM3", "Usb", "", "/dev/usb"})
        EXPECT_FALSE(ReaderLink::IsHidPortName(name)) << name;
}

TEST(ReadCardStd, SerialRetriesAndSamIdentity)
{
    {
        SerialRig rig; // find card fails on both attempts
        Twice(rig.Peer(), kCmdFindCard, {});
        const std::uint64_t start = rig.Clock().ticks;
        EXPECT_EQ(rig.Std(), kReadExchangeFailed);
        EXPECT_FALSE(rig.link.SamIdRead());
        EXPECT_EQ(rig.Peer().Commands(),
                  (std::vector<ReaderCommand>{kCmdReadSamId, kCmdFindCard, kCmdReadSamId, kCmdFindCard}));
        EXPECT_GE(rig.Clock().ticks - start, 2 * 15000u + 50u);
        rig.Peer().ClearLog();
        EXPECT_EQ(rig.Std(), kReadCardOk);
        EXPECT_EQ(rig.Peer().Commands().front(), kCmdReadSamId)
            << "the next read starts with the SAM identity";
        EXPECT_TRUE(rig.link.SamIdRead());
        rig.Peer().ClearLog();
        rig.link.SetLastIdNo("other");
        EXPECT_EQ(rig.Std(), kReadCardOk);
        EXPECT_EQ(rig.Peer().Commands().front(), kCmdFindCard) << "SAM identity already read";
    }
    {
        SerialRig rig; // SAM identity fails once, then all goes well
        rig.Peer().Script(kCmdReadSamId, {});
        EXPECT_EQ(rig.Std(), kReadCardOk);
        EXPECT_EQ(rig.Peer().Commands(),
                  (std::vector<ReaderCommand>{kCmdReadSamId, kCmdReadSamId, kCmdFindCard, kCmdSelectCard,
                                              kCmdReadTextPhoto, kCmdReadNewAddress}));
    }
    {
        SerialRig rig; // the two attempts are shared by all commands
        rig.Peer().Script(kCmdFindCard, {});
        rig.Peer().Script(kCmdReadTextPhoto, {});
        EXPECT_EQ(rig.Std(), kReadExchangeFailed);
    }
}

TEST(ReadCardStd, ExtensionBoxSwitchesBeforeEachAttempt)
{
    SerialRig rig;
    rig.baud = "9600";
    rig.link.SetBPInUse(true);
    rig.link.SetBPCommand("1B2541");
    rig.Peer().Script(kCmdFindCard, {});
    speed_t seen = B0;
    auto service = rig.reader.pump.onPump;
    rig.reader.pump.onPump = [&] {
        termios t{};
        if (rig.link.Serial().IsOpen() && tcgetattr(rig.link.Serial().Device().Handle(), &t) == 0)
            seen = cfgetospeed(&t);
        service();
    };
    EXPECT_EQ(rig.Std(), kReadCardOk);
    EXPECT_EQ(seen, B9600);
    const std::vector<Byte> sw = {0x1B, 0x25, 0x41};
    const auto& before = rig.Peer().StrayBeforeCommand();
    ASSERT_EQ(rig.Peer().Commands().size(), 7u);
    EXPECT_EQ(before[0], sw);
    EXPECT_EQ(before[2], sw) << "the second attempt switches again";
    for (std::size_t i : {1u, 3u, 4u, 5u, 6u})
        EXPECT_TRUE(before[i].empty()) << i;

    for (const char* command : {"1B2G", ""}) {
        SerialRig other;
        other.link.SetBPInUse(true);
        other.link.SetBPCommand(command);
        EXPECT_EQ(other.Std(), kReadCardOk);
        EXPECT_TRUE(other.Peer().Stray().empty()) << command;
    }
    SerialRig off;
    off.link.SetBPCommand("1B2541");
    EXPECT_EQ(off.Std(), kReadCardOk);
    EXPECT_TRUE(off.Peer().Stray().empty()) << "box not in use";
}

TEST(ReadCardStd, HidReaderMissing)
{
    HidRig rig;
    rig.backend.devices.clear();
    rig.link.SetSamIdRead(true);
    const std::uint64_t start = rig.clock.ticks;
    EXPECT_EQ(rig.Std(), kReadHidNotFound);
    EXPECT_EQ(rig.status, (std::vector<std::string>{"请检查身份证鉴别仪。"}));
    EXPECT_GE(rig.clock.ticks - start, 1500u);
    EXPECT_FALSE(rig.link.SamIdRead());

    HidRig broken;
    broken.backend.devices[0].openFails = true;
    EXPECT_EQ(broken.Std(), kReadHidNotFound);
    EXPECT_FALSE(broken.link.HidFound());

    HidRig ext;
    ext.backend.devices.clear();
    EXPECT_EQ(ext.Ext(), kReadHidNotFound);
    EXPECT_TRUE(ext.status.empty()) << "the extended read shows nothing itself";

    HidRig late; // plugged in after the first search
    late.backend.devices.clear();
    EXPECT_FALSE(late.link.FindHidReader());
    late.backend.devices.push_back(FakeHidBackend::Reader("/dev/hidraw5"));
    EXPECT_EQ(late.Std(), kReadCardOk);
    EXPECT_TRUE(late.link.HidFound());
}

TEST(ReadCardStd, HidSamIdentityOnlyOnce)
{
    HidRig rig;
    EXPECT_EQ(rig.Std(), kReadCardOk);
    EXPECT_TRUE(rig.link.SamIdRead());
    rig.Peer().ClearLog();
    rig.link.SetLastIdNo("someone else");
    EXPECT_EQ(rig.Std(), kReadCardOk);
    EXPECT_EQ(rig.Peer().Commands().front(), kCmdFindCard);
}

TEST(ReadCardStd, NoSecondReadWhileOneRuns)
{
    SerialRig rig;
    int inner = 0;
    auto service = rig.reader.pump.onPump;
    CardReply other;
    rig.reader.pump.onPump = [&] {
        if (inner == 0)
            inner = rig.link.ReadCardExt("USB", "10", other, "115200");
        service();
    };
    EXPECT_EQ(rig.Std(), kReadCardOk);
    EXPECT_EQ(inner, kReadBusy);
}

TEST(ReadCardExt, ResultCodesOverBothTransports)
{
    const Case cases[] = {
        {"card read", nullptr, kReadCardOk, kReadCardOk},
        {"no card", [](ReaderPeer& p) { p.SetCardPresent(false); }, kReadNoCardData, kReadExchangeFailed},
        {"text length 510",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadText, {ExtendedReplyText(0x90, "000001FE", HexPayload(510))});
         },
         kReadBadReply, kReadBadReply},
        {"text length 514",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadText, {ExtendedReplyText(0x90, "00000202", HexPayload(514))});
         },
         kReadBadReply, kReadBadReply},
        {"photo length 2047",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadPhoto, {ExtendedReplyText(0x90, "000007FF", HexPayload(2047))});
         },
         kReadBadReply, kReadBadReply},
        {"photo length 3072",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadPhoto, {ExtendedReplyText(0x90, "00000C00", HexPayload(3072))});
         },
         kReadCardOk, kReadCardOk},
        {"photo length 3073",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadPhoto, {ExtendedReplyText(0x90, "00000C01", HexPayload(3073))});
         },
         kReadBadReply, kReadBadReply},
        {"text payload not hexadecimal",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadText, {ExtendedReplyText(0x90, "00000200", HexPayload(512, "12 4,\"x\""))});
         },
         kReadBadReply, kReadBadReply},
        {"photo payload not hexadecimal",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadPhoto, {ExtendedReplyText(0x90, "00000800", HexPayload(2048, "WL"))});
         },
         kReadBadReply, kReadBadReply},
        {"text silent", [](ReaderPeer& p) { Twice(p, kCmdExtReadText, {}); }, kReadExchangeFailed,
         kReadExchangeFailed},
        {"text silent once", [](ReaderPeer& p) { p.Script(kCmdExtReadText, {}); }, kReadCardOk,
         kReadExchangeFailed},
        {"photo silent once", [](ReaderPeer& p) { p.Script(kCmdExtReadPhoto, {}); }, kReadExchangeFailed,
         kReadExchangeFailed},
        {"photo payload cut short",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadPhoto, {ExtendedReplyText(0x90, "00000800", HexPayload(1000))});
         },
         kReadBadReply, kReadExchangeFailed},
        {"photo refused",
         [](ReaderPeer& p) {
             p.Script(kCmdExtReadPhoto, {ExtendedReplyText(0x41, "00000800", HexPayload(2048))});
         },
         kReadNoCardData, kReadExchangeFailed},
    };
    for (const Case& c : cases) {
        {
            SerialRig rig;
            if (c.setup)
                c.setup(rig.Peer());
            EXPECT_EQ(rig.Ext(), c.serial) << "serial: " << c.name;
            EXPECT_FALSE(rig.link.Serial().IsOpen());
        }
        {
            HidRig rig;
            if (c.setup)
                c.setup(rig.Peer());
            EXPECT_EQ(rig.Ext(), c.hid) << "HID: " << c.name;
        }
    }
}

TEST(ReadCardExt, BuildsTheCardReply)
{
    SerialRig serial;
    HidRig hid;
    ASSERT_EQ(serial.Ext(), kReadCardOk);
    ASSERT_EQ(hid.Ext(), kReadCardOk);
    const std::vector<Byte> text = serial.Peer().Card().TextBlock();
    const std::vector<Byte> photo = serial.Peer().Card().PhotoBlock();
    for (CardReply* reply : {&serial.reply, &hid.reply}) {
        EXPECT_TRUE(std::equal(kExtendedCardHead.begin(), kExtendedCardHead.end(), reply->Data()));
        EXPECT_TRUE(std::equal(text.begin(), text.end(), reply->Text().begin()));
        EXPECT_TRUE(std::equal(photo.begin(), photo.end(), reply->Photo().begin()));
    }
    EXPECT_EQ(serial.Peer().Commands(), (std::vector<ReaderCommand>{kCmdExtReadText, kCmdExtReadPhoto}));
    EXPECT_FALSE(serial.link.SamIdRead());
    EXPECT_TRUE(serial.addresses.empty());

    SerialRig big; // the longest photo reply fits the reply buffer
    std::string payload;
    for (int i = 0; i < 1536; ++i)
        payload += "A5";
    big.Peer().Script(kCmdExtReadPhoto, {ExtendedReplyText(0x90, "00000C00", payload)});
    ASSERT_EQ(big.Ext(), kReadCardOk);
    EXPECT_EQ(big.reply.Data()[kCardReplyPhotoOffset + 1535], 0xA5);
    EXPECT_EQ(big.reply.Data()[kCardReplyPhotoOffset + 1536], 0x00);
}

TEST(ReadCardExt, SameCardAndSwitchCommand)
{
    SerialRig rig;
    rig.link.SetLastIdNo("110101198001010011");
    rig.link.SetBPInUse(true);
    rig.link.SetBPCommand("\"AB\"0D");
    rig.baud = "9600";
    rig.Peer().Script(kCmdExtReadText, {});
    EXPECT_EQ(rig.Ext(), kReadSameCard);
    EXPECT_EQ(rig.Peer().Commands(), (std::vector<ReaderCommand>{kCmdExtReadText, kCmdExtReadText}));
    const std::vector<Byte> sw = {'A', 'B', 0x0D};
    EXPECT_EQ(rig.Peer().StrayBeforeCommand()[0], sw);
    EXPECT_EQ(rig.Peer().StrayBeforeCommand()[1], sw);
    HidRig hid;
    hid.link.SetLastIdNo("110101198001010011");
    EXPECT_EQ(hid.Ext(), kReadSameCard);
    EXPECT_EQ(hid.Peer().Commands().size(), 1u) << "no photo for the card on show";
}

TEST(ReadCardStd, ReaderUnpluggedInTheMiddleOfAReply)
{
    {
        PluggedReader r; // stays away
        r.HangUpInTheCardReply();
        const double cpu = ThreadCpuSeconds();
        const auto wall = std::chrono::steady_clock::now();
        EXPECT_EQ(r.Std(), kReadPortFailed) << "the port is gone when the second attempt opens it";
        EXPECT_LT(ThreadCpuSeconds() - cpu, 0.5) << "the read spun on the dead line";
        EXPECT_LT(std::chrono::steady_clock::now() - wall, std::chrono::seconds(5))
            << "the read waited out its time-out on a line that had hung up";
        EXPECT_EQ(r.line.Peer().Commands(), (std::vector<ReaderCommand>{kCmdReadSamId, kCmdFindCard,
                                                                        kCmdSelectCard, kCmdReadTextPhoto}));
        EXPECT_FALSE(r.link.Serial().IsOpen());
        EXPECT_FALSE(r.link.SamIdRead()) << "a reader that dropped off the line needs its SAM identity again";

        r.line.Reconnect(); // plugged in again
        r.PlugIn();
        r.line.Peer().ClearLog();
        EXPECT_EQ(r.Std(), kReadCardOk) << "the next read after the reader came back";
        ASSERT_FALSE(r.line.Peer().Commands().empty());
        EXPECT_EQ(r.line.Peer().Commands().front(), kCmdReadSamId);
    }
    {
        PluggedReader r; // back before the second attempt
        r.comesBack = true;
        r.HangUpInTheCardReply();
        const double cpu = ThreadCpuSeconds();
        EXPECT_EQ(r.Std(), kReadCardOk);
        EXPECT_LT(ThreadCpuSeconds() - cpu, 0.5);
        EXPECT_EQ(CardTextFieldString(r.reply.Text(), kCardName), "张三");
        EXPECT_EQ(r.line.Peer().Commands(),
                  (std::vector<ReaderCommand>{kCmdReadSamId, kCmdFindCard, kCmdSelectCard, kCmdReadTextPhoto,
                                              kCmdReadSamId, kCmdFindCard, kCmdSelectCard, kCmdReadTextPhoto,
                                              kCmdReadNewAddress}))
            << "the reader plugged in again is asked for its SAM identity first";
    }
}

namespace {

// Cancels the read (as the window closing does) on the third pump after the reader was sent the
// command it keeps silent on; records the time of the cancel.
struct CancelOnSilence
{
    std::uint64_t at = 0;
    bool done = false;

    void Arm(FakePump& pump, FakeClock& clock, ReaderPeer& peer, ReaderLink& link, ReaderCommand silent)
    {
        pump.onPump = [this, &clock, &peer, &link, silent, inner = pump.onPump, after = 0]() mutable {
            if (inner)
                inner();
            if (done || peer.Commands().empty() || peer.Commands().back() != silent || ++after < 3)
                return;
            done = true;
            at = clock.ticks;
            link.CancelRead();
        };
    }
};

struct CancelCase
{
    const char* name;
    bool hid;
    bool extended;
    ReaderCommand silent;
    std::vector<ReaderCommand> sent;
};

template <typename Rig> void RunCancel(const CancelCase& c)
{
    Rig rig;
    rig.Peer().Script(c.silent, {});
    rig.Peer().Script(c.silent, {});
    CancelOnSilence cancel;
    if constexpr (std::is_same_v<Rig, SerialRig>) {
        rig.reader.msPerPump = 100;
        cancel.Arm(rig.reader.pump, rig.Clock(), rig.Peer(), rig.link, c.silent);
    } else {
        cancel.Arm(rig.pump, rig.Clock(), rig.Peer(), rig.link, c.silent);
    }
    EXPECT_EQ(c.extended ? rig.Ext() : rig.Std(), kReadCancelled) << c.name;
    ASSERT_TRUE(cancel.done) << c.name;
    EXPECT_LT(rig.Clock().ticks - cancel.at, 500u) << c.name << ": the wait went on after the cancel";
    EXPECT_EQ(rig.Peer().Commands(), c.sent) << c.name << ": a command went out after the cancel";
    EXPECT_FALSE(rig.link.Serial().IsOpen()) << c.name;
    EXPECT_FALSE(rig.link.Reading()) << c.name;
}

} // namespace

TEST(ReadCancel, AWaitOnASilentReaderEndsAtTheCancelAndNothingMoreIsSent)
{
    const std::vector<ReaderCommand> upToCardData = {kCmdReadSamId, kCmdFindCard, kCmdSelectCard,
                                                     kCmdReadTextPhoto};
    const CancelCase cases[] = {
        {"serial, SAM identity", false, false, kCmdReadSamId, {kCmdReadSamId}},
        {"serial, card data", false, false, kCmdReadTextPhoto, upToCardData},
        {"serial, newest address",
         false,
         false,
         kCmdReadNewAddress,
         {kCmdReadSamId, kCmdFindCard, kCmdSelectCard, kCmdReadTextPhoto, kCmdReadNewAddress}},
        {"serial, extended text", false, true, kCmdExtReadText, {kCmdExtReadText}},
        {"serial, extended photo", false, true, kCmdExtReadPhoto, {kCmdExtReadText, kCmdExtReadPhoto}},
        {"HID, SAM identity", true, false, kCmdReadSamId, {kCmdReadSamId}},
        {"HID, card data", true, false, kCmdReadTextPhoto, upToCardData},
        {"HID, extended text", true, true, kCmdExtReadText, {kCmdExtReadText}},
    };
    for (const CancelCase& c : cases) {
        if (c.hid)
            RunCancel<HidRig>(c);
        else
            RunCancel<SerialRig>(c);
    }
}

TEST(ReadCancel, ThePauseForAMissingHidReaderEndsAtTheCancel)
{
    HidRig rig;
    rig.backend.devices.clear();
    rig.pump.onPump = [&] { rig.link.CancelRead(); };
    const std::uint64_t start = rig.Clock().ticks;
    EXPECT_EQ(rig.Std(), kReadCancelled);
    EXPECT_LT(rig.Clock().ticks - start, 100u);
}

TEST(ReadCancel, ACancelBetweenReadsDoesNotStopTheNextOne)
{
    SerialRig rig;
    rig.link.CancelRead();
    EXPECT_EQ(rig.Std(), kReadCardOk);
}
