// UseProgramFolderConfiguration: where the driver manager finds the drivers a program ships.
#pragma once
// A header of its own so that a program's start-up can make this one call without the ODBC headers.
#include <string>

namespace Oci {

// Points unixODBC at the program folder's odbcinst.ini when ODBCSYSINI is not set, so the program
// finds the drivers it ships with ("Microsoft Access Driver (*.mdb)"). Call before the first ODBC
// call: libodbcinst reads the variable once.
void UseProgramFolderConfiguration(const std::string& programFolder);

} // namespace Oci
