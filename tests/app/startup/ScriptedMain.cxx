// The program's start-up with a scripted user: every message box is printed as
// "message|<caption>|<text>" on stdout and answered OK, dialogs are cancelled, and the message loop
// ends after ZIRA_QUIT_AFTER_MS milliseconds (default 200). Everything else is the real program.
#include "app/mainwindow/MainWindow.h"
#include "app/startup/Startup.h"
#include "platform/os/AppDir.h"
#include "platform/os/HidrawBackend.h"
#include "platform/os/SystemClock.h"
#include "platform/ui/QtPump.h"
#include "platform/ui/UiServices.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

class PrintingUi : public UiServices
{
public:
    TModalResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons,
                            TMsgIcon) override
    {
        std::printf("message|%s|%s\n", caption.c_str(), text.c_str());
        std::fflush(stdout);
        return mrOk;
    }
    int RunModal(QDialog& dialog) override
    {
        std::printf("dialog|%s\n", dialog.objectName().toUtf8().constData());
        std::fflush(stdout);
        return mrCancel;
    }
};

} // namespace

int main(int argc, char** argv)
{
    SystemClock clock;
    QApplication application(argc, argv);
    QtPump pump;
    HidrawBackend hid;
    PrintingUi ui;
    SetUiServices(&ui);

    const char* quitAfter = std::getenv("ZIRA_QUIT_AFTER_MS");
    StartupEnvironment env;
    env.ProgramFolder = ExecutableFolder();
    env.ExecutableName = ExecutableFileName();
    env.clock = &clock;
    env.pump = &pump;
    env.Hid = &hid;
    env.RunLoop = [&](TForm1&) {
        std::printf("loop\n");
        std::fflush(stdout);
        QTimer::singleShot(quitAfter ? std::atoi(quitAfter) : 200, [] { QApplication::quit(); });
        return QApplication::exec();
    };
    const int code = RunStartup(env);
    SetUiServices(nullptr);
    return code;
}
