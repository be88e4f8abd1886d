// The print-choice dialog run for real inside exec(): its results, the copies it hands back, what it
// stores, and its countdown, also when the countdown runs out under the printer set-up dialog.
#include "print/PrintChoiceDialog.h"
#include "platform/core/IniFile.h"
#include "print/QuickRep.h"

#include "fakes/FakeUiServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

class PrintChoice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ui.onModal = [](QDialog& dialog) { return dialog.exec(); };
        form.PrintReport = &report;
    }

    // Arms the dialog as the print flow does before a show.
    void Arm(int seconds)
    {
        form.Timer1->SetEnabled(false);
        form.Timer1->SetInterval(seconds * 1000);
        form.Label1->setText(QString::number(seconds) + QStringLiteral("秒之后，自动选择为不打印输出"));
        form.Timer1->SetEnabled(true);
    }
    // The countdown as it ends, without waiting for it.
    void Expire() { form.Timer1->OnTimer()(); }

    // Runs the dialog modally; script runs once its event loop is going.
    int Show(std::function<void()> script)
    {
        QTimer::singleShot(0, &form, std::move(script));
        return form.ShowModal();
    }

    int StoredTemplate()
    {
        TIniFile ini(dir.path().toStdString() + "/style.ini");
        return ini.ReadInteger("SetPrintInfo", "SelectTemplateIndex", -99);
    }

    QTemporaryDir dir;
    FakeUiServices ui;
    int copies = 1;
    TQuickRep report;
    TForm12 form{dir.path().toStdString(), copies};
};

} // namespace

TEST_F(PrintChoice, ButtonsAndCloseBoxGiveTheirResults)
{
    struct Case
    {
        const char* name;
        int index;
        std::function<void(TForm12&)> press;
        int result;
        int stored; // -99: nothing written
    };
    const Case cases[] = {
        {"确 定 on the template", 0, [](TForm12& f) { f.Btn_Ok->click(); }, mrYes, 0},
        {"精简模式", 0, [](TForm12& f) { f.Button4->click(); }, mrYes, -99},
        {"取 消", 0, [](TForm12& f) { f.Btn_Cancel->click(); }, mrCancel, -99},
        {"close box", 0, [](TForm12& f) { f.close(); }, mrCancel, -99},
        {"Esc", 0, [](TForm12& f) { f.reject(); }, mrCancel, -99},
    };
    for (const Case& c : cases) {
        QFile::remove(dir.path() + "/style.ini");
        Arm(3);
        form.ComboBox1->setCurrentIndex(c.index);
        form.UpDown1->SetPosition(2);
        const int result = Show([&] { c.press(form); });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(StoredTemplate(), c.stored) << c.name;
        EXPECT_FALSE(form.isVisible()) << c.name;
        if (c.result == mrYes) {
            // The choice to print stops the countdown and hands the copies over.
            EXPECT_FALSE(form.Timer1->Enabled()) << c.name;
            EXPECT_EQ(copies, 2) << c.name;
            EXPECT_EQ(report.Copies(), 2) << c.name;
        } else {
            // Cancelling leaves the countdown running, as it was armed.
            EXPECT_TRUE(form.Timer1->Enabled()) << c.name;
        }
        copies = 1;
        report.SetCopies(1);
    }
}

TEST_F(PrintChoice, CountdownClosesAsCancel)
{
    Arm(10);
    EXPECT_EQ(form.Timer1->Interval(), 10000);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("10秒之后，自动选择为不打印输出"));
    form.ComboBox1->setCurrentIndex(0);
    EXPECT_EQ(Show([&] { Expire(); }), mrCancel);
    EXPECT_FALSE(form.Timer1->Enabled());
    EXPECT_EQ(StoredTemplate(), -99); // nothing chosen, nothing stored
}

TEST_F(PrintChoice, RealTimerEndsTheDialog)
{
    // The countdown's own timer, wired as in the program, with a short interval.
    form.Timer1->SetEnabled(false);
    form.Timer1->SetInterval(50);
    form.Timer1->SetEnabled(true);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Show([] {}), mrCancel);
    EXPECT_GE(clock.elapsed(), 45);
}

TEST_F(PrintChoice, NoSelectionKeepsTheDialogOpenUntilTheCountdown)
{
    Arm(3);
    form.ComboBox1->setCurrentIndex(-1);
    bool stayedOpen = false;
    const int result = Show([&] {
        form.Btn_Ok->click();
        stayedOpen = form.isVisible() && form.Timer1->Enabled();
        Expire();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(StoredTemplate(), -1);
}

TEST_F(PrintChoice, CopiesFromThePrinterSetupReachTheNextPrint)
{
    report.SetPrinterSetupDialog([](QPrinter& printer, QWidget*) {
        printer.setCopyCount(4);
        return true;
    });
    Arm(3);
    form.ComboBox1->setCurrentIndex(0);
    form.UpDown1->SetPosition(2);
    const int result = Show([&] {
        form.Button1->click();
        EXPECT_EQ(form.UpDown1->Position(), 4);
        form.Btn_Ok->click();
    });
    EXPECT_EQ(result, mrYes);
    EXPECT_EQ(copies, 4);
    EXPECT_EQ(report.Copies(), 4);
}

TEST_F(PrintChoice, CountdownDuringPrinterSetupCancelsAfterItCloses)
{
    bool openWhileSetup = false;
    report.SetPrinterSetupDialog([&](QPrinter& printer, QWidget*) {
        Expire(); // the countdown runs out while the operator is still in the set-up dialog
        openWhileSetup = form.isVisible();
        printer.setCopyCount(3);
        return true;
    });
    Arm(3);
    form.ComboBox1->setCurrentIndex(0);
    const int result = Show([&] { form.Button1->click(); });
    EXPECT_TRUE(openWhileSetup);
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(form.UpDown1->Position(), 3);
    EXPECT_EQ(copies, 1); // not confirmed, so not kept
}

TEST_F(PrintChoice, RealPrintDialogRoundTripsTheCopies)
{
    report.SetCopies(2);
    bool found = false;
    int seenCopies = 0;
    QPrinter* seenPrinter = nullptr;
    // Waits for the set-up dialog to be on screen, sets the copies there and accepts it.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QPrintDialog*>(widget);
            if (!dialog || !dialog->isVisible())
                continue;
            poll.stop();
            seenPrinter = dialog->printer();
            if (auto* spin = dialog->findChild<QSpinBox*>("copies")) {
                found = true;
                seenCopies = spin->value();
                spin->setValue(5);
            }
            dialog->accept();
            return;
        }
    });
    poll.start(10);
    const bool accepted = report.PrinterSetup();
    EXPECT_EQ(seenPrinter, &report.Printer());
    if (!found)
        GTEST_SKIP() << "this Qt's print dialog has no copies box to script";
    EXPECT_TRUE(accepted);
    EXPECT_EQ(seenCopies, 2);
    EXPECT_EQ(report.Copies(), 5);
}
