// TForm1, the main window.
// The main window's creation, settings load and destruction (the settings page's handlers are in
// MainWindowSettings.cpp).
#include "app/mainwindow/MainWindow.h"

#include "app/AppVersion.h"
#include "app/TimerInterval.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/handles/Hdbc.h"
#include "platform/core/IniFile.h"
#include "platform/core/NumberText.h"
#include "platform/core/StringUtils.h"
#include "platform/os/AppDir.h"
#include "platform/os/FileResolver.h"
#include "platform/os/SystemClock.h"
#include "platform/ui/Guard.h"
#include "platform/ui/QtPump.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UpDown.h"
#include "reader/ReaderLink.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSystemTrayIcon>

namespace {

// Runs a step of creation or destruction whose failure must not stop the rest.
template <class Step> void IgnoringErrors(Step&& step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

QIcon TrayImage()
{
    // The icon of the notification area: a small card in the program's colours.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2a, 0x6f, 0xb5));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 6, 28, 20, 3, 3);
    painter.setBrush(Qt::white);
    painter.drawRect(5, 10, 9, 12);
    painter.drawRect(17, 11, 10, 2);
    painter.drawRect(17, 16, 10, 2);
    return QIcon(pixmap);
}

} // namespace

TForm1::TForm1(TForm1Environment env, QWidget* parent) : TForm(nullptr, parent), Env(std::move(env))
{
    setupUi(this);
    CreateComponents();

    // Each control to its handler, through the slot guard. Handlers get the window as their sender
    // unless they need to know the control.
    // The identity number is shown in upper case (the final X of a check digit).
    ConnectGuarded(edt_sfzh, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text != text.toUpper())
            edt_sfzh->setText(text.toUpper());
    });

    ConnectGuarded(ComboBox_txsz, &QComboBox::currentTextChanged, this,
                   [this] { ComboBox_txszChange(ComboBox_txsz); });
    ConnectGuarded(chkPrtSetup, &QCheckBox::toggled, this, [this] { chkPrtSetupClick(this); });
    ConnectGuarded(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(this); });
    ConnectGuarded(CheckBox4, &QCheckBox::toggled, this, [this] { CheckBox4Click(this); });
    ConnectGuarded(CheckBox_UseBP, &QCheckBox::toggled, this, [this] { CheckBox_UseBPClick(this); });
    ConnectGuarded(UpDown1, &TUpDown::Click, this, [this] { UpDown1Click(UpDown1); });
    ConnectGuarded(UpDown2, &TUpDown::Click, this, [this] { UpDown2Click(UpDown2); });
    ConnectGuarded(UpDown_AppIdleTimeoutLogout, &TUpDown::Click, this,
                   [this] { UpDown_AppIdleTimeoutLogoutClick(UpDown_AppIdleTimeoutLogout); });
    ConnectGuarded(UpDown_chkresulttimeout, &TUpDown::Click, this,
                   [this] { UpDown_chkresulttimeoutClick(UpDown_chkresulttimeout); });
    ConnectGuarded(UpDown_chkprttimeout, &TUpDown::Click, this,
                   [this] { UpDown_chkprttimeoutClick(UpDown_chkprttimeout); });

    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(this); });
    ConnectGuarded(btn_printchk, &QPushButton::clicked, this, [this] { btn_printchkClick(this); });
    ConnectGuarded(btn_setup, &QPushButton::clicked, this, [this] { btn_setupClick(this); });
    ConnectGuarded(btn_EditProject, &QPushButton::clicked, this, [this] { btn_EditProjectClick(this); });
    ConnectGuarded(btn_ChangePWD, &QPushButton::clicked, this, [this] { btn_ChangePWDClick(this); });
    ConnectGuarded(btn_prtformatadjustment, &QPushButton::clicked, this,
                   [this] { btn_prtformatadjustmentClick(this); });
    ConnectGuarded(Button3, &QPushButton::clicked, this, [this] { Button3Click(this); });
    ConnectGuarded(Button5, &QPushButton::clicked, this, [this] { Button5Click(this); });
    ConnectGuarded(Button6, &QPushButton::clicked, this, [this] { Button6Click(this); });
    ConnectGuarded(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TabSheet2)
            TabSheet2Show(TabSheet2);
    });

    Timer1->SetOnTimer([this] { Guarded([&] { Timer1Timer(this); }); });
    Timer_Sleep->SetOnTimer([this] { Guarded([&] { Timer_SleepTimer(this); }); });
    Timer_GotoLogin->SetOnTimer([this] { Guarded([&] { Timer_GotoLoginTimer(this); }); });

    ConnectGuarded(PopupMenu_img, &QMenu::aboutToShow, this, [this] { PopupMenu_imgPopup(this); });
    ConnectGuarded(Image1, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& at) { PopupMenu_img->popup(Image1->mapToGlobal(at)); });
    ConnectGuarded(N7, &QAction::triggered, this, [this] { N7Click(this); });
    ConnectGuarded(N1, &QAction::triggered, this, [this] { N1Click(this); });
    ConnectGuarded(N2, &QAction::triggered, this, [this] { N2Click(this); });
    ConnectGuarded(N3, &QAction::triggered, this, [this] { N3Click(this); });
    ConnectGuarded(N5, &QAction::triggered, this, [this] { N5Click(this); });
    ConnectGuarded(N4, &QAction::triggered, this, [this] { N4Click(this); });
    ConnectGuarded(TrayIcon1, &QSystemTrayIcon::activated, this,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                       // A left double-click shows the program in every state; the component leaves
                       // AppWindowShown alone.
                       if (reason == QSystemTrayIcon::DoubleClick)
                           ShowProgram();
                   });
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        ConnectGuarded(app, &QGuiApplication::commitDataRequest, this,
                       [this](QSessionManager& manager) { WMQueryEndSession(manager); });

    // The form previews every key of its controls (Esc closes the window from anywhere in it).
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    FormCreate(this);
}

