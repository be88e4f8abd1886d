#include "reader/HidTransport.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeHidBackend.h"
#include "fakes/FakePump.h"
#include "platform/os/HidrawBackend.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class HidTransportTest : public ::testing::Test
{
protected:
    FakeClock clock;
    FakePump pump;
    FakeHidBackend backend{clock};
    HidTransport hid{clock, pump};

    void SetUp() override
    {
        backend.devices.push_back(FakeHidBackend::Reader("/dev/hidraw0"));
        hid.SetBackend(&backend);
    }

    std::vector<Byte> ReplyWithLen(std::size_t len)
    {
        return StandardReply(kSwSuccess, std::vector<Byte>(len - 4, 0x5A));
    }
};

} // namespace

TEST_F(HidTransportTest, FindsTheFirstMatchingReaderOnly)
{
    backend.devices.clear();
    backend.devices.push_back(FakeHidBackend::Reader("/dev/hidraw0", 0x2722)); // wrong product
    backend.devices.push_back({HidDeviceInfo{"/dev/hidraw1", 0x1234, 0x2721, 65, 65}, false});
    backend.devices.push_back(FakeHidBackend::Reader("/dev/hidraw2"));
    backend.devices.push_back(FakeHidBackend::Reader("/dev/hidraw3"));
    EXPECT_TRUE(hid.FindHidReader());
    EXPECT_EQ(hid.DevicePath(), "/dev/hidraw2");
    EXPECT_EQ(backend.opened, (std::vector<std::string>{"/dev/hidraw2"}));
}

TEST_F(HidTransportTest, FoundOnlyWhenTheDeviceOpened)
{
    backend.devices[0].openFails = true;
    EXPECT_FALSE(hid.FindHidReader());
    EXPECT_FALSE(hid.Found());
    EXPECT_EQ(hid.Exchange(kFrameFindCard), 1);
    HidTransport unbound(clock, pump);
    EXPECT_FALSE(unbound.FindHidReader()) << "no library: nothing is found";
}

TEST_F(HidTransportTest, ReportCountsFollowTheLength)
{
    ASSERT_TRUE(hid.FindHidReader());
    const struct
    {
        std::size_t len;
        unsigned reports;
    } cases[] = {{56, 1}, {57, 2}, {120, 2}, {121, 3}, {122, 3}, {1288, 21}};
    for (const auto& c : cases) {
        const std::vector<Byte> reply = ReplyWithLen(c.len);
        backend.peer.Script(kCmdReadTextPhoto, PeerReply{reply});
        backend.inputPolls = 0;
        // A frame that ends exactly at a report's end (LEN 57, 121, ...) is not taken as complete: the
        // receiver counts 56 LEN bytes in the first report and waits for one more, which the reader
        // here never sends, and gives up.
        const int r = hid.Exchange(kFrameReadTextPhoto);
        if ((c.len + 7) % 64 == 0) {
            EXPECT_EQ(backend.inputPolls, c.reports + HidTransport::kPollRetries) << c.len;
            EXPECT_EQ(r, 1);
            continue;
        }
        ASSERT_EQ(r, 0) << c.len;
        EXPECT_EQ(backend.inputPolls, c.reports) << c.len;
        EXPECT_TRUE(std::equal(reply.begin(), reply.end(), hid.RxFrame().begin())) << c.len;
    }
}

TEST_F(HidTransportTest, EmptyFirstReportsArePolledAgain)
{
    ASSERT_TRUE(hid.FindHidReader());
    backend.emptyReportsBeforeReply = 3;
    EXPECT_EQ(hid.Exchange(kFrameFindCard), 0);
    EXPECT_EQ(backend.inputPolls, 4u);
    EXPECT_GE(clock.ticks - 1'000'000, 15u) << "5 ms between polls";
}

