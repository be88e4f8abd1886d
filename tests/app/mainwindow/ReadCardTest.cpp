// The read routine on the main window offscreen. Through the reader SDK, a scripted fake library
// loaded by name from a temporary program folder: a card shown field by field with its photo files,
// the same card ignored until the delayed clear, no card, no device, lengths the SDK gets wrong, and
// a library or entry point that is missing. The port number's ranges choose the path.
#include "DecoderFiles.h"
#include "ProgramDatabase.h"
#include "WindowEnvironment.h"

#include "app/mainwindow/MainWindow.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePump.h"
#include "fakes/FakeUiServices.h"
#include "fakes/sdtapi/FakeSdtApi.h"
#include "platform/core/TextEncoding.h"
#include "platform/os/Library.h"
#include "reader/CardReply.h"
#include "reader/CardText.h"
#include "reader/ReaderLink.h"
#include "tools/readersim/SampleCard.h"

#include <QApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string BinaryDir()
{
    if (const char* dir = std::getenv("ZIRA_BINARY_DIR"))
        return dir;
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path().parent_path();
}

std::string FakeSdk(const char* variant)
{
    return BinaryDir() + "/tests/fakes/sdtapi/" + variant + "/libsdtapi.so";
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The simulator's sample card with a holder of this test's own: an identity number ending in the
// check letter X and a long-term validity.
SampleCard TestCard()
{
    SampleCard card = SampleCard::BuiltIn();
    card.birthDate = "19900105";
    card.address = "北京市东城区景山前街4号";
    card.idNo = "11010119900105123X";
    card.validity = "20100101长期";
    return card;
}

std::vector<std::uint8_t> Photo(std::size_t size = kCardPhotoSize)
{
    std::vector<std::uint8_t> photo(size);
    for (std::size_t i = 0; i < size; ++i)
        photo[i] = std::uint8_t(i * 7 + 3);
    return photo;
}

class ReadCardTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    FakeClock clock;
    FakePump pump;
    FakeUiServices ui;
    TLibrary sdk; // the same library the window loaded: its script and counters
    FakeSdtSetReadFn setRead = nullptr;
    FakeSdtSetLengthsFn setLengths = nullptr;
    FakeSdtCallsFn calls = nullptr;
    FakeSdtLastPortFn lastPort = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // Waiting code (the HID search's notice) moves on with the clock.
        pump.onPump = [this] { clock.Advance(5); };
    }

    std::string Folder() const { return dir.path().toStdString() + "/"; }
    std::string File(const char* name) const { return Folder() + name; }

    void InstallSdk(const char* variant)
    {
        ASSERT_TRUE(fs::exists(FakeSdk(variant))) << FakeSdk(variant) << " not built";
        fs::copy_file(FakeSdk(variant), File("libsdtapi.so"));
        ASSERT_TRUE(sdk.Load(File("libsdtapi.so"))) << sdk.ErrorText();
        setRead = sdk.Proc<FakeSdtSetReadFn>("FakeSdt_SetRead");
        setLengths = sdk.Proc<FakeSdtSetLengthsFn>("FakeSdt_SetLengths");
        calls = sdk.Proc<FakeSdtCallsFn>("FakeSdt_Calls");
        lastPort = sdk.Proc<FakeSdtLastPortFn>("FakeSdt_LastPort");
        ASSERT_TRUE(setRead && setLengths && calls && lastPort);
    }

    void PutCard(const SampleCard& card, const std::vector<std::uint8_t>& photo = Photo())
    {
        const std::vector<std::uint8_t> text = card.TextBlock();
        setRead(0x90, text.data(), std::uint32_t(text.size()), photo.data(), std::uint32_t(photo.size()));
    }
    void SdkAnswers(int result) { setRead(result, nullptr, 0, nullptr, 0); }

    std::unique_ptr<TForm1> Create(int port = 1001)
    {
        InstallDecoderAndTemplates(dir.path().toStdString());
        TForm1Environment env = WindowEnvironment(dir.path().toStdString(), ui, clock, pump);
        env.TrayAvailable = [] { return true; };
        auto w = std::make_unique<TForm1>(std::move(env));
        w->ReaderPort = port;
        return w;
    }

    static std::string Status(const TForm1& w) { return w.StatusText(1).toStdString(); }
};

