#pragma once
// Where the driver manager finds its drivers, for programs that ship their own odbcinst.ini: a header
// of its own so that a program's start-up can set it without the ODBC headers.
#include <string>

namespace Oci {

// Points unixODBC at the program folder's odbcinst.ini when ODBCSYSINI is not set, so the program
// finds the drivers it ships with ("Microsoft Access Driver (*.mdb)"). Call before the first ODBC
// call: libodbcinst reads the variable once.
void UseProgramFolderConfiguration(const std::string& programFolder);

} // namespace Oci