TEST_F(HidTransportTest, LaterZeroReportIsData)
{
    ASSERT_TRUE(hid.FindHidReader());
    std::vector<Byte> body(200, 0);
    body[2] = 0x90;
    const std::vector<Byte> reply = BuildFrame(body); // the second report is all zero
    backend.peer.Script(kCmdReadTextPhoto, PeerReply{reply});
    EXPECT_EQ(hid.Exchange(kFrameReadTextPhoto), 0);
}

TEST_F(HidTransportTest, Failures)
{
    ASSERT_TRUE(hid.FindHidReader());
    std::vector<Byte> badCheck = ReplyWithLen(100);
    badCheck.back() ^= 1;
    std::vector<Byte> badPreamble = ReplyWithLen(20);
    badPreamble[3] = 0;
    std::vector<Byte> huge = {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x10, 0x00, 0, 0, 0x90};
    huge.resize(64, 0x11);
    std::vector<Byte> zeroLen = {0xAA, 0xAA, 0xAA, 0x96, 0x69, 0x00, 0x00, 0x11};
    const struct
    {
        const char* name;
        PeerReply reply;
    } cases[] = {
        {"silence", PeerReply{}},
        {"check byte", PeerReply{badCheck}},
        {"preamble", PeerReply{badPreamble}},
        {"LEN past the frame buffer", PeerReply{huge}},
        {"zero LEN", PeerReply{zeroLen}},
        {"cut short", PeerReply{std::vector<Byte>(badCheck.begin(), badCheck.begin() + 70)}},
        {"later than a second", PeerReply{ReplyWithLen(20), 0, 1500}},
    };
    for (const auto& c : cases) {
        backend.peer.ClearScripts();
        backend.peer.Script(kCmdFindCard, c.reply);
        EXPECT_EQ(hid.Exchange(kFrameFindCard), 1) << c.name;
        clock.Advance(5000);
    }
    backend.peer.ClearScripts();
    backend.failOutput = true;
    backend.inputPolls = 0;
    EXPECT_EQ(hid.Exchange(kFrameFindCard), 1);
    EXPECT_EQ(backend.inputPolls, 0u) << "a failed send must not wait for a reply";
}

TEST_F(HidTransportTest, ModeAndOutputReport)
{
    ASSERT_TRUE(hid.FindHidReader());
    hid.Exchange(kFrameExtReadText);
    EXPECT_EQ(hid.Mode(), 1);
    hid.Exchange(kFrameExtReadPhoto);
    EXPECT_EQ(hid.Mode(), 2);
    hid.Exchange(kFrameSelectCard);
    EXPECT_EQ(hid.Mode(), -1);
    const std::vector<Byte>& last = backend.outputReports.back();
    ASSERT_EQ(last.size(), 65u) << "sent with the reader's output report length";
    EXPECT_EQ(last[0], 0);
    EXPECT_TRUE(std::equal(kFrameSelectCard.begin(), kFrameSelectCard.end(), last.begin() + 1));
}

TEST_F(HidTransportTest, UnusableReportLengthsFallBackToTheReaders)
{
    backend.devices[0].info.inputReportLength = 3;
    backend.devices[0].info.outputReportLength = 0;
    ASSERT_TRUE(hid.FindHidReader());
    EXPECT_EQ(hid.Exchange(kFrameReadTextPhoto), 0);
    EXPECT_EQ(backend.outputReports.back().size(), 65u);
}

TEST_F(HidTransportTest, HugeDescriptorReportLengthsAreBounded)
{
    backend.devices[0].info.inputReportLength = std::size_t{1} << 44;
    backend.devices[0].info.outputReportLength = std::size_t{1} << 44;
    ASSERT_TRUE(hid.FindHidReader());
    EXPECT_EQ(hid.Exchange(kFrameReadTextPhoto), 0);
    EXPECT_EQ(backend.outputReports.back().size(), HidTransport::kTxReportSize);
}

