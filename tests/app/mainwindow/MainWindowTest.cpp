// The main window offscreen: settings loaded into the controls, each settings control writing its
// own key, the guarded controls, timers, the delayed clear, hiding into the notification area, Esc,
// the picture menu and the outside libraries.
#include "app/mainwindow/MainWindow.h"
#include "app/TimerInterval.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePump.h"
#include "fakes/FakeUiServices.h"
#include "fakes/FileText.h"
#include "odbc/handles/Hdbc.h"
#include "platform/core/Exception.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UpDown.h"
#include "reader/ReaderLink.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

using IniMap = std::map<std::string, std::string>; // "section/key" -> value

// The keys of a settings file, for comparing what a handler changed.
IniMap ParseIni(const std::string& path)
{
    IniMap values;
    std::istringstream in(ReadAll(path));
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            values[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

// What changed from before to after: keys added or changed with their new value ("<gone>" if removed).
IniMap Diff(const IniMap& before, const IniMap& after)
{
    IniMap changed;
    for (const auto& [key, value] : after) {
        auto it = before.find(key);
        if (it == before.end() || it->second != value)
            changed[key] = value;
    }
    for (const auto& [key, value] : before)
        if (!after.count(key))
            changed[key] = "<gone>";
    return changed;
}

class MainWindowTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    FakeClock clock;
    FakePump pump;
    FakeUiServices ui;
    bool trayAvailable = true;
    int terminated = 0;
    QString savePictureAnswer;

    std::string Folder() const { return dir.path().toStdString() + "/"; }
    std::string IniPath() const { return Folder() + "style.ini"; }

    void WriteIni(const std::string& text)
    {
        std::ofstream out(IniPath(), std::ios::binary);
        out << text;
    }

    void CopyBlankTemplates()
    {
        for (const char* name : {"PrintMP.bmp", "PrintSB.bmp"})
            fs::copy_file(fs::path(ZIRA_DIST_DIR) / name, fs::path(Folder()) / name);
    }

    std::unique_ptr<TForm1> Create()
    {
        TForm1Environment env;
        env.ProgramFolder = dir.path().toStdString(); // without its '/': the window adds it
        env.Ui = &ui;
        env.clock = &clock;
        env.pump = &pump;
        env.TrayAvailable = [this] { return trayAvailable; };
        env.Terminate = [this] { ++terminated; };
        env.SavePictureName = [this](QWidget*, const QString&) { return savePictureAnswer; };
        return std::make_unique<TForm1>(std::move(env));
    }
};

TEST_F(MainWindowTest, MissingSettingsGiveTheDefaultsAndWriteNothing)
{
    auto w = Create();
    EXPECT_EQ(w->AppDir, Folder());
    EXPECT_EQ(w->ManagerPassword, "");
    EXPECT_EQ(w->UpDown_AppIdleTimeoutLogout->Position(), 1200);
    EXPECT_EQ(w->UpDown_chkresulttimeout->Position(), 10);
    EXPECT_EQ(w->UpDown_chkprttimeout->Position(), 3);
    EXPECT_EQ(w->ReaderPort, 1001);
    EXPECT_EQ(w->ComboBox_txsz->currentText(), "1001");
    EXPECT_EQ(w->Edit_BPCMD->currentText(), "");
    EXPECT_FALSE(w->CheckBox_UseBP->isChecked());
    EXPECT_EQ(w->Timer1->Interval(), 500); // a stored (or default) 1 becomes 500
    EXPECT_EQ(w->UpDown1->Position(), 500);
    EXPECT_EQ(w->edt_time->text(), "500");
    EXPECT_FALSE(w->CheckBox1->isChecked());
    EXPECT_FALSE(w->Timer1->Enabled());
    EXPECT_TRUE(w->Button1->isEnabled());
    EXPECT_EQ(w->Timer_Sleep->Interval(), 15000);
    EXPECT_FALSE(w->Timer_Sleep->Enabled());
    EXPECT_EQ(w->UpDown2->Position(), 15);
    EXPECT_FALSE(w->CheckBox4->isChecked());
    EXPECT_FALSE(w->chkPrtSetup->isChecked());
    EXPECT_FALSE(w->CheckBox_UseExtCmd->isChecked());
    EXPECT_FALSE(w->Timer_GotoLogin->Enabled());
    EXPECT_FALSE(fs::exists(IniPath())) << "nothing is written when no check box ends up checked";
}

TEST_F(MainWindowTest, StoredSettingsReachTheControlsAndTheFileStaysAsItWas)
{
    const std::string stored =
        "[ManagerPWD]\r\nValue=s3cret\r\n"
        "[ICReader]\r\nCommPort=2001\r\n"
        "[SetupKey]\r\nAppIdleTimeoutLogout=600\r\nChkResultTimeout=20\r\nChkPrtTimeout=7\r\n"
        "BP_CMD=1B2542\r\nUseBP=1\r\nAutoTime=250\r\nAutoReadCard=1\r\n"
        "AutoClearTime=30\r\nAutoSleepClear=1\r\nPrinterSetup=1\r\n";
    WriteIni(stored);
    auto w = Create();
    EXPECT_EQ(w->ManagerPassword, "s3cret");
    EXPECT_EQ(w->UpDown_AppIdleTimeoutLogout->Position(), 600);
    EXPECT_EQ(w->Edit_AppIdleTimeoutLogout->text(), "600");
    EXPECT_EQ(w->UpDown_chkresulttimeout->Position(), 20);
    EXPECT_EQ(w->UpDown_chkprttimeout->Position(), 7);
    EXPECT_EQ(w->ReaderPort, 2001);
    EXPECT_EQ(w->ComboBox_txsz->currentText(), "2001");
    EXPECT_EQ(w->Edit_BPCMD->currentText(), "1B2542");
    EXPECT_TRUE(w->CheckBox_UseBP->isChecked());
    EXPECT_EQ(w->UpDown1->Position(), 250);
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_TRUE(w->Timer1->Enabled()) << "auto read runs from creation on";
    EXPECT_EQ(w->Timer1->Interval(), 250);
    EXPECT_FALSE(w->Button1->isEnabled());
    EXPECT_EQ(w->Timer_Sleep->Interval(), 30000);
    EXPECT_EQ(w->UpDown2->Position(), 30);
    EXPECT_FALSE(w->Timer_Sleep->Enabled()) << "the delayed clear starts only after a read";
    EXPECT_TRUE(w->CheckBox4->isChecked());
    EXPECT_TRUE(w->chkPrtSetup->isChecked());
    // The check boxes' handlers wrote back exactly what was loaded.
    EXPECT_EQ(ReadAll(IniPath()), stored);
}

TEST_F(MainWindowTest, AutoTimeStoredValues)
{
    const struct
    {
        const char* stored;
        int interval;
    } cases[] = {{"1", 500}, {"2", 2}, {"500", 500}, {"32767", 32767}};
    for (const auto& c : cases) {
        WriteIni(std::string("[SetupKey]\r\nAutoTime=") + c.stored + "\r\n");
        auto w = Create();
        EXPECT_EQ(w->Timer1->Interval(), c.interval) << c.stored;
        EXPECT_EQ(w->UpDown1->Position(), c.interval) << c.stored;
    }
}

TEST_F(MainWindowTest, DelayedClearIntervalNeitherOverflowsNorFiresWhenNotPositive)
{
    EXPECT_EQ(SecondsToInterval(15), 15000);
    EXPECT_EQ(SecondsToInterval(3'000'000), INT_MAX);
    EXPECT_EQ(SecondsToInterval(-3'000'000), INT_MIN);
    EXPECT_EQ(SecondsToInterval(INT_MAX), INT_MAX);

    WriteIni("[SetupKey]\r\nAutoClearTime=5000000\r\n");
    {
        auto w = Create();
        EXPECT_EQ(w->Timer_Sleep->Interval(), INT_MAX) << "5e9 ms clamps instead of wrapping";
    }
    WriteIni("[SetupKey]\r\nAutoClearTime=0\r\n");
    auto w = Create();
    EXPECT_EQ(w->Timer_Sleep->Interval(), 0);
    w->Timer_Sleep->SetEnabled(true);
    EXPECT_FALSE(w->Timer_Sleep->Active()) << "an interval of 0 never fires";
}

TEST_F(MainWindowTest, CreationShapesTheWindow)
{
    auto w = Create();
    EXPECT_EQ(w->windowTitle(), "栎衡devazizur v1.0");
    for (QWidget* field :
         std::initializer_list<QWidget*>{w->edt_sfzh, w->edt_xm, w->edt_qfjg, w->edt_yxqx, w->edt_xb,
                                         w->edt_mz, w->edt_csrq, w->memo_xz, w->memo_zxdz})
        EXPECT_FALSE(field->isEnabled()) << field->objectName().toStdString();
    EXPECT_EQ(w->PageControl1->currentWidget(), w->TabSheet1);
    EXPECT_FALSE(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet2)));
    EXPECT_TRUE(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet5)));
    EXPECT_TRUE(w->TrayIcon1->isVisible());
    EXPECT_EQ(w->TrayIcon1->toolTip(), "ziravedur");
    EXPECT_EQ(w->TrayIcon1->contextMenu(), w->PopupMenu_app);
    EXPECT_EQ(w->N3->text(), "隐藏");
    EXPECT_EQ(w->N5->text(), "显示");
    EXPECT_TRUE(w->N6->isSeparator());
    EXPECT_EQ(w->N4->text(), "退出");
    EXPECT_EQ(w->size(), QSize(803, 596));
    EXPECT_EQ(w->img_cardiiphoto_P->size(), QSize(342, 216));
    EXPECT_EQ(w->Image4->size(), QSize(217, 225));
    EXPECT_TRUE(w->btn_printchk->isDefault());
    EXPECT_FALSE(w->btn_setup->isVisibleTo(w.get()));
    EXPECT_EQ(w->FindComponent("Hdbc_Access"), static_cast<TComponent*>(w->Hdbc_Access));
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed())
        << "closing a dialog while the window is hidden must not end the program";
}

