// The built program closed while its auto read waits on a reader that never answers: a pseudo-
// terminal behind ports/COM1 takes the commands and stays silent. The program must end at once and
// leave the port and the single-instance lock to the next start.
#include "fakes/TempFolder.h"
#include "reader/Frame.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A line with nobody answering on it. The test keeps the slave side open too, so the line stays up
// between the program's runs.
class SilentLine
{
public:
    SilentLine()
    {
        termios raw{};
        cfmakeraw(&raw);
        std::array<char, 128> name{};
        if (openpty(&master_, &slave_, name.data(), &raw, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        slavePath_ = name.data();
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~SilentLine()
    {
        close(master_);
        close(slave_);
    }
    SilentLine(const SilentLine&) = delete;
    SilentLine& operator=(const SilentLine&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // Everything the program wrote since the last call.
    std::vector<Byte> Take() const
    {
        std::vector<Byte> out;
        std::array<Byte, 4096> buffer{};
        for (;;) {
            const ssize_t n = read(master_, buffer.data(), buffer.size());
            if (n <= 0)
                return out;
            out.insert(out.end(), buffer.begin(), buffer.begin() + n);
        }
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

struct ProgramRun
{
    int code = -1;
    std::string out;
    Clock::duration closeToExit{};
};

class ProgramWithSilentReader
{
public:
    ProgramWithSilentReader()
    {
        fs::copy(ZIRA_BUILT_APPDIR, folder_.Path(), fs::copy_options::recursive);
        fs::remove(folder_.Path() + "ziravedur");
        fs::copy_file(ZIRA_SCRIPTED_EXE, folder_.Path() + "ziravedur");
        fs::permissions(folder_.Path() + "ziravedur", fs::perms::owner_all, fs::perm_options::add);
        // Auto read every 100 ms on COM1.
        folder_.Touch("style.ini",
                      "[ICReader]\r\nCommPort=1\r\n[SetupKey]\r\nAutoReadCard=1\r\nAutoTime=100\r\n");
        fs::create_directories(folder_.Path() + "ports");
        fs::create_symlink(line.SlavePath(), folder_.Path() + "ports/COM1");
        fs::create_directories(runtime_.Path());
    }

    // Starts the program, has its window closed closeAfterMs after the loop started, and waits for
    // the end.
    ProgramRun StartAndClose(int closeAfterMs) const
    {
        const std::string command = "cd '" + folder_.Path() + "' && XDG_RUNTIME_DIR='" + runtime_.Path() +
                                    "' ZIRA_CLOSE_AFTER_MS=" + std::to_string(closeAfterMs) +
                                    " ODBCSYSINI='" + folder_.Path() + "' ./ziravedur 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        ProgramRun run;
        if (!pipe)
            return run;
        Clock::time_point closed{};
        std::array<char, 512> buffer{};
        while (fgets(buffer.data(), buffer.size(), pipe)) {
            run.out += buffer.data();
            if (std::string(buffer.data()) == "close\n")
                closed = Clock::now();
        }
        const int status = pclose(pipe);
        if (closed != Clock::time_point{})
            run.closeToExit = Clock::now() - closed;
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    SilentLine line;

private:
    TempFolder folder_;
    TempFolder runtime_;
};

} // namespace

TEST(CloseDuringRead, TheProgramEndsAtOnceAndTheNextStartOpensItsWindow)
{
    ProgramWithSilentReader program;
    const std::vector<Byte> samId = BuildFrame(std::vector<Byte>{0x12, 0xFF});

    // The first read sends 12 FF and waits up to 15 s for an answer that never comes.
    const ProgramRun first = program.StartAndClose(1500);
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.out, "loop\nclose\n");
    EXPECT_LT(first.closeToExit, std::chrono::seconds(2)) << "the program lived on after its window closed";
    EXPECT_EQ(program.line.Take(), samId) << "one command, and none after the close";

    // The lock and the port are free: the next start shows its window and reads on COM1 again.
    const ProgramRun second = program.StartAndClose(1000);
    EXPECT_EQ(second.code, 0);
    EXPECT_EQ(second.out, "loop\nclose\n");
    EXPECT_LT(second.closeToExit, std::chrono::seconds(2));
    EXPECT_EQ(program.line.Take(), samId);
}
