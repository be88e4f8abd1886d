// RunProgram, the program's entry.
#include "app/startup/ProgramEntry.h"

#include "odbc/dialogs/OCLError.h"
#include "platform/core/Exception.h"
#include "platform/db/HandleException.h"
#include "platform/os/AppDir.h"
#include "platform/os/HidrawBackend.h"
#include "platform/os/SystemClock.h"
#include "platform/ui/QtPump.h"
#include "platform/ui/QtTranslations.h"
#include "platform/ui/UiServices.h"

#include <QApplication>

int RunProgram(int argc, char** argv, const std::function<void(StartupEnvironment&)>& adjust)
{
    SystemClock clock;
    QApplication application(argc, argv);
    InstallQtChineseTranslations(application); // Qt's buttons and printer dialog in Chinese too
    InstallErrorDialog();                      // ODBC errors shown with their records, not on stderr
    // Errors that datasets report without raising reach the user like any other.
    SetHandleExceptionHook([](TComponent*, const std::exception& error) {
        if (!dynamic_cast<const EAbort*>(&error))
            ShowException(error);
    });
    QtPump pump;
    HidrawBackend hid;

    StartupEnvironment env;
    env.ProgramFolder = ExecutableFolder();
    env.ExecutableName = ExecutableFileName();
    env.clock = &clock;
    env.pump = &pump;
    env.Hid = &hid;
    if (adjust)
        adjust(env);
    return RunStartup(env);
}