namespace {

// The contrast of two colours as the web's accessibility guidelines count it: 1 (none) to 21.
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// The holder's fields are disabled, as they only display: their text must still read well at a
// counter, and no field may lie under the card views below the text page.
TEST_F(MainWindowTest, TheHolderFieldsReadWellAndNoneLiesUnderTheCardViews)
{
    auto w = Create();
    w->show();
    QApplication::processEvents();
    const auto inPanel = [&](const QWidget* widget) {
        return QRect(widget->mapTo(w->Panel1, QPoint(0, 0)), widget->size());
    };
    const QRect page = inPanel(w->TabSheet6);
    for (QWidget* field :
         std::initializer_list<QWidget*>{w->edt_sfzh, w->edt_xm, w->edt_qfjg, w->edt_yxqx, w->edt_xb,
                                         w->edt_mz, w->edt_csrq, w->memo_xz, w->memo_zxdz}) {
        const std::string name = field->objectName().toStdString();
        ASSERT_FALSE(field->isEnabled()) << name;
        const QPalette& colours = field->palette();
        EXPECT_GE(Contrast(colours.color(QPalette::Disabled, QPalette::Text),
                           colours.color(QPalette::Disabled, QPalette::Base)),
                  4.5)
            << name;
        EXPECT_TRUE(page.contains(inPanel(field))) << name << " is cut by its page";
    }
    for (const QLabel* card : {w->img_cardiiphoto_P, w->img_cardiiphoto_B}) {
        EXPECT_FALSE(inPanel(w->PageControl2).intersects(card->geometry()))
            << card->objectName().toStdString();
        EXPECT_TRUE(w->Panel1->contentsRect().contains(card->geometry())) << card->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, ThePortSetUpDialogIsHiddenAtCreationAndDeletedWithTheWindow)
{
    auto dialog = std::make_unique<QWidget>();
    dialog->show();
    QPointer<QWidget> watch = dialog.get();
    TForm1Environment env;
    env.ProgramFolder = Folder();
    env.clock = &clock;
    env.pump = &pump;
    env.TrayAvailable = [] { return false; };
    env.frm_FlashForm = std::move(dialog);
    auto w = std::make_unique<TForm1>(std::move(env));
    ASSERT_TRUE(watch);
    EXPECT_FALSE(watch->isVisible());
    w.reset();
    EXPECT_FALSE(watch);
}

TEST_F(MainWindowTest, EightSettingsControlsStartDisabledAndThePasswordEnablesThem)
{
    auto w = Create();
    const std::vector<QWidget*> guarded = {
        w->ComboBox_txsz, w->UpDown1,   w->CheckBox1,          w->CheckBox_UseBP,
        w->UpDown2,       w->CheckBox4, w->CheckBox_UseExtCmd, w->btn_prtformatadjustment};
    const std::vector<QWidget*> open = {w->chkPrtSetup,
                                        w->UpDown_AppIdleTimeoutLogout,
                                        w->UpDown_chkresulttimeout,
                                        w->UpDown_chkprttimeout,
                                        w->Edit_BPCMD,
                                        w->Button1,
                                        w->btn_EditProject,
                                        w->btn_ChangePWD};
    for (QWidget* c : guarded)
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    for (QWidget* c : open)
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    w->EnableSettingsControls(true);
    for (QWidget* c : guarded)
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
}

TEST_F(MainWindowTest, EachSettingsControlWritesExactlyItsOwnKeys)
{
    const std::string base = "[ICReader]\r\nCommPort=5\r\n[SetupKey]\r\nAutoClearTime=15\r\n";
    const struct
    {
        const char* what;
        std::function<void(TForm1&)> act;
        IniMap expected;
    } cases[] = {
        {"port from the list",
         [](TForm1& w) { w.ComboBox_txsz->setCurrentText("2001"); },
         {{"ICReader/CommPort", "2001"}}},
        {"port with blanks",
         [](TForm1& w) { w.ComboBox_txsz->setEditText(" 3 "); },
         {{"ICReader/CommPort", "3"}}},
        {"port 0", [](TForm1& w) { w.ComboBox_txsz->setEditText("0"); }, {{"ICReader/CommPort", "0"}}},
        {"port COM3", [](TForm1& w) { w.ComboBox_txsz->setEditText("COM3"); }, {}},
        {"port 3a", [](TForm1& w) { w.ComboBox_txsz->setEditText("3a"); }, {}},
        {"port blank", [](TForm1& w) { w.ComboBox_txsz->setEditText("  "); }, {}},
        {"printer set-up",
         [](TForm1& w) { w.chkPrtSetup->setChecked(true); },
         {{"SetupKey/PrinterSetup", "1"}}},
        {"idle timeout",
         [](TForm1& w) { w.UpDown_AppIdleTimeoutLogout->stepBy(1); },
         {{"SetupKey/AppIdleTimeoutLogout", "1201"}}},
        {"result timeout",
         [](TForm1& w) { w.UpDown_chkresulttimeout->stepBy(-1); },
         {{"SetupKey/ChkResultTimeout", "9"}}},
        {"print timeout",
         [](TForm1& w) { w.UpDown_chkprttimeout->stepBy(2); },
         {{"SetupKey/ChkPrtTimeout", "5"}}},
        {"typed timeout", [](TForm1& w) { w.UpDown_chkprttimeout->SetPosition(40); }, {}},
        {"delayed clear on",
         [](TForm1& w) { w.CheckBox4->setChecked(true); },
         {{"SetupKey/AutoSleepClear", "1"}}}, // AutoClearTime=15 is written back unchanged
        {"delayed clear time", [](TForm1& w) { w.UpDown2->stepBy(1); }, {{"SetupKey/AutoClearTime", "16"}}},
        {"extension box",
         [](TForm1& w) { w.CheckBox_UseBP->setChecked(true); },
         {{"SetupKey/UseBP", "1"}, {"SetupKey/BP_CMD", ""}}},
        {"extension command alone", [](TForm1& w) { w.Edit_BPCMD->setCurrentText("1B2543"); }, {}},
        {"auto read on", [](TForm1& w) { w.CheckBox1->setChecked(true); }, {{"SetupKey/AutoReadCard", "1"}}},
        {"auto read interval", [](TForm1& w) { w.UpDown1->stepBy(1); }, {{"SetupKey/AutoTime", "501"}}},
        {"extended commands", [](TForm1& w) { w.CheckBox_UseExtCmd->setChecked(true); }, {}},
    };
    for (const auto& c : cases) {
        WriteIni(base);
        auto w = Create();
        w->EnableSettingsControls(true);
        const IniMap before = ParseIni(IniPath());
        c.act(*w);
        EXPECT_EQ(Diff(before, ParseIni(IniPath())), c.expected) << c.what;
        EXPECT_TRUE(ui.messages.empty()) << c.what;
    }
}

TEST_F(MainWindowTest, PortHandlerChecksItsSenderAndRejectsOverflow)
{
    WriteIni("[ICReader]\r\nCommPort=5\r\n");
    auto w = Create();
    const std::string before = ReadAll(IniPath());

    // Only a combo box whose name ends in "_txsz" counts.
    w->ComboBox_txsz->setEditText("7");
    const std::string afterSeven = ReadAll(IniPath());
    EXPECT_EQ(w->ReaderPort, 7);
    w->Edit_BPCMD->setEditText("9");
    w->ComboBox_txszChange(w->Edit_BPCMD);
    w->ComboBox_txszChange(w->Button1);
    w->ComboBox_txszChange(nullptr);
    EXPECT_EQ(w->ReaderPort, 7);
    EXPECT_EQ(ReadAll(IniPath()), afterSeven);

    // A number beyond an int is the conversion's error, shown by the guard; nothing changes.
    w->ComboBox_txsz->setEditText("99999999999");
    EXPECT_EQ(w->ReaderPort, 7);
    EXPECT_EQ(ReadAll(IniPath()), afterSeven);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("'99999999999' is not a valid integer value"), std::string::npos);
    (void)before;
}

TEST_F(MainWindowTest, DelayedClearSettings)
{
    WriteIni("[SetupKey]\r\nAutoClearTime=20\r\nAutoSleepClear=1\r\n");
    auto w = Create();
    w->EnableSettingsControls(true);
    // Unchecking writes only the switch; interval and time stay.
    IniMap before = ParseIni(IniPath());
    w->CheckBox4->setChecked(false);
    EXPECT_EQ(Diff(before, ParseIni(IniPath())), (IniMap{{"SetupKey/AutoSleepClear", "0"}}));
    EXPECT_EQ(w->Timer_Sleep->Interval(), 20000);
    // The arrows change time and interval even with the switch off.
    w->UpDown2->stepBy(-5);
    EXPECT_EQ(w->Timer_Sleep->Interval(), 15000);
    EXPECT_EQ(ParseIni(IniPath())["SetupKey/AutoClearTime"], "15");
    EXPECT_EQ(w->Edit_SleepClearTime->text(), "15");
}

TEST_F(MainWindowTest, AutoReadSwitchAndInterval)
{
    auto w = Create();
    w->EnableSettingsControls(true);
    w->UpDown1->SetPosition(1);
    w->CheckBox1->setChecked(true);
    EXPECT_TRUE(w->Timer1->Enabled());
    EXPECT_EQ(w->Timer1->Interval(), 1) << "the current position, not the loaded interval";
    EXPECT_FALSE(w->Button1->isEnabled());
    w->UpDown1->stepBy(9);
    EXPECT_EQ(w->Timer1->Interval(), 10);
    EXPECT_TRUE(w->Timer1->Enabled());
    w->CheckBox1->setChecked(false);
    EXPECT_FALSE(w->Timer1->Enabled());
    EXPECT_TRUE(w->Button1->isEnabled());
    EXPECT_EQ(ParseIni(IniPath())["SetupKey/AutoReadCard"], "0");
    w->UpDown1->stepBy(1);
    EXPECT_FALSE(w->Timer1->Enabled()) << "the interval arrows never start the timer";

    // The tick stops the timer for the read and starts it again afterwards.
    w->CheckBox1->setChecked(true);
    bool enabledDuringRead = true;
    pump.onPump = [&] { enabledDuringRead = w->Timer1->Enabled(); };
    w->Timer1Timer(w.get());
    EXPECT_TRUE(w->Timer1->Enabled());
    if (pump.calls > 0) {
        EXPECT_FALSE(enabledDuringRead);
    }

    // Auto read switched off while a read waits: the tick that ends does not start it again.
    pump.onPump = [&] { w->CheckBox1->setChecked(false); };
    w->Timer1Timer(w.get());
    if (pump.calls > 0) {
        EXPECT_FALSE(w->Timer1->Enabled()) << "auto read is off";
        EXPECT_TRUE(w->Button1->isEnabled());
    }
}

TEST_F(MainWindowTest, DelayedClearEmptiesTheCardAndShowsTheBlankFaces)
{
    CopyBlankTemplates();
    auto w = Create();
    const QImage blankFront(QString::fromStdString(Folder() + "PrintMP.bmp"));
    ASSERT_FALSE(blankFront.isNull());

    w->SetLastIdNo("110101198001010011");
    w->CardFields.Name = "张三";
    w->Reader->SetNewAddress("新地址");
    for (QLineEdit* e : {w->edt_xm, w->edt_mz, w->edt_sfzh, w->edt_qfjg, w->edt_yxqx, w->edt_xb, w->edt_csrq})
        e->setText("x");
    w->memo_xz->setPlainText("地址");
    w->memo_zxdz->setPlainText("新地址");
    QPixmap photo(102, 126);
    photo.fill(Qt::red);
    w->Image4->setPixmap(photo);
    w->Image1->setPixmap(photo);
    w->img_cardiiphoto_P->setPixmap(photo);
    w->img_cardiiphoto_B->setPixmap(photo);
    w->Timer_Sleep->SetEnabled(true);

    w->Timer_SleepTimer(w.get());

    EXPECT_FALSE(w->Timer_Sleep->Enabled());
    EXPECT_EQ(w->LastIdNo(), "");
    EXPECT_EQ(w->CardFields.Name, "");
    EXPECT_EQ(w->Reader->NewAddress(), "");
    for (QLineEdit* e : {w->edt_xm, w->edt_mz, w->edt_sfzh, w->edt_qfjg, w->edt_yxqx, w->edt_xb, w->edt_csrq})
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    EXPECT_TRUE(w->memo_xz->toPlainText().isEmpty());
    EXPECT_TRUE(w->memo_zxdz->toPlainText().isEmpty());
    EXPECT_TRUE(w->Image4->pixmap().isNull());
    EXPECT_TRUE(w->Image1->pixmap().isNull());
    EXPECT_EQ(w->img_cardiiphoto_P->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              blankFront.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(w->img_cardiiphoto_B->pixmap().size(),
              QImage(QString::fromStdString(Folder() + "PrintSB.bmp")).size());
}

TEST_F(MainWindowTest, DelayedClearDuringAReadWaitsForTheReadAndNestedReadsAreRefused)
{
    auto w = Create();
    w->edt_xm->setText("张三");
    w->SetLastIdNo("1");
    bool clearedDuringRead = false;
    int pumpsSeen = 0;
    pump.onPump = [&] {
        if (++pumpsSeen > 1)
            return;
        EXPECT_TRUE(w->ReadRunning());
        w->Timer_SleepTimer(w.get()); // the delayed clear falls due while the read waits
        clearedDuringRead = w->edt_xm->text().isEmpty();
        w->Button1Click(w.get()); // a click during the read starts no second read
    };
    w->Button1Click(w.get());
    if (pumpsSeen == 0)
        GTEST_SKIP() << "the read routine did not hand control to the event loop";
    EXPECT_FALSE(clearedDuringRead);
    EXPECT_FALSE(w->ReadRunning());
    EXPECT_TRUE(w->edt_xm->text().isEmpty()) << "the clear runs once the read has finished";
    EXPECT_EQ(w->LastIdNo(), "");
}

TEST_F(MainWindowTest, ShowingTheWindowShowsTheBlankCard)
{
    CopyBlankTemplates();
    auto w = Create();
    EXPECT_TRUE(w->img_cardiiphoto_P->pixmap().isNull());
    w->show();
    EXPECT_FALSE(w->img_cardiiphoto_P->pixmap().isNull());
    EXPECT_FALSE(w->img_cardiiphoto_B->pixmap().isNull());
}

TEST_F(MainWindowTest, FirstActivationHidesOnlyWhenANotificationAreaExists)
{
    for (bool tray : {true, false}) {
        trayAvailable = tray;
        auto w = Create();
        w->show();
        w->FormActivate(w.get());
        EXPECT_EQ(w->FirstActivationDone, 1);
        EXPECT_EQ(w->isVisible(), !tray) << "tray " << tray;
        // Later activations do nothing.
        w->show();
        w->FormActivate(w.get());
        EXPECT_TRUE(w->isVisible());
    }
}

TEST_F(MainWindowTest, TrayMenuAndDoubleClick)
{
    auto w = Create();
    w->show();
    w->FormActivate(w.get());
    ASSERT_FALSE(w->isVisible());
    EXPECT_EQ(w->AppWindowShown, 0);

    w->N5->trigger(); // 显示
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->AppWindowShown, 1);

    // Hidden by other means while the flag still says shown: 显示 does nothing.
    w->hide();
    w->N5->trigger();
    EXPECT_FALSE(w->isVisible());

    // A double-click on the icon shows it in every state and leaves the flag alone.
    emit w->TrayIcon1->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w->isVisible());
    emit w->TrayIcon1->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(w->isVisible());