TEST_F(HidTransportTest, ExtendedRepliesNeedTheirHead)
{
    ASSERT_TRUE(hid.FindHidReader());
    EXPECT_EQ(hid.Exchange(kFrameExtReadPhoto), 0);
    EXPECT_EQ(ReadHexLength(std::span<const Byte>(hid.RxFrame()).subspan<11, 8>()), 2048u);
    std::vector<Byte> wrongHead = ExtendedReply(std::vector<Byte>(256, 1));
    wrongHead[10] = 0x95;
    backend.peer.Script(kCmdExtReadText, PeerReply{wrongHead});
    EXPECT_EQ(hid.Exchange(kFrameExtReadText), 1);
    backend.peer.Script(kCmdExtReadText,
                        PeerReply{ExtendedReplyText(0x90, "00001000", std::string(64, '0'))});
    EXPECT_EQ(hid.Exchange(kFrameExtReadText), 1) << "4096 characters do not fit the frame buffer";
}

// A folder laid out like /sys/class/hidraw.
class HidrawTree : public ::testing::Test
{
protected:
    std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("hidraw-" + std::to_string(getpid()));

    void Add(const std::string& node, const std::string& hidId, const std::vector<Byte>& descriptor)
    {
        const auto dev = root / node / "device";
        std::filesystem::create_directories(dev);
        std::ofstream(dev / "uevent") << "DRIVER=hid-generic\nHID_ID=" << hidId << "\nHID_NAME=x\n";
        std::ofstream(dev / "report_descriptor", std::ios::binary)
            .write(reinterpret_cast<const char*>(descriptor.data()), static_cast<long>(descriptor.size()));
    }
    void TearDown() override { std::filesystem::remove_all(root); }
};

// Vendor page, one 64-byte input and one 64-byte output report, no report identities.
const std::vector<Byte> kReaderDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                             0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01,
                                             0x81, 0x02, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02, 0xC0};

TEST_F(HidrawTree, EnumerationInNodeOrderWithReportLengths)
{
    Add("hidraw10", "0003:0000C252:00002721", kReaderDescriptor);
    Add("hidraw2", "0003:0000C252:00002721", kReaderDescriptor);
    Add("hidraw3", "0003:0000046D:0000C077",
        {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x02, 0x75, 0x08, 0x95,
         0x04, 0x81, 0x02, 0x85, 0x03, 0x95, 0x07, 0x81, 0x02, 0xC0});
    Add("hidraw4", "garbage", kReaderDescriptor);
    std::filesystem::create_directories(root / "other");
    HidrawBackend backend(root.string(), "/nodev");
    const std::vector<HidDeviceInfo> found = backend.Enumerate();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].path, "/nodev/hidraw2");
    EXPECT_EQ(found[1].path, "/nodev/hidraw3");
    EXPECT_EQ(found[2].path, "/nodev/hidraw10");
    EXPECT_EQ(found[0].vendorId, 0xC252);
    EXPECT_EQ(found[0].productId, 0x2721);
    EXPECT_EQ(found[0].inputReportLength, 65u);
    EXPECT_EQ(found[0].outputReportLength, 65u);
    EXPECT_EQ(found[1].vendorId, 0x046D);
    EXPECT_EQ(found[1].inputReportLength, 8u) << "largest report (7 bytes) plus the identity";
    EXPECT_EQ(found[1].outputReportLength, 0u);
    EXPECT_EQ(backend.Open(found[0]), nullptr) << "no such node";
}

TEST(HidrawDescriptor, TruncatedOrHostileDescriptorsStayInside)
{
    EXPECT_EQ(HidReportLengthsFromDescriptor({}).input, 0u);
    const std::vector<Byte> cut = {0x75, 0x08, 0x95}; // item announces a byte that is not there
    EXPECT_EQ(HidReportLengthsFromDescriptor(cut).input, 0u);
    const std::vector<Byte> longItem = {0xFE, 0x20, 0x00};
    EXPECT_EQ(HidReportLengthsFromDescriptor(longItem).input, 0u);
    const std::vector<Byte> popOnly = {0xB4, 0xB4, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02};
    EXPECT_EQ(HidReportLengthsFromDescriptor(popOnly).input, 3u);
}

