#include "app/startup/Startup.h"

#include "app/AppVersion.h"
#include "app/dialogs/CheckedNotice.h"
#include "app/dialogs/ReaderPortSetupDialog.h"
#include "app/mainwindow/CodeLookup.h"
#include "app/mainwindow/MainWindow.h"
#include "app/startup/AccessDatabaseFile.h"
#include "odbc/driver/ProgramConfiguration.h"
#include "odbc/handles/Hdbc.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/core/IniFile.h"
#include "platform/core/NumberText.h"
#include "platform/core/StringList.h"
#include "platform/core/StringUtils.h"
#include "platform/os/AppDir.h"
#include "platform/os/Clock.h"
#include "platform/os/FileResolver.h"
#include "platform/os/InstanceLock.h"
#include "platform/ui/UiServices.h"
#include "print/PrintChoiceDialog.h"
#include "print/ReportForm.h"
#include "reader/commport/CommPortForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>

#include <memory>

namespace {

const char* const DatabaseMessage = "数据库文件或驱动有问题,请检查参数后重新连接。";

// The forms, destroyed in the reverse order of their creation as the application object does.
struct Forms
{
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm8> Form8;
    std::unique_ptr<TForm12> Form12;
    std::unique_ptr<TCommPortForm> CommPortForm;
    std::unique_ptr<Tfrm_chkisexists> frm_chkisexists;

    ~Forms() { Release(); }

    void Release()
    {
        frm_chkisexists.reset();
        CommPortForm.reset();
        if (Form1) {
            Form1->Form8 = nullptr;
            Form1->Form12 = nullptr;
        }
        Form12.reset();
        Form8.reset();
        Form1.reset();
    }
};

// Any case variant of the name is the settings file; a missing one is created as "style.ini", the name
// the main window, the other forms and the start script use when they create it.
std::string StyleIni(const std::string& appDir)
{
    return ResolveFile(appDir, "style.ini");
}

// The port set-up dialog, prefilled from the settings; true when it ended with OK.
bool AskForReaderPort(Tfrm_FlashForm& dialog, TIniFile& ini)
{
    dialog.IniFile = &ini;
    {
        // Showing the stored (or default) port is not the operator's choice: writing it back would
        // store 1001 before anything was chosen, even when the dialog is then cancelled.
        const QSignalBlocker quiet(dialog.ComboBox_txsz);
        dialog.ComboBox_txsz->setEditText(QString::number(ini.ReadInteger("ICReader", "CommPort", 1001)));
    }
    dialog.Edit_BPCMD->setEditText(QString::fromStdString(ini.ReadString("SetupKey", "BP_CMD", "")));
    // Checking the box runs its click handler, which writes the extension-box keys back.
    dialog.CheckBox_UseBP->setChecked(ini.ReadInteger("SetupKey", "UseBP", 0) != 0);
    if (dialog.ShowModal() != mrOk)
        return false;
    ini.UpdateFile();
    return true;
}

// Points the main window's connection at the Access database in the program folder (its name in any
// letter case) and reads its code table once.
void ConnectDatabase(TForm1& form, const std::string& appDir)
{
    const std::string database = ResolveFile(appDir, "DataBase.mdb");
    THdbc* hdbc = form.Hdbc_Access;
    hdbc->SetConnected(false);
    TStringList& attributes = hdbc->Attributes();
    attributes.Clear();
    attributes.Add("DRIVER=Microsoft Access Driver (*.mdb)");
    attributes.Add("DefaultDir=" + appDir);
    attributes.Add("DBQ=" + database);
    // The driver takes an empty or cut-off file without complaint; it is refused like a missing one.
    if (!IsAccessDatabaseFile(database))
        throw Exception("DataBase.mdb is not an Access database");
    hdbc->SetConnected(true);
    // A file damaged past its catalog still connects, and every card would then show no sex and no
    // nation: the code table must be readable before the first card.
    OpenCodeTable(*hdbc);
}

int DefaultLoop(TForm1& form)
{
    form.show();
    return QApplication::exec();
}

} // namespace