    w->N3->trigger(); // 隐藏
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->AppWindowShown, 0);
    w->N5->trigger();
    EXPECT_TRUE(w->isVisible());

    EXPECT_EQ(terminated, 0);
    w->N4->trigger(); // 退出
    EXPECT_EQ(terminated, 1);
}

TEST_F(MainWindowTest, MinimisingHidesIntoTheNotificationAreaOnlyWhenThereIsOne)
{
    for (bool tray : {true, false}) {
        trayAvailable = tray;
        auto w = Create();
        w->show();
        w->showMinimized();
        QCoreApplication::processEvents();
        EXPECT_EQ(w->isVisible(), !tray) << "tray " << tray;
    }
}

TEST_F(MainWindowTest, EscapeAnywhereClosesTheWindowAndEndsTheProgram)
{
    const char* targets[] = {"Form1", "ComboBox_txsz", "Button1", "PageControl2"};
    for (const char* name : targets) {
        auto w = Create();
        w->show();
        QWidget* target = w->objectName() == name ? w.get() : w->findChild<QWidget*>(name);
        ASSERT_NE(target, nullptr) << name;
        QTest::keyClick(target, Qt::Key_A);
        EXPECT_TRUE(w->isVisible()) << name;
        EXPECT_EQ(terminated, 0) << name;
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_FALSE(w->isVisible()) << name;
        EXPECT_EQ(terminated, 1) << name;
        terminated = 0;
    }
}

