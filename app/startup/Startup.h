#pragma once
// The program's start: the day reset of the print counter, one running copy only, the reader port
// set-up dialog when no port is configured, the forms, the Access database connection and the
// message loop. main() only gathers the environment; tests run the same sequence in-process with
// a temporary program folder, scripted dialogs and a message loop that returns at once.
#include <functional>
#include <string>

class Clock;
class Pump;
class HidBackend;
class TForm1;

struct StartupEnvironment
{
    std::string ProgramFolder;  // the executable's folder
    std::string ExecutableName; // names the single-instance lock
    std::string LockFolder;     // where the lock file lies; empty: the runtime folder
    Clock* clock = nullptr;
    Pump* pump = nullptr;
    HidBackend* Hid = nullptr;
    // Runs the message loop until the main window has closed; empty: QApplication::exec after
    // showing the main window.
    std::function<int(TForm1&)> RunLoop;
};

// Exit codes of the program.
enum StartupExit : int
{
    ExitNormal = 0,     // also after the database message or an unexpected start-up error
    ExitNotStarted = 1, // another copy runs, or the port set-up dialog was left without OK
};

// Runs the whole start-up and the message loop; returns the process exit code.
int RunStartup(StartupEnvironment& env);

// The day change of the print counter in style.ini: every key of [print_id] but today's is
// deleted, and today's key is written as 0 only when it is missing, so the day's count survives
// restarts and a print after midnight.
void ResetDailyPrintCounter(const std::string& styleIniPath, const std::string& today);
