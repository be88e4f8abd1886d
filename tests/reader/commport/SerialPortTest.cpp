#include "reader/commport/SerialPort.h"
#include "tools/readersim/PtyReaderPeer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Stands in for the user-interface thread's queue: the event thread posts, the test runs them.
class UiQueue
{
public:
    PostToUiThread Poster()
    {
        return [this](std::function<void()> f) {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(f));
            cv_.notify_all();
        };
    }
    // Waits (for real, at most the given time) until something is queued, then runs all of it.
    std::size_t RunPosted(int waitMs)
    {
        std::deque<std::function<void()>> run;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            cv_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return !queue_.empty(); });
            run.swap(queue_);
        }
        for (auto& f : run)
            f();
        return run.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
};

class SerialPortTest : public ::testing::Test
{
protected:
    fs::path folder = fs::temp_directory_path() / ("commport-" + std::to_string(getpid()));
    PtyReaderPeer line;
    UiQueue ui;
    SerialPort port{ui.Poster()};
    std::vector<std::pair<std::string, std::string>> messages;
    int rxChars = 0;

    void SetUp() override
    {
        fs::create_directories(folder / "ports");
        fs::create_symlink(line.SlavePath(), folder / "ports" / "COM1");
        port.SetProgramFolder(folder.string());
        port.SetOnMessage(
            [this](const std::string& t, const std::string& c) { messages.emplace_back(t, c); });
        port.SetOnRxChar([this](SerialPort& sender) {
            EXPECT_EQ(&sender, &port);
            ++rxChars;
        });
    }
    void TearDown() override { fs::remove_all(folder); }
    void Send(const std::string& s)
    {
        ASSERT_EQ(::write(line.MasterHandle(), s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }
};

} // namespace

TEST_F(SerialPortTest, OnlyComOneToNine)
{
    for (const char* name : {"COM10", "COM0", "LPT1", "COM", "com1", "COMX"}) {
        EXPECT_FALSE(port.OpenPort(name)) << name;
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SerialPortTest, OpenAppliesEightNoneOneAt115200AndStartsTheThread)
{
    port.SetBaudRate(9600);
    ASSERT_TRUE(port.OpenPort("COM1"));
    EXPECT_EQ(port.CurrentName(), "COM1");
    EXPECT_TRUE(port.EventThreadRunning());
    EXPECT_EQ(port.Settings().baudRate, 115200u);
    EXPECT_EQ(port.Settings().byteSize, 8);
    EXPECT_EQ(port.Settings().parity, 0);
    EXPECT_EQ(port.Settings().stopBits, 0);
    EXPECT_TRUE(port.SetBaudRate(19200));
    EXPECT_FALSE(port.SetByteSize(9));
    // A pseudo-terminal keeps 8 bits without parity and may refuse others; the values are kept.
    port.SetParity(2);
    EXPECT_EQ(port.Settings().parity, 2);
    port.SetParity(0);
    port.SetByteSize(8);
    EXPECT_FALSE(port.SetBaudRate(12345)) << "a rate termios does not know";
    EXPECT_FALSE(port.SetStopBits(1)) << "one and a half stop bits";
    EXPECT_TRUE(port.ClosePort());
    EXPECT_FALSE(port.EventThreadRunning());
    EXPECT_FALSE(port.ApplyPortSettings()) << "no port open";
    EXPECT_TRUE(port.ClosePort()) << "closing a closed port";
}

TEST_F(SerialPortTest, PortHeldElsewhere)
{
    SerialDevice other;
    ASSERT_TRUE(other.Open(line.SlavePath(), SerialSettings{}));
    EXPECT_FALSE(port.OpenPort("COM1"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "不能打开串口COM1");
    EXPECT_EQ(messages[0].second, "串口错误");
    EXPECT_EQ(port.CurrentName(), "NUL");
    EXPECT_FALSE(port.EventThreadRunning());
}

TEST_F(SerialPortTest, ArrivalsAreReportedOnTheUiThreadOnce)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    Send("A");
    EXPECT_EQ(ui.RunPosted(2000), 1u);
    EXPECT_EQ(rxChars, 1);
    // Unread characters are not reported again and again.
    EXPECT_EQ(ui.RunPosted(80), 0u);
    Send("BC");
    EXPECT_EQ(ui.RunPosted(2000), 1u);
    EXPECT_EQ(rxChars, 2);
}

// The user-interface side reads what was reported and a new character comes in before the thread
// looks again: the queue is shorter than the thread last saw, yet holds a new character.
TEST_F(SerialPortTest, AnArrivalRightAfterAReadIsReported)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    Send("ABC");
    EXPECT_EQ(ui.RunPosted(2000), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the thread has seen all three
    char taken[3];
    ASSERT_EQ(::read(port.Handle(), taken, sizeof taken), 3);
    Send("D");
    EXPECT_EQ(ui.RunPosted(2000), 1u) << "the new character was never reported";
    EXPECT_EQ(rxChars, 2);
}

// The user-interface side reads as many characters as arrive meanwhile: the queue is as long as
// the thread last saw it, yet what is in it is new.
TEST_F(SerialPortTest, AnArrivalAsLongAsTheReadBeforeItIsReported)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    Send("ABC");
    EXPECT_EQ(ui.RunPosted(2000), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the thread has seen all three
    Send("DEF");
    for (int i = 0; i < 2000; ++i) { // until the new three are queued behind the old
        int queued = 0;
        if (ioctl(port.Handle(), FIONREAD, &queued) == 0 && queued == 6)
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    char taken[3];
    ASSERT_EQ(::read(port.Handle(), taken, sizeof taken), 3);
    EXPECT_EQ(ui.RunPosted(2000), 1u) << "the arrival of DEF was never reported";
    EXPECT_EQ(rxChars, 2);
}

TEST_F(SerialPortTest, CloseStopsTheThreadAndSilencesQueuedNotifications)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    Send("X");
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the notification is queued
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.ClosePort());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "the thread did not stop";
    ui.RunPosted(0);
    EXPECT_EQ(rxChars, 0) << "a notification reached a closed port";
    ASSERT_TRUE(port.OpenPort("COM1")) << "the port opens again";
}

TEST_F(SerialPortTest, AFailedCloseIsReported)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    ::close(port.Handle()); // gone behind the port's back: its own close then fails
    EXPECT_FALSE(port.ClosePort());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(),
              std::make_pair(std::string("Error in closing COM port"), std::string("Serial Port Error")));
    EXPECT_FALSE(port.IsOpen()) << "the descriptor is released whatever close said";
    EXPECT_TRUE(port.ClosePort());
}

