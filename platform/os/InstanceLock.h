#pragma once
// Makes sure that only one copy of the program runs: an exclusive flock on
// <runtime dir>/<executable file name>.lock. The lock belongs to the open file, so it goes with the
// process however that ends, and a stale file left behind never blocks the next start.
#include <string>

// The folder for the lock: $XDG_RUNTIME_DIR, or /tmp/<uid>-run (created private, 0700) when the
// session has none. Empty when no usable folder exists.
std::string RuntimeDir();

class InstanceLock
{
public:
    enum class State
    {
        Acquired,      // this object holds the lock
        HeldByAnother, // another copy holds it
        CannotCreate,  // the lock file could not be created or opened
    };

    // Tries once, never waits. name is the executable's file name.
    explicit InstanceLock(const std::string& name);
    // The same in a given folder (tests).
    InstanceLock(const std::string& name, const std::string& folder);
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock() { Release(); }

    State state() const noexcept { return state_; }
    bool Acquired() const noexcept { return state_ == State::Acquired; }
    const std::string& Path() const noexcept { return path_; }
    // Why the lock could not be made (CannotCreate), for the user; empty otherwise.
    const std::string& Error() const noexcept { return error_; }
    // Gives the lock up early (the end of the message loop); the destructor does nothing more.
    void Release() noexcept;

private:
    int fd_ = -1;
    State state_ = State::CannotCreate;
    std::string path_;
    std::string error_;
};