void ResetDailyPrintCounter(const std::string& styleIniPath, const std::string& today)
{
    TIniFile ini(styleIniPath);
    TStringList keys;
    ini.ReadSection("print_id", keys);
    bool changed = false;
    for (int i = 0; i < keys.Count(); ++i)
        if (!SameText(Trim(keys[i]), today)) {
            ini.DeleteKey("print_id", keys[i]);
            changed = true;
        }
    if (!ini.ValueExists("print_id", today)) {
        ini.WriteInteger("print_id", today, 0);
        changed = true;
    }
    if (changed)
        ini.UpdateFile();
}

int RunStartup(StartupEnvironment& env)
{
    const std::string today = FormatDateTime("yyyymmdd", env.clock->Now());
    std::string appDir = WithTrailingSlash(env.ProgramFolder);
    SetAppDir(appDir);

    std::unique_ptr<InstanceLock> lock;
    try {
        ResetDailyPrintCounter(StyleIni(appDir), today);
        SetApplicationTitle(std::string("居民ziravedur ") + AppVersion);

        lock = env.LockFolder.empty() ? std::make_unique<InstanceLock>(env.ExecutableName)
                                      : std::make_unique<InstanceLock>(env.ExecutableName, env.LockFolder);
        if (!lock->Acquired()) {
            // A second copy ends without a word; a lock that cannot be made at all would look the
            // same to the user, so that one is shown first.
            if (lock->state() == InstanceLock::State::CannotCreate)
                ShowException(Exception(lock->Error()));
            return ExitNotStarted;
        }

        auto flashForm = std::make_unique<Tfrm_FlashForm>();
        {
            TIniFile ini(StyleIni(appDir));
            const bool ask = ini.ReadInteger("ICReader", "CommPort", 0) == 0 ||
                             ini.ReadInteger("SetupKey", "AutoInputType", 0) == 3;
            if (ask && !AskForReaderPort(*flashForm, ini))
                return ExitNotStarted;
            flashForm->IniFile = nullptr;
        }

        // unixODBC finds the Access driver through the program folder's odbcinst.ini.
        Oci::UseProgramFolderConfiguration(appDir);

        Forms forms;
        TForm1Environment mainEnv;
        mainEnv.ProgramFolder = appDir;
        mainEnv.Ui = &CurrentUi();
        mainEnv.clock = env.clock;
        mainEnv.pump = env.pump;
        mainEnv.Hid = env.Hid;
        mainEnv.frm_FlashForm = std::move(flashForm);
        forms.Form1 = std::make_unique<TForm1>(std::move(mainEnv));
        forms.Form8 = std::make_unique<TForm8>(appDir);
        forms.Form12 = std::make_unique<TForm12>(appDir, forms.Form1->PrintCopies);
        forms.Form1->Form8 = forms.Form8.get();
        forms.Form1->Form12 = forms.Form12.get();
        forms.CommPortForm = std::make_unique<TCommPortForm>();
        forms.frm_chkisexists = std::make_unique<Tfrm_chkisexists>();
        forms.Form1->frm_chkisexists = forms.frm_chkisexists.get();

        try {
            appDir = WithTrailingSlash(env.ProgramFolder);
            SetAppDir(appDir);
            ConnectDatabase(*forms.Form1, appDir);
        } catch (const Exception&) {
            // The program ends here. Its forms go first: the message's modal loop would otherwise let
            // the main window's timers read cards, and show the window, behind the message.
            forms.Release();
            CurrentUi().MessageBox(DatabaseMessage, "提示", TMsgButtons::Ok);
            return ExitNormal;
        }

        (env.RunLoop ? env.RunLoop : DefaultLoop)(*forms.Form1);
        lock->Release();
        return ExitNormal;
    } catch (const std::exception& error) {
        // Any failure of the start-up (the library's exceptions, and also the standard library's)
        // is shown and ends the program normally; none may escape main.
        if (lock)
            lock->Release();
        ShowException(error);
        return ExitNormal;
    }
}
