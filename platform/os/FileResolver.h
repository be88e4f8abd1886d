#pragma once
// Working files are named without regard to letter case, as on the original file system:
// "STYLE.INI" and "style.ini" are one file.
#include <string>

// The path of the existing file in folder whose name equals name ignoring ASCII letter case; an
// exact match wins over a case variant. Each component of a relative name ("ports/COM1") is
// resolved in turn. When nothing matches, folder + name as given (the path to create).
std::string ResolveFile(const std::string& folder, const std::string& name);
