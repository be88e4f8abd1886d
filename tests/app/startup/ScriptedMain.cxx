// The program's start-up with a scripted user: every message box is printed as
// "message|<caption>|<text>" on stdout and answered OK, dialogs are cancelled, and the message loop
// ends after ZIRA_QUIT_AFTER_MS milliseconds (default 200). With ZIRA_CLOSE_AFTER_MS the main window
// is closed after that many milliseconds instead, as its close box does ("close" is printed then).
// Everything else is the real program, through its own entry: "loop" is printed once the main window
// is shown and the message loop is about to run.
#include "app/mainwindow/MainWindow.h"
#include "app/startup/ProgramEntry.h"
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
    PrintingUi ui;
    const char* quitAfter = std::getenv("ZIRA_QUIT_AFTER_MS");
    const int code = RunProgram(argc, argv, [&](StartupEnvironment& env) {
        SetUiServices(&ui);
        env.RunLoop = [&](TForm1& form) {
            form.show();
            std::printf("loop\n");
            std::fflush(stdout);
            if (const char* closeAfter = std::getenv("ZIRA_CLOSE_AFTER_MS")) {
                QTimer::singleShot(std::atoi(closeAfter), &form, [&form] {
                    std::printf("close\n");
                    std::fflush(stdout);
                    form.close();
                });
            } else {
                QTimer::singleShot(quitAfter ? std::atoi(quitAfter) : 200, [] { QApplication::quit(); });
            }
            return QApplication::exec();
        };
    });
    SetUiServices(nullptr);
    return code;
}
