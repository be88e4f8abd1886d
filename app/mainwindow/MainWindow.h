// TForm1, the main window.
#pragma once
// The main window: owner of the program's state between start-up and exit (settings object, reader
// link, timers, tray icon, card views, settings page). Its behaviour is split over several files so
// that each concern stays readable:
//   MainWindow.cpp          creation, settings load, destruction, settings page handlers
//   MainWindowEvents.cpp    timers, tray icon, menus, keyboard and session handling
//   MainWindowReadCard.cpp  the card read routine ReadCard: a read's reply shown (fields, photo)
//   MainWindowPrint.cpp     photo decoding, card views, printing and template adjustment
//   MainWindowAdmin.cpp     administrator password gate and operator page
#include "platform/ui/Form.h"
#include "print/PhotoDecoder.h"
#include "reader/CardReply.h"
#include "ui_MainWindow.h"

#include <QLabel>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

class Clock;
class Pump;
class QMenu;
class QSessionManager;
class QSystemTrayIcon;
class QFileDialog;
class QPixmap;
class TIniFile;
class TTimer;
class UiServices;
class HidBackend;
class ReaderLink;
class TForm8;
class TForm12;
class Tfrm_chkisexists;
class THdbc;
class TOEQuery;

// What the window needs from its surroundings. The start-up fills it with the real services; tests
// give fakes, a temporary program folder and a scripted notification area.
struct TForm1Environment
{
    std::string ProgramFolder;           // the program folder, with or without its trailing '/'
    UiServices* Ui = nullptr;            // message boxes and modal dialogs
    Clock* clock = nullptr;              // time for waiting code
    Pump* pump = nullptr;                // keeps the event loop moving while a read waits
    HidBackend* Hid = nullptr;           // hidraw devices (a fake one in tests)
    std::function<bool()> TrayAvailable; // whether a notification area exists; empty: ask Qt
    std::function<void()> Terminate;     // ends the message loop; empty: QCoreApplication::quit
    // Asks for the file to save the picture in (initial folder, default suffix "bmp"); an empty
    // result means cancelled. Empty: the standard save dialog.
    std::function<QString(QWidget* parent, const QString& initialFolder)> SavePictureName;
    // The reader port set-up dialog made by the start-up; the window hides it and deletes it.
    std::unique_ptr<QWidget> frm_FlashForm;
};

// The controls are the members of Ui_TForm1, generated from forms/MainWindow.ui, under the names in
// that file (edt_xm, memo_zxdz, btn_printchk, ComboBox_txsz, ...); the window owns them.
class TForm1 : public TForm, public Ui_TForm1
{
    Q_OBJECT

public:
    // Runs the creation handler FormCreate; the environment's services must outlive the window.
    explicit TForm1(TForm1Environment env, QWidget* parent = nullptr);
    // Runs the destruction handler FormDestroy.
    ~TForm1() override;

    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // ---- State shared with the read routine and the print flow -------------------------------------

    // The program folder, always ending in '/'; every working file is AppDir + its name.
    std::string AppDir;
    // The one settings object on AppDir + "style.ini"; lives as long as the window.
    TIniFile& Settings() { return *SettingsIni; }
    std::unique_ptr<TIniFile> SettingsIni;

    std::string ManagerPassword; // [ManagerPWD] Value, plain text
    int ReaderPort = 1001;       // [ICReader] CommPort: <=1000 serial COMn, 1001..1999 SDK, >=2000 HID

    // The reader link: read sequences over serial or HID, the read through the reader SDK (loaded
    // into it at creation), and the state they share with the read routine (SamIdRead, BPInUse,
    // BPCommand, LastIdNo, NewAddress). Created at creation, with the HID reader searched for once.
    std::unique_ptr<ReaderLink> Reader;
    bool HidFound() const;

    // The texts of the card on show kept besides the controls; together with the reader link's
    // LastIdNo and NewAddress they are the sixteen texts the delayed clear empties. LastIdNo is the
    // identity number of that card: the same card is not shown twice while it holds.
    struct CardFieldStrings
    {
        std::string Name, Validity, Authority, AuthorityCopy, SexText, SexCode, SexLetter, NationText,
            NationCode, BirthStored, BirthShown, Address, AddressCopy, Unused;
        void Clear() { *this = CardFieldStrings{}; }
    } CardFields;
    const std::string& LastIdNo() const;
    void SetLastIdNo(std::string idNo);

    // The reader's reply buffer: 65535 bytes, text from byte 14, photo from byte 270.
    CardReply CardReplyBuffer;

    // The photo decoder's entry point (WltDecoder), bound at creation; null when missing.
    GetBmpFunction GetBmp = nullptr;

    int AppWindowShown = 0;      // 1 after the last show by the tray menu or a read, 0 after a hide
    int FirstActivationDone = 0; // set by the first activation, which hides the program
    int TemplateFormOpen = 0;    // 1 while the report form is open for template adjustment
    int PrintCopies = 1;         // copies preset into the print-choice dialog, kept in memory only
    int IdleSeconds = 0;         // idle counter; the idle timer never runs

    // Forms created by the start-up after the window; null while they do not exist.
    TForm8* Form8 = nullptr;
    TForm12* Form12 = nullptr;
    Tfrm_chkisexists* frm_chkisexists = nullptr; // the notice the read routine hides

    const TForm1Environment& Environment() const { return Env; }
    UiServices& CurrentUi() const;
    Clock& GetClock() const { return *Env.clock; }
    Pump& GetPump() const { return *Env.pump; }
    HidBackend* Hid() const { return Env.Hid; }

