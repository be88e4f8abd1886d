// The operator dialog run modally: the silent refusals it keeps from the Windows version, the
// refusals of texts the settings file could not keep (said in a message), and OK.
#include "app/dialogs/OperatorDialog.h"
#include "fakes/ModalScript.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

namespace {

struct OperatorDialog : ::testing::Test
{
    FakeUiServices ui;
};

} // namespace

TEST_F(OperatorDialog, ClosesWithOkOnlyForTextsTheFileKeeps)
{
    const char* const blanksGyh = "柜员号前后不能有空格，也不能含有换行。";
    const char* const syntaxGyh = "柜员号不能含有“=”，也不能以“[”或“;”开头。";
    const char* const blanksName = "姓名前后不能有空格，也不能含有换行。";
    const char* const blanksPwd = "密码前后不能有空格，也不能含有换行。";
    const struct
    {
        const char* what;
        const char *gyh, *name, *pwd, *pwdOk;
        bool closes;
        const char* message; // nullptr: none
    } cases[] = {
        {"all filled", "0001", "张三", "pw", "pw", true, nullptr},
        {"empty passwords", "0001", "张三", "", "", true, nullptr},
        {"teller number with inner blank and ] ", "00 1]", "张 三", "p w", "p w", true, nullptr},
        {"name with = [ ;", "0001", "[a=b;", ";p=[", ";p=[", true, nullptr},
        {"empty teller number", "", "张三", "pw", "pw", false, nullptr},
        {"empty name", "0001", "", "pw", "pw", false, nullptr},
        {"passwords differ", "0001", "张三", "pw", "pW", false, nullptr},
        {"second password empty", "0001", "张三", "pw", "", false, nullptr},
        {"blank teller number", " ", "张三", "", "", false, blanksGyh},
        {"teller number with leading blank", " 0001", "张三", "", "", false, blanksGyh},
        {"teller number with trailing blank", "0001 ", "张三", "", "", false, blanksGyh},
        {"teller number with =", "00=1", "张三", "", "", false, syntaxGyh},
        {"teller number starting with [", "[0001", "张三", "", "", false, syntaxGyh},
        {"teller number starting with ;", ";0001", "张三", "", "", false, syntaxGyh},
        {"name with trailing blank", "0001", "张三 ", "", "", false, blanksName},
        {"name of blanks", "0001", "  ", "", "", false, blanksName},
        {"password with leading blank", "0001", "张三", " pw", " pw", false, blanksPwd},
        {"silent refusal first", "0001 ", "", "", "", false, nullptr},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        TForm10 dialog(ui);
        bool leftOpen = false;
        const int result = RunScripted(
            ui, dialog,
            [&] {
                TypeText(dialog.Edit_GYH, QString::fromUtf8(c.gyh));
                TypeText(dialog.Edit_NAME, QString::fromUtf8(c.name));
                TypeText(dialog.Edit_PWD, QString::fromUtf8(c.pwd));
                TypeText(dialog.Edit_PWDOK, QString::fromUtf8(c.pwdOk));
                dialog.Button1->click();
            },
            &leftOpen);
        EXPECT_EQ(result, c.closes ? mrOk : mrCancel) << c.what;
        EXPECT_EQ(leftOpen, !c.closes) << c.what;
        if (c.message) {
            ASSERT_EQ(ui.messages.size(), 1u) << c.what;
            EXPECT_EQ(ui.messages[0].text, c.message) << c.what;
            EXPECT_EQ(ui.messages[0].caption, "注意") << c.what;
            EXPECT_EQ(ui.messages[0].buttons, TMsgButtons::Ok) << c.what;
        } else {
            EXPECT_TRUE(ui.messages.empty()) << c.what;
        }
    }
}

TEST_F(OperatorDialog, LineBreaksSetIntoTheBoxesAreRefused)
{
    // Typing cannot put a line break into a box; setting its text can.
    const struct
    {
        const char *gyh, *name, *message;
    } cases[] = {{"00\n01", "张三", "柜员号前后不能有空格，也不能含有换行。"},
                 {"0001", "张\r\n三", "姓名前后不能有空格，也不能含有换行。"}};
    for (const auto& c : cases) {
        ui.messages.clear();
        TForm10 dialog(ui);
        bool leftOpen = false;
        RunScripted(
            ui, dialog,
            [&] {
                dialog.Edit_GYH->setText(QString::fromUtf8(c.gyh));
                dialog.Edit_NAME->setText(QString::fromUtf8(c.name));
                dialog.Button1->click();
            },
            &leftOpen);
        EXPECT_TRUE(leftOpen) << c.message;
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.message);
    }
}

TEST_F(OperatorDialog, TheTellerNumberTakesTwelveCharactersAndCancelCloses)
{
    TForm10 dialog(ui);
    EXPECT_EQ(dialog.windowTitle(), "添加操作员");
    EXPECT_EQ(dialog.size(), QSize(334, 198));
    EXPECT_EQ(dialog.Label1->text(), "柜员号：");
    EXPECT_EQ(dialog.Label4->text(), "密码确认：");
    EXPECT_EQ(dialog.Edit_PWD->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.Edit_PWDOK->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.Button3->isHidden());
    const int result = RunScripted(ui, dialog, [&] {
        QTest::keyClicks(dialog.Edit_GYH, "12345678901234");
        EXPECT_EQ(dialog.Edit_GYH->text(), "123456789012");
        TypeText(dialog.Edit_PWD, "pw");
        EXPECT_EQ(dialog.Edit_PWD->displayText(), "**");
        // Tab goes through the fields in order.
        dialog.Edit_GYH->setFocus();
        QTest::keyClick(dialog.Edit_GYH, Qt::Key_Tab);
        EXPECT_EQ(dialog.focusWidget(), dialog.Edit_NAME);
        QTest::keyClick(dialog.Edit_NAME, Qt::Key_Tab);
        EXPECT_EQ(dialog.focusWidget(), dialog.Edit_PWD);
        QTest::keyClick(dialog.Edit_PWD, Qt::Key_Tab);
        EXPECT_EQ(dialog.focusWidget(), dialog.Edit_PWDOK);
        dialog.Button2->click();
    });
    EXPECT_EQ(result, mrCancel);
}
