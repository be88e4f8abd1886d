// The read routine through the reader's own protocol: the reader peer answers over a
// pseudo-terminal behind ports/COM1 and over the fake HID backend, with the standard and the
// extended commands. A card is shown with its photo file; a card left on the reader and an empty
// reader give "请放身份证。".
#include "DecoderFiles.h"
#include "app/mainwindow/MainWindow.h"
#include "fakes/FakeHidBackend.h"
#include "fakes/FakeReaderPty.h"
#include "fakes/FakeUiServices.h"
#include "reader/ReaderLink.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<Byte> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "19900105" -> "1990-01-05"
std::string Hyphenated(const std::string& date)
{
    return date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2);
}

enum class Path
{
    Serial,
    Hid
};

struct Route
{
    const char* what;
    Path path;
    bool extended;
};

class ReadCardLinkTest : public ::testing::TestWithParam<Route>
{
protected:
    QTemporaryDir dir;
    FakeUiServices ui;
    std::unique_ptr<FakeReaderPty> pty;
    FakeClock hidClock;
    FakePump hidPump;
    std::unique_ptr<FakeHidBackend> hid;
    int terminated = 0;

    std::string File(const char* name) const { return dir.path().toStdString() + "/" + name; }

    ReaderPeer& Peer() { return GetParam().path == Path::Serial ? pty->Peer() : hid->peer; }

    std::unique_ptr<TForm1> Create()
    {
        InstallDecoderAndTemplates(dir.path().toStdString());
        TForm1Environment env;
        env.ProgramFolder = dir.path().toStdString();
        env.Ui = &ui;
        env.TrayAvailable = [] { return true; };
        env.Terminate = [this] { ++terminated; };
        int port = 0;
        if (GetParam().path == Path::Serial) {
            pty = std::make_unique<FakeReaderPty>();
            pty->msPerPump = 5000;
            fs::create_directories(File("ports"));
            fs::create_symlink(pty->Path(), File("ports/COM1"));
            env.clock = &pty->clock;
            env.pump = &pty->pump;
            port = 1;
        } else {
            hid = std::make_unique<FakeHidBackend>(hidClock);
            hid->devices.push_back(FakeHidBackend::Reader("/dev/hidraw0"));
            env.Hid = hid.get();
            env.clock = &hidClock;
            env.pump = &hidPump;
            port = 2001;
        }
        auto w = std::make_unique<TForm1>(std::move(env));
        w->ReaderPort = port;
        w->CheckBox_UseExtCmd->setChecked(GetParam().extended);
        return w;
    }
};

TEST_P(ReadCardLinkTest, CardIsShownThenTheSameCardAndAnEmptyReaderAreRefused)
{
    auto w = Create();
    const SampleCard card = Peer().Card();
    w->ReadCard();

    EXPECT_EQ(w->StatusText(1).toStdString(), "");
    EXPECT_EQ(w->edt_sfzh->text().toStdString(), card.idNo);
    EXPECT_EQ(w->edt_xm->text().toStdString(), card.name);
    EXPECT_EQ(w->edt_csrq->text().toStdString(), Hyphenated(card.birthDate));
    EXPECT_EQ(w->edt_qfjg->text().toStdString(), card.authority);
    EXPECT_EQ(w->edt_yxqx->text().toStdString(), card.validity);
    EXPECT_EQ(w->memo_xz->toPlainText().toStdString(), card.address);
    EXPECT_EQ(w->LastIdNo(), card.idNo);
    EXPECT_EQ(ReadFile(File("ImgTemp.wlt")), card.PhotoBlock());
    EXPECT_EQ(ReadFile(File("ImgTempPrt.wlt")), card.PhotoBlock());
    if (!GetParam().extended) {
        EXPECT_EQ(w->memo_zxdz->toPlainText().toStdString(), card.newAddress);
    }

    // Still on the reader: the read sequence refuses the card on show.
    w->edt_xm->setText("marker");
    w->ReadCard();
    EXPECT_EQ(w->StatusText(1).toStdString(), "请放身份证。");
    EXPECT_EQ(w->edt_xm->text().toStdString(), "marker");
    EXPECT_FALSE(w->Reader->SamIdRead());

    // Taken off after the delayed clear: nothing to read.
    w->SetLastIdNo("");
    Peer().SetCardPresent(false);
    w->ReadCard();
    EXPECT_EQ(w->StatusText(1).toStdString(), "请放身份证。");
    EXPECT_EQ(w->edt_xm->text().toStdString(), "marker");
}

// Most cards have no newest address: the reader refuses 30 03 for them. The next holder's card must
// not show the newest address of the card before it.
TEST_P(ReadCardLinkTest, ACardWithoutNewestAddressDoesNotShowThePreviousCardsOne)
{
    auto w = Create();
    const std::string previous = Peer().Card().newAddress;
    w->ReadCard();
    if (GetParam().extended) { // the extended commands read no newest address: an earlier read left it
        w->Reader->SetNewAddress(previous);
        w->memo_zxdz->setPlainText(QString::fromStdString(previous));
    }
    ASSERT_EQ(w->memo_zxdz->toPlainText().toStdString(), previous);

    Peer().Card().idNo = "110101199001010022";
    Peer().Card().name = "李四";
    Peer().Script(kCmdReadNewAddress, {StandardReply(0x91, {})});
    w->ReadCard();
    ASSERT_EQ(w->edt_xm->text().toStdString(), "李四");
    EXPECT_EQ(w->memo_zxdz->toPlainText().toStdString(), "");
    EXPECT_EQ(w->Reader->NewAddress(), "");
}

// The window closed while the read waits on a reader that does not answer: the program must end at
// once, not after the reply time-out and a second attempt.
TEST_P(ReadCardLinkTest, ClosingTheWindowDuringASilentReadEndsTheReadAtOnce)
{
    auto w = Create();
    w->show();
    const ReaderCommand silent = GetParam().extended ? kCmdExtReadText : kCmdReadSamId;
    Peer().Script(silent, {});
    Peer().Script(silent, {});
    FakeClock& clock = GetParam().path == Path::Serial ? pty->clock : hidClock;
    FakePump& pump = GetParam().path == Path::Serial ? pty->pump : hidPump;
    std::uint64_t closedAt = 0;
    pump.onPump = [&, inner = pump.onPump, after = 0]() mutable {
        if (inner)
            inner();
        if (closedAt == 0 && !Peer().Commands().empty() && ++after == 2) {
            closedAt = clock.ticks;
            w->close();
        }
    };
    w->edt_xm->setText("marker");
    w->Button1Click(w->Button1);

    ASSERT_NE(closedAt, 0u);
    EXPECT_EQ(terminated, 1);
    EXPECT_LT(clock.ticks - closedAt, 500u) << "the read went on waiting after the close";
    EXPECT_EQ(Peer().Commands(), std::vector<ReaderCommand>{silent}) << "a command went out after the close";
    EXPECT_EQ(w->StatusText(1).toStdString(), "");
    EXPECT_EQ(w->edt_xm->text().toStdString(), "marker");
    EXPECT_FALSE(w->Reader->Reading());
}

INSTANTIATE_TEST_SUITE_P(Routes, ReadCardLinkTest,
                         ::testing::Values(Route{"SerialStandard", Path::Serial, false},
                                           Route{"SerialExtended", Path::Serial, true},
                                           Route{"HidStandard", Path::Hid, false},
                                           Route{"HidExtended", Path::Hid, true}),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
