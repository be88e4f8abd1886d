#include "platform/os/AppDir.h"

#include "platform/core/Exception.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

// The original kept the program folder as one global string of the application; this is that
// value, settable by the start-up and by tests.
struct AppDirOverride
{
    std::mutex lock;
    std::string folder;
};

AppDirOverride& Override()
{
    static AppDirOverride value;
    return value;
}

std::string ExecutablePath()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            throw Exception(std::string("Cannot find the program file: ") + std::strerror(errno));
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2); // the path may have been cut off: try a larger buffer
    }
}

} // namespace

std::string WithTrailingSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/' && folder[folder.size() - 2] == '/')
        folder.pop_back();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string ExecutableFolder()
{
    const std::string path = ExecutablePath();
    return path.substr(0, path.rfind('/') + 1);
}

std::string ExecutableFileName()
{
    const std::string path = ExecutablePath();
    return path.substr(path.rfind('/') + 1);
}

std::string AppDir()
{
    {
        AppDirOverride& value = Override();
        std::lock_guard guard(value.lock);
        if (!value.folder.empty())
            return value.folder;
    }
    return ExecutableFolder();
}

void SetAppDir(std::string folder)
{
    AppDirOverride& value = Override();
    std::lock_guard guard(value.lock);
    value.folder = WithTrailingSlash(std::move(folder));
}
