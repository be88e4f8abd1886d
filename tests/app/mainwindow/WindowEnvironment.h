#pragma once
// The main window's environment in a test: the folder given as its program folder, the test's fakes
// for messages, time and event pumping, no notification area (so the window never hides itself) and
// a Terminate that leaves the test's event loop alone. A test changes what it needs to afterwards.
#include "app/mainwindow/MainWindow.h"

#include <string>

inline TForm1Environment WindowEnvironment(const std::string& folder, UiServices& ui, Clock& clock,
                                           Pump& pump)
{
    TForm1Environment env;
    env.ProgramFolder = folder;
    env.Ui = &ui;
    env.clock = &clock;
    env.pump = &pump;
    env.TrayAvailable = [] { return false; };
    env.Terminate = [] {};
    return env;
}