TEST_F(ReadCardTest, SdkCardIsShownWithItsPhotoFiles)
{
    InstallSdk("full");
    auto w = Create(1001);
    UseProgramDatabase(*w, Folder());
    // As in the running program: shown at start, then hidden to the notification area.
    w->show();
    w->hide();
    PutCard(TestCard());
    w->ReadCard();

    EXPECT_EQ(Status(*w), "");
    EXPECT_EQ(w->edt_sfzh->text().toStdString(), "11010119900105123X");
    EXPECT_EQ(w->edt_xm->text().toStdString(), "张三");
    EXPECT_EQ(w->edt_xb->text().toStdString(), "男") << "the sex code 1 from the code table";
    EXPECT_EQ(w->edt_mz->text().toStdString(), "汉族") << "the nation code 01 from the code table";
    EXPECT_EQ(w->edt_csrq->text().toStdString(), "1990-01-05");
    EXPECT_EQ(w->edt_qfjg->text().toStdString(), "北京市公安局东城分局");
    EXPECT_EQ(w->edt_yxqx->text().toStdString(), "20100101长期");
    EXPECT_EQ(w->memo_xz->toPlainText().toStdString(), "北京市东城区景山前街4号");
    EXPECT_EQ(w->LastIdNo(), "11010119900105123X");
    EXPECT_FALSE(w->edt_xm->isEnabled());
    EXPECT_EQ(ReadFile(File("ImgTemp.wlt")), Photo());
    EXPECT_EQ(ReadFile(File("ImgTempPrt.wlt")), Photo());
    EXPECT_EQ(w->AppWindowShown, 1);
    // The photo was decoded and both faces composed, shown in the card view and on the photo tab.
    EXPECT_FALSE(w->Image4->pixmap().isNull());
    EXPECT_EQ(QImage(QString::fromStdString(File("Print_P.bmp"))).size(), QSize(342, 216));
    EXPECT_EQ(QImage(QString::fromStdString(File("Print_B.bmp"))).size(), QSize(342, 216));
    const auto rgb = [](const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); };
    const QImage shown = rgb(w->img_cardiiphoto_P->pixmap().toImage());
    EXPECT_EQ(shown.size(), QSize(342, 216));
    EXPECT_NE(shown, rgb(QImage(QString::fromStdString(File("PrintMP.bmp"))))) << "not the blank face";
    EXPECT_FALSE(w->Image1->pixmap().isNull());

    EXPECT_EQ(lastPort(), 1001) << "the port number goes to the SDK as it is";
    EXPECT_EQ(calls("SDT_GetSAMID"), 1);
    EXPECT_EQ(calls("SDT_StartFindIDCard"), 1);
    EXPECT_EQ(calls("SDT_SelectIDCard"), 1);
    EXPECT_EQ(calls("SDT_ReadBaseMsg"), 1);
    EXPECT_EQ(calls("SDT_ReadBaseFPMsg"), 0);
    EXPECT_TRUE(w->Reader->SamIdRead());

    w->ReadCard(); // a second card read sends the SAM identity no more
    EXPECT_EQ(calls("SDT_GetSAMID"), 1);
}

TEST_F(ReadCardTest, SameCardIsIgnoredUntilTheDelayedClear)
{
    InstallSdk("full");
    auto w = Create(1999);
    PutCard(TestCard());
    w->ReadCard();
    ASSERT_EQ(w->LastIdNo(), "11010119900105123X");

    w->edt_xm->setText("marker");
    w->edt_xm->setEnabled(true);
    fs::remove(File("ImgTemp.wlt"));
    SampleCard changed = TestCard();
    changed.name = "李四"; // same number: still the card on show
    PutCard(changed);
    w->ReadCard();
    EXPECT_EQ(Status(*w), "");
    EXPECT_EQ(w->edt_xm->text().toStdString(), "marker") << "fields unchanged";
    EXPECT_FALSE(w->edt_xm->isEnabled()) << "the controls are still locked";
    EXPECT_FALSE(fs::exists(File("ImgTemp.wlt"))) << "no photo written";

    w->SetLastIdNo(""); // what the delayed clear does
    w->ReadCard();
    EXPECT_EQ(w->edt_xm->text().toStdString(), "李四");
}

