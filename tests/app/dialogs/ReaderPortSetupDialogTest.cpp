#include "app/dialogs/ReaderPortSetupDialog.h"
#include "fakes/FakeUiServices.h"
#include "fakes/TempFolder.h"
#include "platform/core/IniFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct FlashForm : ::testing::Test
{
    TempFolder folder;
    TIniFile ini{folder.Path() + "style.ini"};
    Tfrm_FlashForm form;

    FlashForm() { form.IniFile = &ini; }
    int Port() const { return ini.ReadInteger("ICReader", "CommPort", -1); }
};

} // namespace

TEST_F(FlashForm, TypingAPortWritesEachNumberOnTheWay)
{
    form.show();
    form.ComboBox_txsz->lineEdit()->setFocus();
    std::vector<int> written;
    for (const char* key : {"2", "0", "0", "1"}) {
        QTest::keyClicks(form.ComboBox_txsz->lineEdit(), key);
        written.push_back(Port());
    }
    EXPECT_EQ(written, (std::vector<int>{2, 20, 200, 2001}));

    form.ComboBox_txsz->setCurrentIndex(form.ComboBox_txsz->findText("1001"));
    EXPECT_EQ(Port(), 1001) << "a port picked from the list is stored at once";
}

TEST_F(FlashForm, PortTextThatIsNotANumberIsIgnoredAndAnOverflowIsShown)
{
    FakeUiServices ui;
    for (const char* text : {"", "  ", "COM3", "3a", "-1"}) {
        form.ComboBox_txsz->setEditText(text);
        EXPECT_EQ(Port(), -1) << '"' << text << '"';
    }
    form.ComboBox_txsz->setEditText(" 7 ");
    EXPECT_EQ(Port(), 7);

    form.ComboBox_txsz->setEditText("99999999999");
    EXPECT_EQ(Port(), 7) << "nothing is written for a number beyond an int";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "'99999999999' is not a valid integer value.");
}

TEST_F(FlashForm, OkWritesTheExtensionBoxAndClosesWithOk)
{
    form.Edit_BPCMD->setEditText("1B2543");
    form.show();
    form.Button1->click();
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_EQ(ini.ReadInteger("SetupKey", "UseBP", -1), 0);
    EXPECT_EQ(ini.ReadString("SetupKey", "BP_CMD", "-"), "1B2543");
    EXPECT_FALSE(ini.ValueExists("ICReader", "CommPort")) << "OK without touching the port writes no port";

    form.CheckBox_UseBP->setChecked(true); // the click handler writes at once
    EXPECT_EQ(ini.ReadInteger("SetupKey", "UseBP", -1), 1);
}

TEST_F(FlashForm, CancelClosesWithCancelAndWritesNothingMore)
{
    form.show();
    form.Button2->click();
    EXPECT_EQ(form.ModalResult(), mrCancel);
    EXPECT_FALSE(ini.SectionExists("SetupKey"));
}
