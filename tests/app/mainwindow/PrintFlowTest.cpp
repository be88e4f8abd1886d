// The print button end to end on the main window with the report form and the print-choice dialog:
// the day counter in a temporary style.ini, the countdown armed from the settings page, what the page
// carries, real PDFs as the printer's output, failures shown and not passed off as prints, and the
// template form's flag.
#include "WindowEnvironment.h"

#include "app/mainwindow/MainWindow.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePump.h"
#include "fakes/FakeUiServices.h"
#include "fakes/FileText.h"
#include "fakes/NoPrinter.h"
#include "platform/core/DateTime.h"
#include "platform/core/IniFile.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UpDown.h"
#include "print/PrintChoiceDialog.h"
#include "print/ReportForm.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

QImage Photo()
{
    QImage photo(102, 126, QImage::Format_RGB32);
    photo.fill(QColor(254, 254, 254));
    for (int y = 30; y < 100; ++y)
        for (int x = 20; x < 80; ++x)
            photo.setPixelColor(x, y, QColor(40, 40, 160));
    return photo;
}

class PrintFlow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"PrintMP.bmp", "PrintSB.bmp"})
            fs::copy_file(fs::path(ZIRA_DIST_DIR) / name, fs::path(Folder()) / name);
        ASSERT_TRUE(Photo().save(QString::fromStdString(Folder() + "ImgTemp.bmp"), "BMP"));
    }

    std::string Folder() const { return dir.path().toStdString() + "/"; }
    std::string IniPath() const { return Folder() + "style.ini"; }
    std::string PdfPath() const { return Folder() + "out.pdf"; }

    void WriteIni(const std::string& text) { std::ofstream(IniPath(), std::ios::binary) << text; }

    // The window with its two forms, as the start-up creates them.
    void Create()
    {
        window = std::make_unique<TForm1>(WindowEnvironment(dir.path().toStdString(), ui, clock, pump));
        form8 = std::make_unique<TForm8>(dir.path().toStdString());
        form12 = std::make_unique<TForm12>(dir.path().toStdString(), window->PrintCopies);
        window->Form8 = form8.get();
        window->Form12 = form12.get();
        QPrinter& printer = form8->QuickRep2->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(PdfPath()));
    }

    void ShowCard(const char* authority = "北京市公安局", const char* validity = "2010010120300101")
    {
        window->edt_xm->setText("张三");
        window->edt_xb->setText("男");
        window->edt_mz->setText("汉");
        window->edt_csrq->setText("1980-01-01");
        window->memo_xz->setPlainText("北京市东城区某某街道一号");
        window->edt_sfzh->setText("110101198001010011");
        window->edt_qfjg->setText(authority);
        window->edt_yxqx->setText(validity);
    }

    // Answers the dialog from inside its own event loop.
    void AnswerDialog(std::function<void(TForm12&)> answer)
    {
        ui.onModal = [this, answer](QDialog& dialog) {
            if (&dialog == form12.get())
                QTimer::singleShot(0, form12.get(), [this, answer] { answer(*form12); });
            return dialog.exec();
        };
    }

    std::string Today() const { return FormatDateTime("yyyymmdd", clock.now); }
    int Count(const std::string& day)
    {
        TIniFile ini(IniPath());
        return ini.ReadInteger("print_id", day, -1);
    }
    bool Printed() const { return fs::exists(PdfPath()) && fs::file_size(PdfPath()) > 0; }

    QTemporaryDir dir;
    FakeClock clock;
    FakePump pump;
    FakeUiServices ui;
    std::unique_ptr<TForm1> window;
    std::unique_ptr<TForm8> form8;
    std::unique_ptr<TForm12> form12;
};

} // namespace