TEST_F(ReadCardTest, SdkFailuresAndTheirStatusTexts)
{
    struct Case
    {
        const char* what;
        int result;
        bool withCard;
        std::uint32_t textLength, photoLength; // reported by the SDK when withCard
        std::string status;
        bool samIdStays;
    };
    const Case cases[] = {
        {"no card", 0x80, false, 0, 0, "请放身份证。", false},
        {"device not connected", 1, false, 0, 0, "请连接设备。", true},
        {"0x91 with both lengths", 0x91, true, 256, 1024, "请放身份证。", false},
        {"0x90 without photo", 0x90, true, 256, 0, "请放身份证。", false},
        {"0x90 without text", 0x90, true, 0, 1024, "请放身份证。", false},
    };
    InstallSdk("full");
    auto w = Create(1001);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w->Reader->SetSamIdRead(true);
        w->SetStatusText(1, "earlier");
        const std::vector<std::uint8_t> text = TestCard().TextBlock();
        const std::vector<std::uint8_t> photo = Photo();
        setRead(c.result, text.data(), std::uint32_t(text.size()), photo.data(), std::uint32_t(photo.size()));
        setLengths(c.textLength, c.photoLength);
        w->ReadCard();
        EXPECT_EQ(Status(*w), c.status);
        EXPECT_EQ(w->Reader->SamIdRead(), c.samIdStays);
        EXPECT_EQ(w->edt_sfzh->text().toStdString(), "");
        EXPECT_FALSE(fs::exists(File("ImgTemp.wlt")));
    }
}

TEST_F(ReadCardTest, SdkLengthsNeverReachPastTheBuffer)
{
    struct Case
    {
        std::uint32_t textLength, photoLength;
        std::size_t written;
    };
    const Case cases[] = {
        {256, 1024, 1024},
        {256, 100000, kCardReplyBufferSize - kCardReplyPhotoOffset},
        {0xFFFFFF00u, 1024, 0},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0},
    };
    InstallSdk("full");
    int n = 0;
    for (const Case& c : cases) {
        auto w = Create(1001);
        SampleCard card = TestCard();
        card.idNo = "11010119900105100" + std::to_string(n++); // a new card each time
        PutCard(card);
        setLengths(c.textLength, c.photoLength);
        w->ReadCard();
        EXPECT_EQ(w->edt_sfzh->text().toStdString(), card.idNo);
        EXPECT_EQ(ReadFile(File("ImgTemp.wlt")).size(), c.written) << c.textLength << "/" << c.photoLength;
    }
}

TEST_F(ReadCardTest, AnSdkThatWritesLessThanItReportsNeverShowsTheCardBefore)
{
    InstallSdk("full");
    auto w = Create(1001);
    PutCard(TestCard(), std::vector<std::uint8_t>(kCardPhotoSize, 0xAA));
    w->ReadCard();
    ASSERT_EQ(w->edt_qfjg->text().toStdString(), "北京市公安局东城分局");

    // The next card's text stops after the identity number and its photo after 100 bytes, while the
    // SDK reports the full lengths: what it left unwritten is not the card before's.
    SampleCard next = TestCard();
    next.idNo = "110101199001051011";
    const std::vector<std::uint8_t> text = next.TextBlock();
    const std::vector<std::uint8_t> photo(100, 0xBB);
    setRead(0x90, text.data(), 158, photo.data(), std::uint32_t(photo.size()));
    setLengths(256, kCardPhotoSize);
    w->ReadCard();
    ASSERT_EQ(w->edt_sfzh->text().toStdString(), next.idNo);
    EXPECT_EQ(w->edt_qfjg->text().toStdString(), "");
    EXPECT_EQ(w->edt_yxqx->text().toStdString(), "");
    std::vector<std::uint8_t> expected(kCardPhotoSize, 0);
    std::fill_n(expected.begin(), photo.size(), 0xBB);
    EXPECT_EQ(ReadFile(File("ImgTemp.wlt")), expected);
}

TEST_F(ReadCardTest, SdkWithoutEveryEntryPointIsNotCalled)
{
    InstallSdk("nofp");
    auto w = Create(1001);
    PutCard(TestCard());
    w->ReadCard();
    EXPECT_EQ(Status(*w), "请检查身份证接口库是否存在。");
    EXPECT_EQ(calls("SDT_GetSAMID") + calls("SDT_ReadBaseMsg"), 0);
    EXPECT_FALSE(w->Reader->SamIdRead());
    EXPECT_EQ(w->edt_sfzh->text().toStdString(), "");
}

TEST_F(ReadCardTest, NoSdkLibrary)
{
    auto w = Create(1500);
    w->ReadCard();
    EXPECT_EQ(Status(*w), "请检查身份证接口库是否存在。");
}

