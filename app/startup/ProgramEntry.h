// RunProgram, the program's entry.
#pragma once
// Everything main() does: the application object, the ODBC error dialog and the dataset error
// display installed, the real clock, event pump and hidraw devices gathered, then the start-up run.
// The program's main() calls it as it is; a test program adjusts the environment first (scripted
// answers, a message loop that ends by itself), so it runs the same entry.
#include "app/startup/Startup.h"

#include <functional>

// adjust, when given, runs once the application object exists and before the start-up.
int RunProgram(int argc, char** argv, const std::function<void(StartupEnvironment&)>& adjust = {});
