// TForm1, the main window.
// The settings page: the eight controls the password unlocks, and the handlers through which each
// settings control writes its own style.ini value the moment it changes (loading them is
// TForm1::LoadSettings in MainWindow.cpp).
#include "app/mainwindow/MainWindow.h"

#include "app/PortText.h"
#include "app/TimerInterval.h"
#include "platform/core/IniFile.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UpDown.h"

#include <initializer_list>

void TForm1::EnableSettingsControls(bool enabled)
{
    for (QWidget* control :
         std::initializer_list<QWidget*>{ComboBox_txsz, UpDown1, CheckBox1, CheckBox_UseBP, UpDown2,
                                         CheckBox4, CheckBox_UseExtCmd, btn_prtformatadjustment})
        control->setEnabled(enabled);
}

void TForm1::ComboBox_txszChange(QObject* Sender)
{
    // Beyond the range of an int the conversion raises its error; port and file keep their values.
    const auto port = PortFromSender(Sender);
    if (!port)
        return;
    ReaderPort = *port;
    SettingsIni->WriteInteger("ICReader", "CommPort", *port);
}

void TForm1::chkPrtSetupClick(QObject* Sender)
{
    (void)Sender;
    SettingsIni->WriteInteger("SetupKey", "PrinterSetup", chkPrtSetup->isChecked() ? 1 : 0);
    SettingsIni->UpdateFile();
}

void TForm1::UpDown_AppIdleTimeoutLogoutClick(QObject* Sender)
{
    (void)Sender;
    SettingsIni->WriteInteger("SetupKey", "AppIdleTimeoutLogout", UpDown_AppIdleTimeoutLogout->Position());
    SettingsIni->UpdateFile();
}

void TForm1::UpDown_chkresulttimeoutClick(QObject* Sender)
{
    (void)Sender;
    SettingsIni->WriteInteger("SetupKey", "ChkResultTimeout", UpDown_chkresulttimeout->Position());
    SettingsIni->UpdateFile();
}

void TForm1::UpDown_chkprttimeoutClick(QObject* Sender)
{
    (void)Sender;
    SettingsIni->WriteInteger("SetupKey", "ChkPrtTimeout", UpDown_chkprttimeout->Position());
    SettingsIni->UpdateFile();
}

void TForm1::CheckBox4Click(QObject* Sender)
{
    (void)Sender;
    if (CheckBox4->isChecked()) {
        Timer_Sleep->SetInterval(SecondsToInterval(UpDown2->Position()));
        SettingsIni->WriteInteger("SetupKey", "AutoClearTime", UpDown2->Position());
        SettingsIni->WriteInteger("SetupKey", "AutoSleepClear", 1);
    } else {
        SettingsIni->WriteInteger("SetupKey", "AutoSleepClear", 0);
    }
}

void TForm1::UpDown2Click(QObject* Sender)
{
    (void)Sender;
    Timer_Sleep->SetInterval(SecondsToInterval(UpDown2->Position()));
    SettingsIni->WriteInteger("SetupKey", "AutoClearTime", UpDown2->Position());
}

void TForm1::CheckBox_UseBPClick(QObject* Sender)
{
    (void)Sender;
    SettingsIni->WriteInteger("SetupKey", "UseBP", CheckBox_UseBP->isChecked() ? 1 : 0);
    SettingsIni->WriteString("SetupKey", "BP_CMD", Edit_BPCMD->currentText().toStdString());
}

void TForm1::Timer_GotoLoginTimer(QObject* Sender)
{
    // The idle logout is never started; the counter only exists to be reset.
    (void)Sender;
}
