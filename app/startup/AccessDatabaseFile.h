// AccessDatabaseFile: whether a file is an Access (Jet or ACE) database that the driver can open.
// The mdbtools driver connects to an empty or cut-off file without complaint and only fails, or
// finds nothing, later; the start-up asks this first so that such a file gets the database message.
#pragma once
#include <string>

// True when the file starts with the Jet or ACE signature, consists of whole pages of its format's
// size (2048 bytes for Jet 3, 4096 for later formats) and holds the catalog's table definition on
// page 2.
bool IsAccessDatabaseFile(const std::string& path);
