#include "platform/os/Library.h"

#include "platform/os/AppDir.h"
#include "platform/os/FileResolver.h"

#include <algorithm>
#include <dlfcn.h>
#include <sys/stat.h>
#include <utility>

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : char(c); });
    return text;
}

bool IsRegularFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::string MapLibraryName(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const std::string lower = Lower(name);
    if (lower == "odbc32.dll" || lower == "odbc32")
        return "libodbc.so.2";
    if (lower == "odbccp32.dll" || lower == "odbccp32")
        return "libodbcinst.so.2";
    if (lower.ends_with(".dll"))
        return "lib" + lower.substr(0, lower.size() - 4) + ".so";
    if (lower.starts_with("lib") && (lower.ends_with(".so") || lower.find(".so.") != std::string::npos))
        return name;
    return "lib" + lower + ".so";
}

TLibrary::TLibrary(TLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), name_(std::move(other.name_)),
      error_(std::move(other.error_))
{
}

TLibrary& TLibrary::operator=(TLibrary&& other) noexcept
{
    if (this != &other) {
        Free();
        handle_ = std::exchange(other.handle_, nullptr);
        name_ = std::move(other.name_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool TLibrary::Load(const std::string& name)
{
    return Load(name, AppDir());
}

bool TLibrary::Load(const std::string& name, const std::string& programFolder)
{
    Free();
    name_ = name;
    error_.clear();
    const std::string file = MapLibraryName(name);

    // A copy in the program folder wins, as the original platform searched the program's own
    // folder before the system's.
    std::string reason;
    if (file.find('/') == std::string::npos && !programFolder.empty()) {
        const std::string local = ResolveFile(programFolder, file);
        if (IsRegularFile(local)) {
            handle_ = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle_)
                reason = dlerror();
        }
    }
    if (!handle_) {
        handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_ && reason.empty())
            reason = dlerror();
    }
    if (!handle_)
        error_ = "Error Loading Library: " + name + " (" + reason + ")";
    return handle_ != nullptr;
}

void TLibrary::Free() noexcept
{
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
}

void* TLibrary::Symbol(const char* entry) const noexcept
{
    return handle_ && entry ? dlsym(handle_, entry) : nullptr;
}
