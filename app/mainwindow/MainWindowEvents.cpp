// TForm1, the main window.
// The main window between reads: auto-read and delayed-clear timers, hiding into the notification
// area and coming back, the two popup menus, keys, closing and the end of the session.
#include "app/mainwindow/MainWindow.h"

#include "platform/core/Exception.h"
#include "platform/core/IniFile.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/UpDown.h"
#include "print/PrintChoiceDialog.h"
#include "reader/ReaderLink.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QSessionManager>
#include <QSystemTrayIcon>

bool TForm1::TrayAvailable() const
{
    return Env.TrayAvailable ? Env.TrayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TForm1::HideProgram()
{
    // Without a notification area there would be no way back to a hidden window.
    if (!TrayAvailable())
        return;
    hide();
}

void TForm1::ShowProgram()
{
    showNormal();
    raise();
    activateWindow();
}

void TForm1::SetStatusText(int panel, const QString& text)
{
    if (panel >= 0 && panel < 2)
        StatusPanel[panel]->setText(text);
}

QString TForm1::StatusText(int panel) const
{
    return panel >= 0 && panel < 2 ? StatusPanel[panel]->text() : QString();
}

// ---- Reading ------------------------------------------------------------------------------------------

bool TForm1::ReadRunning() const
{
    return ReadDepth > 0 || (Reader && Reader->Reading());
}

void TForm1::RunRead()
{
    // A read keeps the event loop moving; a click or a tick during it must not start a second one.
    if (ReadRunning())
        return;
    {
        struct Depth
        {
            int& depth;
            explicit Depth(int& d) : depth(d) { ++depth; }
            ~Depth() { --depth; }
        } running(ReadDepth);
        try {
            ReadCard();
        } catch (...) {
            PrintPending = false;
            throw;
        }
        // A delayed clear that fell due during the read runs now, unless the read showed a new card
        // and started the delayed clear again for it.
        if (ClearPending) {
            ClearPending = false;
            if (!Timer_Sleep->Enabled())
                ClearCard();
        }
    }
    // A print asked for while the fields were being filled runs from the event loop, once the read
    // is over and the auto-read timer runs again.
    if (PrintPending) {
        PrintPending = false;
        QMetaObject::invokeMethod(
            this, [this] { Guarded([&] { btn_printchkClick(this); }); }, Qt::QueuedConnection);
    }
}

void TForm1::Timer1Timer(QObject* Sender)
{
    (void)Sender;
    Timer1->SetEnabled(false);
    RunRead();
    // The read keeps the event loop moving: auto read may have been switched off meanwhile.
    if (CheckBox1->isChecked())
        Timer1->SetEnabled(true);
}

void TForm1::Button1Click(QObject* Sender)
{
    (void)Sender;
    RunRead();
}

void TForm1::CheckBox1Click(QObject* Sender)
{
    (void)Sender;
    if (CheckBox1->isChecked()) {
        Button1->setEnabled(false);
        Timer1->SetEnabled(false);
        Timer1->SetInterval(UpDown1->Position());
        Timer1->SetEnabled(true);
        SettingsIni->WriteInteger("SetupKey", "AutoReadCard", 1);
    } else {
        Button1->setEnabled(true);
        Timer1->SetEnabled(false);
        SettingsIni->WriteInteger("SetupKey", "AutoReadCard", 0);
    }
}

void TForm1::UpDown1Click(QObject* Sender)
{
    (void)Sender;
    Timer1->SetInterval(UpDown1->Position());
    SettingsIni->WriteInteger("SetupKey", "AutoTime", UpDown1->Position());
}

void TForm1::Timer_SleepTimer(QObject* Sender)
{
    (void)Sender;
    Timer_Sleep->SetEnabled(false);
    if (ReadRunning()) {
        // Clearing now would blank a card that is half shown; the read finishes first.
        ClearPending = true;
        return;
    }
    ClearCard();
}

void TForm1::ClearCard()
{
    SetLastIdNo(std::string());
    CardFields.Clear();
    if (Reader)
        Reader->SetNewAddress(std::string());
    for (QLineEdit* field : {edt_xm, edt_mz, edt_sfzh, edt_qfjg, edt_yxqx, edt_xb, edt_csrq})
        field->clear();
    memo_xz->clear();
    memo_zxdz->clear();
    Image4->setPixmap(QPixmap());
    Image4->repaint();
    SetPhotoPagePicture(QPixmap());
    Image1->repaint();
    ShowBlankCard();
}

void TForm1::ResetIdleTimers()
{
    IdleSeconds = 0;
    RestartPrintCountdown();
}

// ---- Window -------------------------------------------------------------------------------------------

void TForm1::FormActivate(QObject* Sender)
{
    (void)Sender;
    if (FirstActivationDone != 0)
        return;
    FirstActivationDone = 1;
    if (!TrayAvailable())
        return; // the window stays on the screen: it is the only way to reach the program
    AppWindowShown = 0;
    HideProgram();
}

void TForm1::FormShow(QObject* Sender)
{
    (void)Sender;
    ShowBlankCard();
}

void TForm1::FormKeyPress(QObject* Sender, QChar& Key)
{
    (void)Sender;
    if (Key == QChar(27))
        close();
}

void TForm1::FormClose(QObject* Sender)
{
    (void)Sender;
}

void TForm1::FormCloseQuery(QObject* Sender, bool& CanClose)
{
    (void)Sender;
    (void)CanClose;
}

void TForm1::N3Click(QObject* Sender)
{
    (void)Sender;
    AppWindowShown = 0;
    HideProgram();
}

void TForm1::N5Click(QObject* Sender)
{
    (void)Sender;
    if (AppWindowShown == 1)
        return;
    AppWindowShown = 1;
    ShowProgram();
}

void TForm1::N4Click(QObject* Sender)
{
    (void)Sender;
    // A read waiting on the reader keeps the event loop from ending until its time-outs have run:
    // it stops now, and the program with it.
    if (Reader)
        Reader->CancelRead();
    if (Env.Terminate)
        Env.Terminate();
    else
        QCoreApplication::quit();
}

void TForm1::PopupMenu_imgPopup(QObject* Sender)
{
    (void)Sender;
    const QPixmap picture = Image1->pixmap();
    N2->setEnabled(!(picture.width() == 0 && picture.height() == 0));
}

void TForm1::N1Click(QObject* Sender)
{
    (void)Sender;
    QGuiApplication::clipboard()->setImage(Image1->pixmap().toImage());
}

void TForm1::N2Click(QObject* Sender)
{
    (void)Sender;
    const QString initialFolder = QString::fromStdString(AppDir);
    QString fileName;
    if (Env.SavePictureName) {
        fileName = Env.SavePictureName(this, initialFolder);
    } else {
        QFileDialog dialog(this, QString(), initialFolder, QStringLiteral("Bitmaps (*.bmp)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("bmp"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            fileName = dialog.selectedFiles().constFirst();
    }
    if (fileName.isEmpty())
        return;
    if (!Image1->pixmap().save(fileName, "BMP"))
        throw EFCreateError("Cannot create file \"" + fileName.toStdString() + "\"");
}

void TForm1::edt_xmKeyPress(QObject* Sender, QChar& Key)
{
    (void)Sender;
    (void)Key;
}

void TForm1::edt_xmKeyDown(QObject* Sender, int& Key)
{
    (void)Sender;
    (void)Key;
}

void TForm1::WMQueryEndSession(QSessionManager& manager)
{
    // The session may end: nothing is asked and nothing is vetoed.
    (void)manager;
}

void TForm1::WMEndSession() {}

// ---- Qt events turned into the form's handlers ---------------------------------------------------------

bool TForm1::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        Guarded([&] { FormActivate(this); });
    return TForm::event(e);
}

void TForm1::showEvent(QShowEvent* e)
{
    TForm::showEvent(e);
    // The form is shown once, when the program starts: hiding to the notification area and coming
    // back stand for the application's window, and must not put the blank card over a card read
    // while hidden.
    if (!e->spontaneous() && !formShown_) {
        formShown_ = true;
        Guarded([&] { FormShow(this); });
    }
}

void TForm1::closeEvent(QCloseEvent* e)
{
    bool canClose = true;
    Guarded([&] { FormCloseQuery(this, canClose); });
    if (!canClose) {
        e->ignore();
        return;
    }
    Guarded([&] { FormClose(this); });
    e->accept();
    // Closing the main window ends the program (other windows closing never do).
    N4Click(this);
}

void TForm1::changeEvent(QEvent* e)
{
    TForm::changeEvent(e);
    // Minimising goes to the notification area, as the tray component did.
    if (e->type() == QEvent::WindowStateChange && isMinimized() && TrayAvailable())
        QMetaObject::invokeMethod(
            this, [this] { hide(); }, Qt::QueuedConnection);
}

bool TForm1::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(e);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && !keyEvent->text().isEmpty()) {
            QChar key = keyEvent->text().at(0);
            const QChar before = key;
            Guarded([&] { FormKeyPress(this, key); });
            if (key == QChar(27) && before == QChar(27))
                return true; // the window is closing; the control does not see the key
            if (key.isNull())
                return true;
        }
    }
    return TForm::eventFilter(watched, e);
}

UiServices& TForm1::CurrentUi() const
{
    return Env.Ui ? *Env.Ui : ::CurrentUi();
}

void TForm1::RestartPrintCountdown()
{
    // The print-choice dialog's countdown starts again from its full interval after a read; the
    // dialog does not exist while the window is being created.
    if (Form12 && Form12->Timer1 && Form12->Timer1->Enabled()) {
        Form12->Timer1->SetEnabled(false);
        Form12->Timer1->SetEnabled(true);
    }
}
