#pragma once
// The program folder: where the executable lies and where every working file of the program is
// kept. Its text always ends with '/', so a working file is AppDir() + its name.
#include <string>

// The folder of the running executable (from /proc/self/exe), with its trailing '/'.
std::string ExecutableFolder();
// The running executable's file name without its folder (names the single-instance lock).
std::string ExecutableFileName();

// The program folder of this process: the executable's folder unless SetAppDir chose another one
// (tests lay out a temporary program folder this way).
std::string AppDir();
// Sets the program folder; a missing trailing '/' is added. An empty text returns to the default.
void SetAppDir(std::string folder);

// The text with exactly one '/' at its end (an empty text stays empty).
std::string WithTrailingSlash(std::string folder);