TEST_F(PrintFlow, PrintPressedDuringAReadWaitsForTheRead)
{
    Create();
    ShowCard();
    window->ReaderPort = 1001; // no reader SDK here: the read reports it after keeping the loop moving
    bool pressed = false, printedDuringRead = true;
    int countDuringRead = 0;
    pump.onPump = [&] {
        if (pressed)
            return;
        pressed = true;
        window->btn_printchkClick(window.get());
        printedDuringRead = Printed();
        countDuringRead = Count(Today());
    };
    window->Button1Click(window.get());
    if (!pressed)
        GTEST_SKIP() << "the read routine did not hand control to the event loop";
    EXPECT_FALSE(printedDuringRead) << "no page from fields that are being replaced";
    EXPECT_EQ(countDuringRead, -1);
    for (int i = 0; i < 5 && !Printed(); ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(Printed()) << "the card is printed once the read is over";
    EXPECT_EQ(Count(Today()), 1);
}

TEST_F(PrintFlow, CountedAtPrintAndAtCancelButNotWithoutAuthorityOrValidity)
{
    struct Case
    {
        const char* name;
        const char* authority;
        const char* validity;
        std::function<void(TForm12&)> answer;
        int count;
        bool printed;
        bool images;
    };
    const auto ok = [](TForm12& f) { f.Btn_Ok->click(); };
    const auto cancel = [](TForm12& f) { f.Btn_Cancel->click(); };
    const auto countdown = [](TForm12& f) { f.Timer1->OnTimer()(); };
    const Case cases[] = {
        {"printed", "北京市公安局", "2010010120300101", ok, 1, true, true},
        {"cancelled", "北京市公安局", "2010010120300101", cancel, 1, false, true},
        {"countdown ran out", "北京市公安局", "2010010120300101", countdown, 1, false, true},
        {"no authority", "", "2010010120300101", ok, 0, true, false},
        {"no validity", "北京市公安局", "", ok, 0, true, false},
    };
    for (const Case& c : cases) {
        WriteIni("[SetupKey]\r\nPrinterSetup=1\r\n[print_id]\r\n" + Today() + "=0\r\n");
        fs::remove(PdfPath());
        Create();
        ShowCard(c.authority, c.validity);
        AnswerDialog(c.answer);
        window->btn_printchkClick(window->btn_printchk);
        EXPECT_EQ(Count(Today()), c.count) << c.name;
        EXPECT_EQ(Printed(), c.printed) << c.name;
        EXPECT_EQ(!form8->QuickRep2->Page().FrontImage().isNull(), c.images) << c.name;
        EXPECT_EQ(!form8->QuickRep2->Page().BackImage().isNull(), c.images) << c.name;
        EXPECT_EQ(ui.dialogs.back(), "Form12") << c.name;
        EXPECT_TRUE(ui.messages.empty()) << c.name;
    }
}

TEST_F(PrintFlow, NameAndNumberEmptyChangesNothing)
{
    WriteIni("[SetupKey]\r\nPrinterSetup=1\r\n[print_id]\r\n" + Today() + "=4\r\n");
    Create();
    const std::string before = ReadAll(IniPath());
    window->edt_qfjg->setText("北京市公安局");
    window->edt_yxqx->setText("2010010120300101");
    window->btn_printchkClick(window->btn_printchk);
    EXPECT_EQ(ReadAll(IniPath()), before);
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_FALSE(Printed());
    EXPECT_FALSE(fs::exists(Folder() + "Print_P.bmp"));
}

TEST_F(PrintFlow, PrintWithoutDialogAndANewDaysKey)
{
    WriteIni("[print_id]\r\n" + Today() + "=2\r\n");
    Create();
    ShowCard();
    const std::string firstDay = Today();
    window->btn_printchkClick(window->btn_printchk);
    EXPECT_TRUE(ui.dialogs.empty()); // 打印前设置 off: printed at once
    EXPECT_TRUE(Printed());
    EXPECT_EQ(Count(firstDay), 3);
    EXPECT_EQ(form8->QuickRep2->Page().DateText(), QStringLiteral("2025年12月9日"));
    // The countdown is armed even without the dialog.
    EXPECT_TRUE(form12->Timer1->Enabled());
    EXPECT_EQ(form12->Timer1->Interval(), 3000);

    clock.Advance(24 * 3600 * 1000); // past midnight
    window->btn_printchkClick(window->btn_printchk);
    EXPECT_EQ(Count(Today()), 1);
    EXPECT_EQ(Count(firstDay), 3) << "the earlier day's key stays until the next start";
    EXPECT_EQ(form8->QuickRep2->Page().DateText(), QStringLiteral("2025年12月10日"));
}

TEST_F(PrintFlow, CountdownArmedFromTheSettingsAndCopiesKept)
{
    WriteIni("[SetupKey]\r\nPrinterSetup=1\r\nChkPrtTimeout=10\r\n");
    Create();
    ShowCard();
    window->PrintCopies = 2;
    QString label;
    int interval = 0, presetCopies = 0;
    bool presetCheck = false;
    AnswerDialog([&](TForm12& f) {
        label = f.Label1->text();
        interval = f.Timer1->Interval();
        presetCopies = f.UpDown1->Position();
        presetCheck = f.CheckBox1->isChecked();
        EXPECT_EQ(f.PrintReport, form8->QuickRep2);
        f.UpDown1->SetPosition(3);
        f.Btn_Ok->click();
    });
    window->btn_printchkClick(window->btn_printchk);
    EXPECT_EQ(label, QStringLiteral("10秒之后，自动选择为不打印输出"));
    EXPECT_EQ(interval, 10000);
    EXPECT_EQ(presetCopies, 2);
    EXPECT_TRUE(presetCheck);
    EXPECT_EQ(window->PrintCopies, 3);
    // Three copies on a printer that cannot make copies itself: three pages.
    const std::string pdf = ReadAll(PdfPath());
    EXPECT_NE(pdf.find("/Count 3"), std::string::npos);
}

TEST_F(PrintFlow, StoredTemplateChoiceIsPresetIntoTheDialog)
{
    const struct
    {
        const char* stored;
        int selected;
    } cases[] = {{nullptr, 0}, {"0", 0}, {"5", 0}, {"1", -1}, {"-1", -1}};
    for (const auto& c : cases) {
        WriteIni(c.stored ? std::string("[SetPrintInfo]\r\nSelectTemplateIndex=") + c.stored + "\r\n" : "");
        Create();
        form12->ComboBox1->setCurrentIndex(0);
        window->btn_printchkClick(window->btn_printchk); // nothing on show: only the preset happens
        EXPECT_EQ(form12->ComboBox1->currentIndex(), c.selected) << (c.stored ? c.stored : "none");
    }
}

TEST_F(PrintFlow, ThePageKeepsWhatWasPrintedAndNeverAnEarlierCard)
{
    WriteIni("[SetupKey]\r\nPrinterSetup=1\r\n");
    Create();
    ShowCard();
    // While the dialog is open another card is composed over the files: the page keeps its faces.
    QImage shownFront;
    AnswerDialog([&](TForm12& f) {
        shownFront = form8->QuickRep2->Page().FrontImage();
        QImage other(342, 216, QImage::Format_RGB32);
        other.fill(Qt::red);
        other.save(QString::fromStdString(Folder() + "Print_P.bmp"), "BMP");
        f.Btn_Ok->click();
    });
    window->btn_printchkClick(window->btn_printchk);
    EXPECT_FALSE(shownFront.isNull());
    EXPECT_EQ(form8->QuickRep2->Page().FrontImage(), shownFront);

    // The next card has no validity: its page carries no card images at all, not the last ones.
    ShowCard("北京市公安局", "");
    AnswerDialog([](TForm12& f) { f.Btn_Ok->click(); });
    window->btn_printchkClick(window->btn_printchk);
    EXPECT_TRUE(form8->QuickRep2->Page().FrontImage().isNull());
    EXPECT_TRUE(form8->QuickRep2->Page().BackImage().isNull());
}

TEST_F(PrintFlow, FailedPrintIsShownAndNotPassedOffAsPrinted)
{
    WriteIni("");
    Create();
    ShowCard();
    form8->QuickRep2->Printer().setOutputFileName(QString::fromStdString(Folder() + "missing/out.pdf"));
    window->btn_printchkClick(window->btn_printchk);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "注意");
    EXPECT_NE(ui.messages[0].text.find("missing/out.pdf"), std::string::npos);
    EXPECT_EQ(Count(Today()), 1) << "the count is taken before printing, as it always was";

    // No printer at all.
    ASSERT_TRUE(MakeNoPrinter(form8->QuickRep2->Printer()));
    window->btn_printchkClick(window->btn_printchk);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].caption, "注意");
    EXPECT_EQ(ui.messages[1].text, "没有可用的打印机。");
    EXPECT_EQ(Count(Today()), 2) << "counted when the card went on the page, printed or not";
}

TEST_F(PrintFlow, TemplateFormFlagGoesBackHoweverTheFormEnds)
{
    Create();
    int whileShown = -1;
    ui.onModal = [&](QDialog& dialog) {
        whileShown = window->TemplateFormOpen;
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
        return dialog.exec();
    };
    window->btn_prtformatadjustmentClick(window->btn_prtformatadjustment);
    EXPECT_EQ(whileShown, 1);
    EXPECT_EQ(window->TemplateFormOpen, 0);
    EXPECT_EQ(form8->QuickRep2->Page().DateText(), QStringLiteral("2025年12月9日"));

    ui.onModal = [](QDialog&) -> int { throw std::runtime_error("the form could not be shown"); };
    EXPECT_THROW(window->btn_prtformatadjustmentClick(window->btn_prtformatadjustment), std::runtime_error);
    EXPECT_EQ(window->TemplateFormOpen, 0);
}
