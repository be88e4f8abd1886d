// The program's start-up with a scripted user: every message box is printed as
// "message|<caption>|<text>" on stdout and answered OK, dialogs are cancelled, and the message loop
// ends after ZIRA_QUIT_AFTER_MS milliseconds (default 200). With ZIRA_CLOSE_AFTER_MS the main window
// is closed after that many milliseconds instead, as its close box does ("close" is printed then).
// Everything else is the real program, through its own entry: "loop" is printed once the main window
// is shown and the message loop is about to run.
//
// With ZIRA_SHOW_FIELDS set, the card fields on the screen are printed as they change, as
// "fields|<identity number>|<sex>|<nation>", and once more when the loop has ended, whole, as
// "shown|<name>|<sex>|<nation>|<birth date>|<address>|<identity number>|<authority>|<validity>".
#include "app/mainwindow/MainWindow.h"
#include "app/startup/ProgramEntry.h"
#include "platform/ui/UiServices.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

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

std::string Text(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

// Prints the fields whenever they differ from the last print.
void WatchFields(TForm1& form, QTimer& timer)
{
    QObject::connect(&timer, &QTimer::timeout, [&form, last = std::string()]() mutable {
        const std::string now =
            "fields|" + Text(form.edt_sfzh) + "|" + Text(form.edt_xb) + "|" + Text(form.edt_mz) + "\n";
        if (now != last && !Text(form.edt_sfzh).empty()) {
            std::fputs(now.c_str(), stdout);
            std::fflush(stdout);
        }
        last = now;
    });
    timer.start(20);
}

void PrintShown(const TForm1& form)
{
    std::printf("shown|%s|%s|%s|%s|%s|%s|%s|%s\n", Text(form.edt_xm).c_str(), Text(form.edt_xb).c_str(),
                Text(form.edt_mz).c_str(), Text(form.edt_csrq).c_str(),
                form.memo_xz->toPlainText().toStdString().c_str(), Text(form.edt_sfzh).c_str(),
                Text(form.edt_qfjg).c_str(), Text(form.edt_yxqx).c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    PrintingUi ui;
    const char* quitAfter = std::getenv("ZIRA_QUIT_AFTER_MS");
    const bool showFields = std::getenv("ZIRA_SHOW_FIELDS") != nullptr;
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
            QTimer watch;
            if (showFields)
                WatchFields(form, watch);
            const int code = QApplication::exec();
            if (showFields)
                PrintShown(form);
            return code;
        };
    });
    SetUiServices(nullptr);
    return code;
}