    // ---- Components created in code ---------------------------------------------------------------
    // The Access connection (CursorLib 1, default pooling); the start-up sets its attribute lines.
    THdbc* Hdbc_Access = nullptr;
    // The code-table query of the sex and nation lookups, on Hdbc_Access (cursor type 3, row count
    // rcCustom); its text is replaced by each lookup.
    TOEQuery* Table1 = nullptr;
    // The timers are components of the window, which destroys them.
    TTimer* Timer1 = nullptr;          // auto read
    TTimer* Timer_Sleep = nullptr;     // delayed clear
    TTimer* Timer_GotoLogin = nullptr; // idle logout; never started
    QSystemTrayIcon* TrayIcon1 = nullptr;
    QMenu* PopupMenu_img = nullptr;
    QAction* N7 = nullptr;
    QAction* N8 = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QMenu* PopupMenu_app = nullptr;
    QAction* N3 = nullptr;
    QAction* N5 = nullptr;
    QAction* N6 = nullptr;
    QAction* N4 = nullptr;

    // Status bar panels: 0 "当前状态", 1 reader and photo messages.
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;
    // The tray icon has no animation here; the read routine and the decoder stop it on failure.
    void SetTrayAnimate(bool on) { TrayAnimate = on; }

    // Hides the program into the notification area / brings it back to the front.
    void HideProgram();
    void ShowProgram();
    bool TrayAvailable() const;

    // True while ReadCard runs (started by the timer or the button).
    bool ReadRunning() const;

    // ---- Creation and destruction -------------------------------------------------------------------
    void FormCreate(QObject* Sender);
    void FormDestroy(QObject* Sender);

    // ---- Settings page ------------------------------------------------------------------------------
    void EnableSettingsControls(bool enabled);
    void ComboBox_txszChange(QObject* Sender);
    void chkPrtSetupClick(QObject* Sender);
    void CheckBox4Click(QObject* Sender);
    void CheckBox_UseBPClick(QObject* Sender);
    void UpDown2Click(QObject* Sender);
    void UpDown_AppIdleTimeoutLogoutClick(QObject* Sender);
    void UpDown_chkresulttimeoutClick(QObject* Sender);
    void UpDown_chkprttimeoutClick(QObject* Sender);
    void Timer_GotoLoginTimer(QObject* Sender);
    // Password gate and operators (MainWindowAdmin.cpp).
    void btn_setupClick(QObject* Sender);
    void btn_EditProjectClick(QObject* Sender);
    void btn_ChangePWDClick(QObject* Sender);
    void TabSheet2Show(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button5Click(QObject* Sender);
    void Button6Click(QObject* Sender);

    // ---- Timers, tray, menus, keys, session (MainWindowEvents.cpp) -----------------------------------
    void Timer1Timer(QObject* Sender);
    void Button1Click(QObject* Sender);
    void CheckBox1Click(QObject* Sender);
    void UpDown1Click(QObject* Sender);
    void Timer_SleepTimer(QObject* Sender);
    void FormActivate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormKeyPress(QObject* Sender, QChar& Key);
    void FormClose(QObject* Sender);
    void FormCloseQuery(QObject* Sender, bool& CanClose);
    void N3Click(QObject* Sender);
    void N5Click(QObject* Sender);
    void N4Click(QObject* Sender);
    void PopupMenu_imgPopup(QObject* Sender);
    void N1Click(QObject* Sender);
    void N2Click(QObject* Sender);
    void edt_xmKeyPress(QObject* Sender, QChar& Key);
    void edt_xmKeyDown(QObject* Sender, int& Key);
    void ResetIdleTimers();
    // The session may end: answered at once, nothing asked.
    void WMQueryEndSession(QSessionManager& manager);
    void WMEndSession();

    // ---- Card read (MainWindowReadCard.cpp) -----------------------------------------------------------
    void ReadCard();

    // ---- Photo, card views and printing (MainWindowPrint.cpp) ----------------------------------------
    void N7Click(QObject* Sender);
    void ShowComposedCard();
    void ShowBlankCard();
    // The photo page's picture; Image1 sizes itself to it (the composed front is 342 by 216).
    void SetPhotoPagePicture(const QPixmap& picture);
    void ReadHookA(const std::string& text);
    void ReadHookB(const std::string& text);
    void btn_printchkClick(QObject* Sender);
    void PrintCard();
    void btn_prtformatadjustmentClick(QObject* Sender);

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool formShown_ = false; // FormShow has run
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void CreateComponents();
    void BindLibraries();
    void LoadSettings();
    void BindHidReader();
    void FreeHidReader();
    void RunRead();
    // The parts of ReadCard: a failed read's hint, or the card in the fields, its photo handed to
    // the decoder and the composed faces, and the window to the front.
    void ShowReadFailure(int result);
    void ShowCard(const CardReply& reply);
    void ShowCardFields(std::span<const std::uint8_t> cardText);
    void HandOverPhoto(std::span<const std::uint8_t> photo);
    void PresentCard();
    void ClearCard();
    void RestartPrintCountdown();

    TForm1Environment Env;
    std::unique_ptr<Clock> OwnClock;
    std::unique_ptr<Pump> OwnPump;
    PhotoDecoder WltDecoder;
    QLabel* StatusPanel[2] = {nullptr, nullptr};
    bool TrayAnimate = false;
    int ReadDepth = 0;
    bool FacesComposed = false;  // N7Click composed the faces of the card just read
    bool NewAddressRead = false; // the reader gave a newest address during the read running
    bool ClearPending = false;
    bool PrintPending = false; // the print button was pressed during a read
    bool Destroyed = false;
};