TForm1::~TForm1()
{
    FormDestroy(this);
}

void TForm1::CreateComponents()
{
    // The form: fixed single border with system menu and minimise only, 宋体 at 16 pixels, centred.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont formFont(QStringLiteral("宋体"));
    formFont.setPixelSize(16);
    setFont(formFont);
    QFont pageFont(QStringLiteral("宋体"));
    pageFont.setPixelSize(14);
    TabSheet5->setFont(pageFont);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // PageControl2 shows its tabs as buttons, of a fixed height: a height from the font's metrics
    // changes with the fallback font the system picks for the tab texts (it grew by 4 pixels once
    // the card faces' fonts were in use), and the text page below has no pixel to give.
    PageControl2->setStyleSheet(
        QStringLiteral("QTabBar::tab { border: 1px solid gray; padding: 3px 12px; height: 19px; }"
                       "QTabBar::tab:selected { background: palette(highlight); "
                       "color: palette(highlighted-text); }"));
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);
    // The operator list: 柜员号 and 姓名 120 pixels wide, grid lines between the cells.
    ListView1->setColumnWidth(1, 120);
    ListView1->setColumnWidth(2, 120);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setStyleSheet(QStringLiteral("QTreeWidget::item { border-right: 1px solid #d0d0d0; "
                                            "border-bottom: 1px solid #d0d0d0; }"
                                            "QTreeWidget::item:selected { background: palette(highlight); "
                                            "color: palette(highlighted-text); }"));

    // Each up-down shows its position in its own number box; the edit bound to it keeps the same text.
    const std::pair<TUpDown*, QLineEdit*> bound[] = {{UpDown1, edt_time},
                                                     {UpDown2, Edit_SleepClearTime},
                                                     {UpDown_AppIdleTimeoutLogout, Edit_AppIdleTimeoutLogout},
                                                     {UpDown_chkresulttimeout, Edit_chkresulttimeout},
                                                     {UpDown_chkprttimeout, Edit_chkprttimeout}};
    for (const auto& [upDown, edit] : bound) {
        edit->setText(QString::number(upDown->Position()));
        connect(upDown, &QSpinBox::valueChanged, edit,
                [edit](int value) { edit->setText(QString::number(value)); });
    }
    UpDown1->SetEditReadOnly(true);
    UpDown2->SetEditReadOnly(true);

    StatusPanel[0] = new QLabel(QStringLiteral("当前状态"), StatusBar1);
    StatusPanel[0]->setMinimumWidth(70);
    StatusPanel[1] = new QLabel(StatusBar1);
    StatusPanel[1]->setMinimumWidth(50);
    StatusBar1->addWidget(StatusPanel[0]);
    StatusBar1->addWidget(StatusPanel[1], 1);

    SetFormName("Form1");
    Hdbc_Access = new THdbc(this);
    Hdbc_Access->SetName("Hdbc_Access");
    Hdbc_Access->SetCursorLib(1);
    Hdbc_Access->SetConnectionPooling(cpDefault);
    // On Hdbc_Access (the first connection among the window's components).
    Table1 = new TOEQuery(this);
    Table1->SetName("Table1");
    Table1->hStmt().SetCursorType(3);
    Table1->hStmt().SetRowCountMethod(rcCustom);
    Table1->SQL().Add("select * from dictionary");
    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer_Sleep = new TTimer(this);
    Timer_Sleep->SetName("Timer_Sleep");
    Timer_GotoLogin = new TTimer(this);
    Timer_GotoLogin->SetName("Timer_GotoLogin");
    Timer1->SetEnabled(false);
    Timer_Sleep->SetEnabled(false);
    Timer_GotoLogin->SetEnabled(false);

    PopupMenu_img = new QMenu(this);
    N7 = PopupMenu_img->addAction(QStringLiteral("显示图像"));
    N8 = PopupMenu_img->addSeparator();
    N1 = PopupMenu_img->addAction(QStringLiteral("拷贝到剪贴板"));
    N2 = PopupMenu_img->addAction(QStringLiteral("另存为..."));
    PopupMenu_app = new QMenu(this);
    N3 = PopupMenu_app->addAction(QStringLiteral("隐藏"));
    N5 = PopupMenu_app->addAction(QStringLiteral("显示"));
    N6 = PopupMenu_app->addSeparator();
    N4 = PopupMenu_app->addAction(QStringLiteral("退出"));
    N7->setObjectName(QStringLiteral("N7"));
    N8->setObjectName(QStringLiteral("N8"));
    N1->setObjectName(QStringLiteral("N1"));
    N2->setObjectName(QStringLiteral("N2"));
    N3->setObjectName(QStringLiteral("N3"));
    N5->setObjectName(QStringLiteral("N5"));
    N6->setObjectName(QStringLiteral("N6"));
    N4->setObjectName(QStringLiteral("N4"));

    TrayIcon1 = new QSystemTrayIcon(TrayImage(), this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setToolTip(QStringLiteral("ziravedur"));
    TrayIcon1->setContextMenu(PopupMenu_app);
}

