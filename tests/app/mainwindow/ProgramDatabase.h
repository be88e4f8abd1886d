#pragma once
// The program's database in a test's program folder: DataBase.mdb copied there and the main window's
// connection pointed at it, as the start-up does. The tests' private ODBC configuration (linked from
// tests/odbc/support) registers the Access driver.
#include "app/mainwindow/MainWindow.h"
#include "odbc/handles/Hdbc.h"
#include "platform/core/StringList.h"

#include <filesystem>
#include <string>

inline void UseProgramDatabase(TForm1& window, const std::string& folder)
{
    namespace fs = std::filesystem;
    const std::string dir = folder.ends_with('/') ? folder : folder + "/";
    fs::copy_file(fs::path(ZIRA_DIST_DIR) / "DataBase.mdb", dir + "DataBase.mdb",
                  fs::copy_options::skip_existing);
    TStringList& attributes = window.Hdbc_Access->Attributes();
    attributes.Clear();
    attributes.Add("DRIVER=Microsoft Access Driver (*.mdb)");
    attributes.Add("DefaultDir=" + dir);
    attributes.Add("DBQ=" + dir + "DataBase.mdb");
}
