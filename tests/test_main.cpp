// Test entry point shared by every test executable. A QApplication exists for the whole run so
// that tests of widgets, timers and painting work; tests run with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Where the tests find the sources, the build and the laid-out program folder; the
    // environment may point elsewhere.
    setenv("ZIRA_SOURCE_DIR", ZIRA_SOURCE_DIR_DEFAULT, 0);
    setenv("ZIRA_BINARY_DIR", ZIRA_BINARY_DIR_DEFAULT, 0);
    setenv("ZIRA_APPDIR", ZIRA_APPDIR_DEFAULT, 0);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test reaches a print server, whatever printers this machine has: tests print to PDF files,
    // and a printer a test does not set up itself is none at all. (/dev/null holds no socket.)
    setenv("CUPS_SERVER", "/dev/null/cups.sock", 1);
    unsetenv("PRINTER");
    unsetenv("LPDEST");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
