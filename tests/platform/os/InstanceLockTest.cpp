#include "platform/os/InstanceLock.h"

#include "fakes/TempFolder.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs body in a child process and returns its exit code.
template <class Body> int InChild(Body body)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int StateCode(InstanceLock::State state)
{
    return static_cast<int>(state);
}

} // namespace

TEST(InstanceLock, ASecondHolderIsRefused)
{
    TempFolder folder;
    InstanceLock first("ziravedur", folder.Path());
    ASSERT_EQ(first.state(), InstanceLock::State::Acquired);
    EXPECT_EQ(first.Path(), folder.Path() + "ziravedur.lock");

    // Another process, and another open of the same file in this process, are both refused.
    EXPECT_EQ(InChild([&] { return StateCode(InstanceLock("ziravedur", folder.Path()).state()); }),
              StateCode(InstanceLock::State::HeldByAnother));
    InstanceLock second("ziravedur", folder.Path());
    EXPECT_EQ(second.state(), InstanceLock::State::HeldByAnother);

    // A copy under another file name runs side by side.
    InstanceLock other("ziravedur2", folder.Path());
    EXPECT_EQ(other.state(), InstanceLock::State::Acquired);

    first.Release();
    InstanceLock third("ziravedur", folder.Path());
    EXPECT_EQ(third.state(), InstanceLock::State::Acquired);
}

TEST(InstanceLock, TheLockGoesWithTheProcessEvenWhenItIsKilled)
{
    TempFolder folder;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        InstanceLock held("ziravedur", folder.Path());
        const char state = static_cast<char>(StateCode(held.state()));
        (void)!write(ready[1], &state, 1);
        pause(); // killed by the parent while holding the lock
        _exit(0);
    }
    close(ready[1]);
    char state = -1;
    ASSERT_EQ(read(ready[0], &state, 1), 1);
    close(ready[0]);
    EXPECT_EQ(state, StateCode(InstanceLock::State::Acquired));

    EXPECT_EQ(InstanceLock("ziravedur", folder.Path()).state(), InstanceLock::State::HeldByAnother);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    // The lock file is still there, but nobody holds it any more.
    EXPECT_EQ(InstanceLock("ziravedur", folder.Path()).state(), InstanceLock::State::Acquired);
}

TEST(InstanceLock, AFolderThatCannotHoldTheFileIsReported)
{
    TempFolder folder;
    const InstanceLock missing("ziravedur", folder.Path() + "missing/");
    EXPECT_EQ(missing.state(), InstanceLock::State::CannotCreate);
    EXPECT_NE(missing.Error().find("missing/ziravedur.lock: No such file or directory"), std::string::npos)
        << missing.Error();
    const InstanceLock noFolder("ziravedur", "");
    EXPECT_EQ(noFolder.state(), InstanceLock::State::CannotCreate);
    EXPECT_FALSE(noFolder.Error().empty());
    EXPECT_TRUE(InstanceLock("ziravedur", folder.Path()).Error().empty());
    EXPECT_FALSE(InstanceLock("", folder.Path()).Acquired());
}

TEST(InstanceLock, RuntimeDirIsTheSessionsOrAPrivateFolder)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved ? saved : "";

    setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(RuntimeDir(), "/run/user/4242/");

    unsetenv("XDG_RUNTIME_DIR");
    const std::string fallback = RuntimeDir();
    EXPECT_EQ(fallback, "/tmp/" + std::to_string(getuid()) + "-run/");
    struct stat info;
    ASSERT_EQ(stat(fallback.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    if (saved)
        setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
}
