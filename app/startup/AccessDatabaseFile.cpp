// AccessDatabaseFile: the file check in front of the database connection.
#include "app/startup/AccessDatabaseFile.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

constexpr std::size_t kSignatureSize = 20;
constexpr char kJetSignature[] = "\x00\x01\x00\x00Standard Jet DB";
constexpr char kAceSignature[] = "\x00\x01\x00\x00Standard ACE DB";
constexpr std::size_t kVersionOffset = 0x14;
constexpr std::size_t kCatalogPage = 2; // the table definition of MSysObjects
constexpr unsigned char kTableDefinitionPage[] = {0x02, 0x01};

} // namespace

bool IsAccessDatabaseFile(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return false;
    std::ifstream in(path, std::ios::binary);
    std::array<char, kVersionOffset + 1> head{};
    if (!in.read(head.data(), head.size()))
        return false;
    // Both signatures end in a zero byte, which sizeof counts.
    if (std::memcmp(head.data(), kJetSignature, kSignatureSize) != 0 &&
        std::memcmp(head.data(), kAceSignature, kSignatureSize) != 0)
        return false;
    const std::uintmax_t pageSize = head[kVersionOffset] == 0 ? 2048 : 4096;
    if (size % pageSize != 0 || size < (kCatalogPage + 1) * pageSize)
        return false;
    std::array<char, sizeof kTableDefinitionPage> page{};
    in.seekg(static_cast<std::streamoff>(kCatalogPage * pageSize));
    return in.read(page.data(), page.size()) &&
           std::memcmp(page.data(), kTableDefinitionPage, sizeof kTableDefinitionPage) == 0;
}
