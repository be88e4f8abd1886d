// The reader simulator as ./run uses it: started on a program folder, it links ports/COM1 to its
// pseudo-terminal and answers both read sequences with its card, in real time.
#include "platform/os/SystemClock.h"
#include "reader/CardText.h"
#include "reader/ReaderLink.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class NoPump : public Pump
{
public:
    void ProcessMessages() override {}
};

class Simulator
{
public:
    Simulator(const fs::path& folder, const std::string& cardFile)
    {
        const char* bin = std::getenv("ZIRA_BINARY_DIR");
        const std::string exe = std::string(bin ? bin : "../..") + "/tools/reader_sim";
        pid_ = fork();
        if (pid_ == 0) {
            if (cardFile.empty())
                execl(exe.c_str(), exe.c_str(), folder.c_str(), static_cast<char*>(nullptr));
            else
                execl(exe.c_str(), exe.c_str(), folder.c_str(), cardFile.c_str(),
                      static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 500 && !fs::is_symlink(folder / "ports" / "COM1"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~Simulator() { Stop(); }
    int Stop()
    {
        if (pid_ <= 0)
            return -1;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
};

class SimulatorTest : public ::testing::Test
{
protected:
    fs::path folder = fs::temp_directory_path() / ("sim-" + std::to_string(getpid()));
    SystemClock clock;
    NoPump pump;
    ReaderLink link{clock, pump};
    CardReply reply;

    void SetUp() override
    {
        fs::create_directories(folder);
        link.SetProgramFolder(folder.string());
    }
    void TearDown() override { fs::remove_all(folder); }
};

} // namespace

TEST_F(SimulatorTest, BuiltInCardOverComOne)
{
    Simulator sim(folder, "");
    ASSERT_TRUE(fs::is_symlink(folder / "ports" / "COM1")) << "simulator did not start";
    ASSERT_EQ(link.ReadCardStd("COM1", "10", reply, "115200"), kReadCardOk);
    EXPECT_EQ(CardTextFieldString(reply.Text(), kCardName), "张三");
    EXPECT_EQ(link.NewAddress(), "北京市西城区新街2号");
    EXPECT_EQ(reply.PhotoLength(), 1024u);
    link.SetLastIdNo(CardTextFieldString(reply.Text(), kCardIdNo));
    EXPECT_EQ(link.ReadCardStd("COM1", "10", reply, "9600"), kReadSameCard);
    link.SetLastIdNo("");
    ASSERT_EQ(link.ReadCardExt("COM1", "10", reply, "115200"), kReadCardOk);
    EXPECT_EQ(CardTextFieldString(reply.Text(), kCardValidity), "2015010120350101");
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "ports" / "COM1"))) << "link left behind";
}

TEST_F(SimulatorTest, CardFromAFile)
{
    std::ofstream(folder / "photo.wlt", std::ios::binary) << std::string(1024, 'P');
    std::ofstream(folder / "card.txt")
        << "name=李四\r\nidno=440301199912310022\nnewaddress=深圳市\nphoto=photo.wlt\n";
    Simulator sim(folder, (folder / "card.txt").string());
    ASSERT_EQ(link.ReadCardStd("COM1", "10", reply, "115200"), kReadCardOk);
    EXPECT_EQ(CardTextFieldString(reply.Text(), kCardName), "李四");
    EXPECT_EQ(CardTextFieldString(reply.Text(), kCardIdNo), "440301199912310022");
    EXPECT_EQ(CardTextFieldString(reply.Text(), kCardBirthDate), "19800101")
        << "unnamed fields stay built in";
    EXPECT_EQ(link.NewAddress(), "深圳市");
    ASSERT_EQ(reply.Photo().size(), 1024u);
    EXPECT_EQ(reply.Photo()[500], 'P');
}
