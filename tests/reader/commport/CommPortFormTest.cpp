#include "reader/commport/CommPortForm.h"
#include "fakes/FakeUiServices.h"
#include "reader/commport/PortConfigDialog.h"
#include "reader/commport/QtPortServices.h"
#include "reader/commport/SerialPort.h"
#include "tools/readersim/PtyReaderPeer.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class CommPortFormTest : public ::testing::Test
{
protected:
    fs::path folder = fs::temp_directory_path() / ("commform-" + std::to_string(getpid()));
    PtyReaderPeer line;
    FakeUiServices ui;
    SerialPort port{QtUiThreadPoster()};
    TCommPortForm form;

    void SetUp() override
    {
        fs::create_directories(folder / "ports");
        fs::create_symlink(line.SlavePath(), folder / "ports" / "COM1");
        fs::create_symlink("/nonexistent/tty", folder / "ports" / "COM3");
        port.SetProgramFolder(folder.string());
        AttachQtPortServices(port);
    }
    void TearDown() override
    {
        port.ClosePort();
        fs::remove_all(folder);
    }
};

} // namespace

TEST_F(CommPortFormTest, LayoutAndDormantControls)
{
    EXPECT_EQ(form.Caption(), "Communication");
    EXPECT_EQ(form.Label1->text(), "Serial Port");
    ASSERT_EQ(form.CommPort->count(), 9);
    EXPECT_EQ(form.CommPort->itemText(0), "COM1");
    EXPECT_EQ(form.CommPort->itemText(8), "COM9");
    EXPECT_EQ(form.BCom->text(), "Config");
    EXPECT_EQ(form.BClose->text(), "Close");
    // No port object, as in the program: nothing happens.
    form.CommPort->setCurrentIndex(0);
    form.BCom->click();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.dialogs.empty());
}

TEST_F(CommPortFormTest, ChoosingAPortOpensIt)
{
    form.SetCommPortObject(&port);
    form.CommPort->setCurrentIndex(0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.CurrentName(), "COM1");
    EXPECT_TRUE(ui.messages.empty());

    form.CommPort->setCurrentIndex(2); // COM3 cannot be opened: the open's message, then the form's
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"不能打开串口COM3", "Error in opening com port"}));
    EXPECT_EQ(ui.messages[0].caption, "串口错误");
    EXPECT_EQ(ui.messages[1].caption, "Serial Port Error");
    EXPECT_EQ(ui.messages[1].icon, TMsgIcon::Warning);
}

TEST_F(CommPortFormTest, ChoosingTheOpenPortDoesNothing)
{
    ASSERT_TRUE(port.OpenPort("COM1"));
    int notified = 0;
    port.SetOnRxChar([&](SerialPort&) { ++notified; });
    form.SetCommPortObject(&port);
    form.CommPort->setCurrentIndex(0);
    EXPECT_TRUE(port.IsOpen());
    // The same port object and thread are still there: an arrival is reported through the event loop.
    ASSERT_EQ(::write(line.MasterHandle(), "Z", 1), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return notified == 1; }, 2000));
}

TEST_F(CommPortFormTest, ConfigDialogEditsTheSettings)
{
    form.SetCommPortObject(&port);
    form.CommPort->setCurrentIndex(0);
    ui.onModal = [](QDialog& dialog) {
        auto& config = static_cast<TPortConfigDialog&>(dialog);
        EXPECT_EQ(config.BaudRate->currentText(), "115200");
        config.BaudRate->setCurrentIndex(config.BaudRate->findData(57600));
        return int(mrOk);
    };
    form.BCom->click();
    EXPECT_EQ(ui.dialogs, (std::vector<std::string>{"PortConfigDialog"}));
    EXPECT_EQ(port.Settings().baudRate, 57600u);
    ui.onModal = [](QDialog& dialog) {
        static_cast<TPortConfigDialog&>(dialog).BaudRate->setCurrentIndex(0);
        return int(mrCancel);
    };
    form.BCom->click();
    EXPECT_EQ(port.Settings().baudRate, 57600u);
}
