#pragma once
// ReadAll: a file's bytes as they stand on disk ("" when it cannot be read), for tests that check
// what the code under test wrote.
#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