TEST_F(SerialPortTest, ConfigurationDialog)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    std::string shownFor;
    port.SetOnConfigureDialog([&](const std::string& name, SerialSettings& s) {
        shownFor = name;
        s.baudRate = 57600;
        return true;
    });
    port.ConfigurePortDialog();
    EXPECT_EQ(shownFor, "COM1");
    EXPECT_EQ(port.Settings().baudRate, 57600u);
    port.SetOnConfigureDialog([](const std::string&, SerialSettings& s) {
        s.baudRate = 9600;
        return false;
    });
    port.ConfigurePortDialog();
    EXPECT_EQ(port.Settings().baudRate, 57600u) << "a cancelled dialog changes nothing";
}

TEST(SerialPortLifetime, DestroyingAnOpenPortJoinsItsThread)
{
    PtyReaderPeer line;
    const fs::path folder = fs::temp_directory_path() / ("commport2-" + std::to_string(getpid()));
    fs::create_directories(folder / "ports");
    fs::create_symlink(line.SlavePath(), folder / "ports" / "COM2");
    {
        SerialPort port([](std::function<void()>) {});
        port.SetProgramFolder(folder.string());
        ASSERT_TRUE(port.OpenPort("COM2"));
    }
    SerialDevice again;
    EXPECT_TRUE(again.Open(line.SlavePath(), SerialSettings{})) << "the lock was released";
    fs::remove_all(folder);
}