TEST_F(ReadCardTest, PortNumberChoosesThePath)
{
    InstallSdk("full");
    PutCard(TestCard());
    struct Case
    {
        int port;
        bool sdk;
        std::string status; // no serial port and no HID reader here
    };
    const Case cases[] = {
        {1000, false, "请连接设备。"}, // serial COM1000, which does not exist
        {999, false, "请连接设备。"},  //
        {1001, true, ""},              //
        {1999, true, ""},              //
        {2000, false, "请放身份证。"}, // HID, no reader found
        {2001, false, "请放身份证。"},
    };
    int n = 0;
    for (const Case& c : cases) {
        auto w = Create(c.port);
        const int before = calls("SDT_ReadBaseMsg");
        SampleCard card = TestCard();
        card.idNo = "11010119900105200" + std::to_string(n++);
        PutCard(card);
        w->ReadCard();
        EXPECT_EQ(calls("SDT_ReadBaseMsg") - before, c.sdk ? 1 : 0) << c.port;
        EXPECT_EQ(Status(*w), c.status) << c.port;
    }
}

TEST_F(ReadCardTest, PhotoThatCannotBeDecodedNeverShowsTheEarlierCard)
{
    InstallSdk("full");
    auto w = Create(1001);
    PutCard(TestCard());
    w->ReadCard();
    ASSERT_TRUE(fs::exists(File("Print_P.bmp")));
    ASSERT_FALSE(w->Image4->pixmap().isNull());

    // The next holder's photo cannot be decoded: no decoder at all, reported like a decoder error.
    w->GetBmp = nullptr;
    SampleCard next = TestCard();
    next.name = "李四";
    next.idNo = "110101199001051001";
    PutCard(next);
    w->ReadCard();
    EXPECT_EQ(Status(*w), "转换二代证图像文件错误，错误代码：0");
    EXPECT_EQ(w->edt_xm->text().toStdString(), "李四");
    const auto rgb = [](const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); };
    EXPECT_EQ(rgb(w->img_cardiiphoto_P->pixmap().toImage()),
              rgb(QImage(QString::fromStdString(File("PrintMP.bmp")))))
        << "the card view shows the blank front, not the earlier holder's face";
    EXPECT_EQ(rgb(w->img_cardiiphoto_B->pixmap().toImage()),
              rgb(QImage(QString::fromStdString(File("PrintSB.bmp")))));
    EXPECT_TRUE(w->Image4->pixmap().isNull()) << "no earlier photo beside the new fields";
    EXPECT_TRUE(w->Image1->pixmap().isNull());
}

// The photo at its own size in the middle of its view, the photo page's picture as large as it is,
// and an address of the card's full 35 characters readable in both address boxes without scrolling.
TEST_F(ReadCardTest, PhotoViewsAndAddressBoxesShowTheWholeCard)
{
    InstallSdk("full");
    auto w = Create(1001);
    w->show();
    SampleCard card = TestCard();
    card.address = "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五";
    PutCard(card);
    w->ReadCard();
    w->memo_zxdz->setPlainText(QString::fromStdString(card.address));
    QApplication::processEvents();

    const QImage photo =
        QImage(QString::fromStdString(File("ImgTemp.bmp"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(photo.isNull());
    EXPECT_EQ(w->Image4->size(), QSize(217, 225));
    const QImage view = w->Image4->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint corner((217 - photo.width()) / 2, (225 - photo.height()) / 2);
    EXPECT_EQ(view.copy(QRect(corner, photo.size())), photo)
        << "the photo is not shown centred at its own size";

    ASSERT_FALSE(w->Image1->pixmap().isNull());
    EXPECT_EQ(w->Image1->size(), w->Image1->pixmap().size()) << "the photo page's picture is cut";

    EXPECT_EQ(w->memo_xz->toPlainText().toStdString(), card.address);
    for (QPlainTextEdit* memo : {w->memo_xz, w->memo_zxdz}) {
        EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0) << memo->objectName().toStdString();
        EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0) << memo->objectName().toStdString();
    }
}

TEST_F(ReadCardTest, TemplateFormOpenKeepsTheWindowWhereItIs)
{
    InstallSdk("full");
    auto w = Create(1001);
    w->TemplateFormOpen = 1;
    w->AppWindowShown = 0;
    PutCard(TestCard());
    w->ReadCard();
    EXPECT_EQ(w->edt_sfzh->text().toStdString(), "11010119900105123X");
    EXPECT_EQ(w->AppWindowShown, 0);
}

} // namespace