TEST_F(MainWindowTest, PictureMenuCopiesAndSaves)
{
    auto w = Create();
    w->PopupMenu_imgPopup(w.get());
    EXPECT_FALSE(w->N2->isEnabled()) << "nothing to save from an empty picture";
    EXPECT_TRUE(w->N1->isEnabled());

    QImage picture(102, 126, QImage::Format_RGB32);
    picture.fill(QColor(10, 20, 30));
    w->Image1->setPixmap(QPixmap::fromImage(picture));
    w->PopupMenu_imgPopup(w.get());
    EXPECT_TRUE(w->N2->isEnabled());

    w->N1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), picture.size());

    savePictureAnswer.clear(); // cancelled
    w->N2->trigger();
    EXPECT_TRUE(ui.messages.empty());

    savePictureAnswer = QString::fromStdString(Folder() + "saved.bmp");
    w->N2->trigger();
    const QImage saved(savePictureAnswer);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), picture);

    savePictureAnswer = QString::fromStdString(Folder() + "no/such/folder/x.bmp");
    EXPECT_THROW(w->N2Click(w.get()), EFCreateError);
}

TEST_F(MainWindowTest, OutsideLibrariesAreBoundByNameAndMayBeMissing)
{
    {
        auto w = Create();
        const SdtApi& sdt = w->Reader->Sdk().Api();
        EXPECT_FALSE(sdt.Complete());
        EXPECT_EQ(sdt.SDT_GetSAMID, nullptr);
        EXPECT_EQ(w->GetBmp, nullptr);
        EXPECT_FALSE(w->HidFound());
    }
    fs::copy_file(FAKE_SDT_FULL, fs::path(Folder()) / "libsdtapi.so");
    fs::copy_file(FAKE_WLTRS, fs::path(Folder()) / "libwltrs.so");
    {
        auto w = Create();
        const SdtApi& sdt = w->Reader->Sdk().Api();
        EXPECT_TRUE(sdt.Complete());
        ASSERT_NE(w->GetBmp, nullptr);
        EXPECT_NE(w->GetBmp("no-such-file.wlt", 2), 1);
        std::uint32_t textLength = 0, photoLength = 0;
        EXPECT_EQ(sdt.SDT_ReadBaseMsg(1001, nullptr, &textLength, nullptr, &photoLength, 1), 0x80)
            << "no card on the fake reader";
    }
    fs::remove(fs::path(Folder()) / "libsdtapi.so");
    fs::copy_file(FAKE_SDT_PARTIAL_LIB, fs::path(Folder()) / "libsdtapi.so");
    auto w = Create();
    const SdtApi& sdt = w->Reader->Sdk().Api();
    EXPECT_NE(sdt.SDT_ReadBaseMsg, nullptr);
    EXPECT_EQ(sdt.SDT_ReadBaseFPMsg, nullptr);
    EXPECT_FALSE(sdt.Complete());
}

} // namespace
