// scripts/start.sh on a copy of its tree in a temporary folder: the reader simulator and the program
// are stand-ins that only leave a trace, so what is checked is what the script does to style.ini.
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kSignature = "\xEF\xBB\xBF";

class StartScript
{
public:
    StartScript()
    {
        fs::create_directories(root_.Path() + "scripts");
        fs::copy_file(std::string(std::getenv("ZIRA_SOURCE_DIR")) + "/scripts/start.sh",
                      root_.Path() + "scripts/start.sh");
        // The simulator links ports/COM1 and runs until the script ends it.
        Executable("build/release/tools/reader_sim",
                   "#!/bin/sh\nmkdir -p \"$1/ports\" && ln -sf /dev/null \"$1/ports/COM1\"\nexec sleep 30\n");
        root_.Touch("build/release/tools/wltrs/libwltrs.so");
        fs::create_directories(App());
        Executable("app/ziravedur", "#!/bin/sh\n: >\"$(dirname \"$0\")/started\"\n");
    }

    std::string App() const { return root_.Path() + "app/"; }

    // Runs the script on the program folder; false when it failed or the program was not started.
    bool Run() const
    {
        const std::string command =
            "bash '" + root_.Path() + "scripts/start.sh' '" + App() + "' >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 && fs::exists(App() + "started");
    }
    bool SimulatorStarted() const { return fs::exists(App() + "ports/.simulator"); }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    void Executable(const std::string& name, const std::string& text) const
    {
        const std::string path = root_.Touch(name, text);
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
    }

    TempFolder root_;
};

} // namespace

TEST(StartScript, SetsTheSimulatorPortInTheFileAsTheProgramReadsIt)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> before; // none: no style.ini yet
        std::string after;
        bool simulator;
    };
    const Case cases[] = {
        {"signature, no reader yet",
         kSignature + "[ICReader]\r\nCommPort=0\r\n[SetupKey]\r\nAutoTime=500\r\n",
         kSignature + "[ICReader]\r\nCommPort=1\r\n[SetupKey]\r\nAutoTime=500\r\nAutoReadCard=1\r\n", true},
        {"signature, a reader on COM3", kSignature + "[ICReader]\r\nCommPort=3\r\n",
         kSignature + "[ICReader]\r\nCommPort=3\r\n", false},
        {"GB18030 text, names in other case and spaced",
         "[SetupKey]\r\nBP_CMD=\xC4\xE3\xBA\xC3\r\n[ icreader ]\r\ncommport = 0\r\n",
         "[SetupKey]\r\nBP_CMD=\xC4\xE3\xBA\xC3\r\nAutoReadCard=1\r\n[ icreader ]\r\ncommport=1\r\n", true},
        {"LF line ends, no line end at the last line", "[ICReader]\nCommPort=0\n[SetupKey]\nAutoReadCard=0",
         "[ICReader]\nCommPort=1\n[SetupKey]\nAutoReadCard=0", true},
        {"keys go after the section's last key",
         "[ICReader]\r\n\r\n[SetupKey]\r\nAutoTime=500\r\n\r\n; note\r\n",
         "[ICReader]\r\nCommPort=1\r\n\r\n[SetupKey]\r\nAutoTime=500\r\nAutoReadCard=1\r\n\r\n; note\r\n",
         true},
        {"no style.ini", std::nullopt, "[ICReader]\r\nCommPort=1\r\n[SetupKey]\r\nAutoReadCard=1\r\n", true},
    };
    for (const Case& c : cases) {
        StartScript script;
        if (c.before)
            std::ofstream(script.App() + "style.ini", std::ios::binary) << *c.before;
        ASSERT_TRUE(script.Run()) << c.name;
        EXPECT_EQ(StartScript::Read(script.App() + "style.ini"), c.after) << c.name;
        EXPECT_EQ(script.SimulatorStarted(), c.simulator) << c.name;
    }
}

TEST(StartScript, KeepsTheFilesModeAndNeverWritesAReadOnlyFile)
{
    const std::string before = "[ICReader]\r\nCommPort=0\r\n";
    struct Case
    {
        fs::perms mode;
        std::string after;
    };
    const Case cases[] = {
        {fs::perms::owner_read | fs::perms::owner_write,
         "[ICReader]\r\nCommPort=1\r\n[SetupKey]\r\nAutoReadCard=1\r\n"},
        {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, before},
        {fs::perms::owner_read, before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        StartScript script;
        const std::string ini = script.App() + "style.ini";
        std::ofstream(ini, std::ios::binary) << before;
        fs::permissions(ini, c.mode);
        ASSERT_TRUE(script.Run());
        EXPECT_EQ(StartScript::Read(ini), c.after);
        EXPECT_EQ(fs::status(ini).permissions(), c.mode);
    }
}