void TForm1::BindLibraries()
{
    // The reader SDK stays loaded as long as the reader link; a missing library or entry is a
    // normal state that the read reports when it needs the SDK.
    if (Reader)
        Reader->Sdk().Load(AppDir);
}

void TForm1::BindHidReader()
{
    // The search runs at every start, whatever port the settings name: the read sequences search
    // again when the reader was not there yet.
    Reader = std::make_unique<ReaderLink>(GetClock(), GetPump());
    Reader->SetProgramFolder(AppDir);
    Reader->SetHidBackend(Env.Hid);
    Reader->SetOnStatusText(
        [this](const std::string& text) { SetStatusText(1, QString::fromStdString(text)); });
    Reader->SetOnNewAddress([this](const std::string& text) {
        NewAddressRead = true;
        memo_zxdz->setPlainText(QString::fromStdString(text));
    });
    if (!Reader->HidFound())
        Reader->FindHidReader();
}

void TForm1::FreeHidReader()
{
    if (Reader)
        Reader->SetHidBackend(nullptr);
}

bool TForm1::HidFound() const
{
    return Reader && Reader->HidFound();
}

const std::string& TForm1::LastIdNo() const
{
    static const std::string none;
    return Reader ? Reader->LastIdNo() : none;
}

void TForm1::SetLastIdNo(std::string idNo)
{
    if (Reader)
        Reader->SetLastIdNo(std::move(idNo));
}

