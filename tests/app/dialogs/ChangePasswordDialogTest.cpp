// The change-password dialog run modally: its three rules, what reaches the settings file and the
// password in memory, a settings file in GB18030, and a write that fails.
#include "app/dialogs/ChangePasswordDialog.h"
#include "fakes/FileText.h"
#include "fakes/ModalScript.h"
#include "fakes/TempFolder.h"
#include "platform/core/IniFile.h"
#include "platform/core/TextEncoding.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct ChangePassword : ::testing::Test
{
    TempFolder folder;
    std::string path = folder.Path() + "style.ini";
    FakeUiServices ui;
    std::string password;

    void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

    // Types the three fields, presses 确定 and reports whether the dialog closed with OK.
    int Change(const std::string& oldTyped, const std::string& newTyped, const std::string& again,
               bool* leftOpen = nullptr)
    {
        TIniFile settings(path);
        TForm_ChangePWD dialog(password, settings, ui);
        return RunScripted(
            ui, dialog,
            [&] {
                TypeText(dialog.edt_oldpwd, QString::fromStdString(oldTyped));
                TypeText(dialog.edt_newpwd, QString::fromStdString(newTyped));
                TypeText(dialog.edt_renewpwd, QString::fromStdString(again));
                dialog.Button1->click();
            },
            leftOpen);
    }
};

} // namespace

TEST_F(ChangePassword, RulesAndWhatTheyWrite)
{
    const std::string stored = "[SetupKey]\r\nUseBP=1\r\n[ManagerPWD]\r\nValue=s3cret\r\n";
    const struct
    {
        const char* what;
        const char* oldTyped;
        const char* newTyped;
        const char* again;
        const char* message; // nullptr: accepted
        const char* stored;  // the file's Value afterwards
    } cases[] = {
        {"wrong old", "S3cret", "new", "new", "口令认证错误，请重新输入。", "s3cret"},
        {"empty old", "", "new", "new", "口令认证错误，请重新输入。", "s3cret"},
        {"wrong old and different new", "x", "a", "b", "口令认证错误，请重新输入。", "s3cret"},
        {"different new", "s3cret", "new1", "new2", "新口令两次输入不一致，请重新输入。", "s3cret"},
        {"new only once", "s3cret", "new", "", "新口令两次输入不一致，请重新输入。", "s3cret"},
        {"blank after new", "s3cret", "new ", "new ", "新口令前后不能有空格，也不能含有换行，请重新输入。",
         "s3cret"},
        {"blank before new", "s3cret", " new", " new", "新口令前后不能有空格，也不能含有换行，请重新输入。",
         "s3cret"},
        {"changed", "s3cret", "n e=w;", "n e=w;", nullptr, "n e=w;"},
        {"empty new", "s3cret", "", "", nullptr, ""},
        {"same again", "s3cret", "s3cret", "s3cret", nullptr, "s3cret"},
    };
    for (const auto& c : cases) {
        Write(stored);
        password = "s3cret";
        ui.messages.clear();
        bool leftOpen = false;
        const int result = Change(c.oldTyped, c.newTyped, c.again, &leftOpen);
        TIniFile after(path);
        EXPECT_EQ(after.ReadString("ManagerPWD", "Value", "<none>"), c.stored) << c.what;
        EXPECT_EQ(after.ReadString("SetupKey", "UseBP", ""), "1") << c.what;
        if (c.message) {
            EXPECT_TRUE(leftOpen) << c.what;
            EXPECT_EQ(result, mrCancel) << c.what;
            EXPECT_EQ(password, "s3cret") << c.what;
            EXPECT_EQ(ReadAll(path), stored) << c.what << ": a refusal writes nothing";
            ASSERT_EQ(ui.messages.size(), 1u) << c.what;
            EXPECT_EQ(ui.messages[0].text, c.message) << c.what;
            EXPECT_EQ(ui.messages[0].caption, "注意");
            EXPECT_EQ(ui.messages[0].buttons, TMsgButtons::Ok);
        } else {
            EXPECT_EQ(result, mrOk) << c.what;
            EXPECT_EQ(password, c.newTyped) << c.what << ": the new password counts at once";
            EXPECT_TRUE(ui.messages.empty()) << c.what;
        }
    }
}

TEST_F(ChangePassword, WithoutAStoredPasswordTheOldOneIsEmptyAndTheSectionIsMade)
{
    Write("[SetupKey]\r\nUseBP=0\r\n");
    EXPECT_EQ(Change("", "abc", "abc"), mrOk);
    EXPECT_EQ(ReadAll(path), "[SetupKey]\r\nUseBP=0\r\n[ManagerPWD]\r\nValue=abc\r\n");
    EXPECT_EQ(password, "abc");
}

TEST_F(ChangePassword, AFileFromTheWindowsVersionKeepsItsEncoding)
{
    // The same password typed here matches the one stored in GB18030, and the new one is stored in it.
    const std::string utf8 = "[OperaManager]\r\n01=张三\r\n[ManagerPWD]\r\nValue=管理员\r\n";
    Write(Utf8ToGb18030(utf8));
    password = TIniFile(path).ReadString("ManagerPWD", "Value", "");
    EXPECT_EQ(password, "管理员");
    EXPECT_EQ(Change("管理员", "新口令", "新口令"), mrOk);
    EXPECT_EQ(password, "新口令");
    EXPECT_EQ(ReadAll(path), Utf8ToGb18030("[OperaManager]\r\n01=张三\r\n[ManagerPWD]\r\nValue=新口令\r\n"));
}

TEST_F(ChangePassword, AWriteThatFailsIsShownAndTheOldPasswordStays)
{
    // A folder in place of the file: it cannot be read as settings nor replaced.
    std::filesystem::create_directory(path);
    password = "";
    bool leftOpen = false;
    EXPECT_EQ(Change("", "new", "new", &leftOpen), mrCancel);
    EXPECT_TRUE(leftOpen);
    EXPECT_EQ(password, "");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("Unable to write to"), std::string::npos) << ui.messages[0].text;
}

TEST_F(ChangePassword, Shape)
{
    TIniFile settings(path);
    TForm_ChangePWD dialog(password, settings, ui);
    EXPECT_EQ(dialog.windowTitle(), "修改密码");
    EXPECT_EQ(dialog.size(), QSize(281, 171));
    EXPECT_EQ(dialog.Label1->text(), "旧口令:");
    EXPECT_EQ(dialog.Label2->text(), "新口令:");
    EXPECT_EQ(dialog.Label3->text(), "重输口令:");
    for (QLineEdit* edit : {dialog.edt_oldpwd, dialog.edt_newpwd, dialog.edt_renewpwd})
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.Button3->isHidden());
    EXPECT_EQ(RunScripted(ui, dialog, [&] { dialog.Button2->click(); }), mrCancel);
    EXPECT_FALSE(std::filesystem::exists(path));
}
