#include "platform/os/InstanceLock.h"

#include "platform/os/AppDir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::string RuntimeDir()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return WithTrailingSlash(runtime);

    const std::string folder = "/tmp/" + std::to_string(getuid()) + "-run";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    // Another user could have made the folder first, to watch or block our lock: use it only when
    // it is ours, a real folder and private.
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 077) != 0)
        return {};
    return folder + '/';
}

InstanceLock::InstanceLock(const std::string& name) : InstanceLock(name, RuntimeDir()) {}

InstanceLock::InstanceLock(const std::string& name, const std::string& folder)
{
    if (name.empty() || name.find('/') != std::string::npos) {
        error_ = "No single-instance lock can be named after '" + name + "'";
        return;
    }
    if (folder.empty()) {
        error_ = "No folder for the single-instance lock " + name +
                 ".lock: XDG_RUNTIME_DIR is not set and /tmp/" + std::to_string(getuid()) +
                 "-run cannot be used";
        return;
    }
    path_ = WithTrailingSlash(folder) + name + ".lock";
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        error_ = "Cannot create the single-instance lock " + path_ + ": " + std::strerror(errno);
        return;
    }
    int result;
    do
        result = flock(fd_, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        state_ = State::Acquired;
        return;
    }
    state_ = errno == EWOULDBLOCK ? State::HeldByAnother : State::CannotCreate;
    if (state_ == State::CannotCreate)
        error_ = "Cannot lock the single-instance lock " + path_ + ": " + std::strerror(errno);
    close(fd_);
    fd_ = -1;
}

void InstanceLock::Release() noexcept
{
    if (fd_ >= 0)
        close(fd_); // closing the last descriptor of the open file drops the lock
    fd_ = -1;
}