void TForm1::FormCreate(QObject* Sender)
{
    (void)Sender;
    // Closing a dialog while the window is hidden must not end the program; the window ends it itself.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setQuitOnLastWindowClosed(false);

    if (!Env.clock) {
        OwnClock = std::make_unique<SystemClock>();
        Env.clock = OwnClock.get();
    }
    if (!Env.pump) {
        OwnPump = std::make_unique<QtPump>();
        Env.pump = OwnPump.get();
    }
    AppDir = WithTrailingSlash(Env.ProgramFolder.empty() ? ::AppDir() : Env.ProgramFolder);

    IgnoringErrors([&] {
        (void)winId();
        BindHidReader();
    });
    BindLibraries();

    setWindowTitle(QString());
    setWindowTitle(QStringLiteral("栎衡devazizur ") + QString::fromUtf8(AppVersion));
    TrayIcon1->setVisible(true);

    for (QWidget* field : std::initializer_list<QWidget*>{edt_sfzh, edt_xm, edt_qfjg, edt_yxqx, edt_xb,
                                                          edt_mz, edt_csrq, memo_xz, memo_zxdz}) {
        field->setEnabled(false);
        // Disabled because they only display: their text keeps the colour of enabled text, which
        // reads well at a counter, instead of the style's light grey. (Each field gets its own
        // palette: the page's would not reach them under PageControl2's style sheet.)
        QPalette colours = field->palette();
        colours.setColor(QPalette::Disabled, QPalette::Text, colours.color(QPalette::Active, QPalette::Text));
        field->setPalette(colours);
    }
    ResetIdleTimers();

    PageControl1->setCurrentWidget(TabSheet1);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), false);

    SettingsIni = std::make_unique<TIniFile>(ResolveFile(AppDir, "style.ini"));
    LoadSettings();
    EnableSettingsControls(false);

    IgnoringErrors([&] {
        if (WltDecoder.Load(AppDir))
            GetBmp = WltDecoder.Entry();
    });

    if (Env.frm_FlashForm)
        Env.frm_FlashForm->hide();
}

void TForm1::LoadSettings()
{
    TIniFile& ini = *SettingsIni;
    ManagerPassword = ini.ReadString("ManagerPWD", "Value", "");
    UpDown_AppIdleTimeoutLogout->SetPosition(ini.ReadInteger("SetupKey", "AppIdleTimeoutLogout", 1200));
    UpDown_chkresulttimeout->SetPosition(ini.ReadInteger("SetupKey", "ChkResultTimeout", 10));
    UpDown_chkprttimeout->SetPosition(ini.ReadInteger("SetupKey", "ChkPrtTimeout", 3));

    ReaderPort = ini.ReadInteger("ICReader", "CommPort", 1001);
    {
        // Showing the stored port is not a change made by the user: nothing is written back.
        const QSignalBlocker quiet(ComboBox_txsz);
        ComboBox_txsz->setEditText(QString::number(ReaderPort));
    }
    Edit_BPCMD->setEditText(QString::fromStdString(ini.ReadString("SetupKey", "BP_CMD", "")));
    CheckBox_UseBP->setChecked(ini.ReadInteger("SetupKey", "UseBP", 0) != 0);

    int autoTime = ini.ReadInteger("SetupKey", "AutoTime", 1);
    if (autoTime == 1)
        autoTime = 500;
    Timer1->SetInterval(autoTime);
    UpDown1->SetPosition(autoTime);
    CheckBox1->setChecked(ini.ReadInteger("SetupKey", "AutoReadCard", 0) != 0);

    const int clearTime = ini.ReadInteger("SetupKey", "AutoClearTime", 15);
    Timer_Sleep->SetInterval(SecondsToInterval(clearTime));
    UpDown2->SetPosition(clearTime);
    CheckBox4->setChecked(ini.ReadInteger("SetupKey", "AutoSleepClear", 0) != 0);
    chkPrtSetup->setChecked(ini.ReadInteger("SetupKey", "PrinterSetup", 0) != 0);
}

void TForm1::FormDestroy(QObject* Sender)
{
    (void)Sender;
    if (Destroyed)
        return;
    Destroyed = true;
    // Nothing may fire into a half-destroyed window.
    Timer1->SetEnabled(false);
    Timer_Sleep->SetEnabled(false);
    Timer_GotoLogin->SetEnabled(false);

    IgnoringErrors([&] {
        FreeHidReader();
        Env.frm_FlashForm.reset();
    });
    SettingsIni.reset();
    IgnoringErrors([&] {
        GetBmp = nullptr;
        WltDecoder.Free();
    });
}