TEST(HidrawNode, ANonHidNodeIsRefused)
{
    HidrawBackend backend;
    EXPECT_EQ(backend.Open(HidDeviceInfo{"/dev/null", 0xC252, 0x2721, 65, 65}), nullptr);
}

namespace {

// A hidraw node of a kernel without the report ioctls: a datagram socket whose reads give one report
// each, as the device sent it (its identity first only when it numbers its reports). Behind it the
// reader answers in 64-byte reports.
class OldKernelNode : public HidBackend
{
public:
    explicit OldKernelNode(bool numbered) : numbered_(numbered)
    {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) == 0) {
            device_ = ends[0];
            reader_ = ends[1];
            fcntl(device_, F_SETFL, O_NONBLOCK);
        }
    }
    ~OldKernelNode() override
    {
        if (device_ >= 0)
            ::close(device_);
        ::close(reader_);
    }
    OldKernelNode(const OldKernelNode&) = delete;
    OldKernelNode& operator=(const OldKernelNode&) = delete;

    ReaderPeer peer;

    std::vector<HidDeviceInfo> Enumerate() override
    {
        return {HidDeviceInfo{"/dev/hidraw7", 0xC252, 0x2721, 65, 65, numbered_}};
    }
    std::unique_ptr<HidDevice> Open(const HidDeviceInfo& info) override
    {
        return HidrawBackend::DeviceOn(std::exchange(device_, -1), info);
    }

    void Service(std::uint64_t nowMs)
    {
        Byte out[256];
        for (ssize_t n; (n = recv(reader_, out, sizeof out, MSG_DONTWAIT)) > 1;)
            peer.Feed(std::span<const Byte>(out + 1, static_cast<std::size_t>(n) - 1), nowMs);
        for (auto bytes = peer.TakeDue(nowMs); !bytes.empty(); bytes = peer.TakeDue(nowMs)) {
            for (std::size_t at = 0; at < bytes.size(); at += 64) {
                std::vector<Byte> report;
                if (numbered_)
                    report.push_back(0x01);
                const std::size_t n = std::min<std::size_t>(64, bytes.size() - at);
                report.insert(report.end(), bytes.begin() + static_cast<long>(at),
                              bytes.begin() + static_cast<long>(at + n));
                report.resize(numbered_ ? 65 : 64, 0);
                ASSERT_EQ(send(reader_, report.data(), report.size(), 0),
                          static_cast<ssize_t>(report.size()));
            }
        }
    }

private:
    bool numbered_;
    int device_ = -1;
    int reader_ = -1;
};

} // namespace

TEST(HidrawNode, ReportsReadWithoutTheIoctlLineUpLikeTheIoctlGivesThem)
{
    for (bool numbered : {false, true}) {
        FakeClock clock;
        FakePump pump;
        OldKernelNode node(numbered);
        pump.onPump = [&] { node.Service(clock.ticks); };
        HidTransport hid(clock, pump);
        hid.SetBackend(&node);
        ASSERT_TRUE(hid.FindHidReader());
        EXPECT_EQ(hid.Exchange(kFrameReadTextPhoto), 0) << (numbered ? "numbered" : "unnumbered");
        const std::vector<Byte> expected = node.peer.DefaultReply(kCmdReadTextPhoto);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), hid.RxFrame().begin()))
            << (numbered ? "numbered" : "unnumbered");
        EXPECT_EQ(node.peer.Commands(), std::vector<ReaderCommand>{kCmdReadTextPhoto});
    }
}

TEST_F(HidrawTree, NumberedReportsAreTold)
{
    Add("hidraw1", "0003:0000C252:00002721", kReaderDescriptor);
    Add("hidraw2", "0003:0000046D:0000C077",
        {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x02, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0xC0});
    const std::vector<HidDeviceInfo> found = HidrawBackend(root.string(), "/nodev").Enumerate();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_FALSE(found[0].numberedReports);
    EXPECT_TRUE(found[1].numberedReports);
}
