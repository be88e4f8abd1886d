// The main window's administrator password gate, password change and operator page, run through
// their buttons with typed input in the real dialogs; the settings file compared byte for byte before
// and after, and the unlocked settings page used across a restart.
#include "WindowEnvironment.h"

#include "app/dialogs/AdminPasswordDialog.h"
#include "app/dialogs/ChangePasswordDialog.h"
#include "app/dialogs/OperatorDialog.h"
#include "app/mainwindow/MainWindow.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePump.h"
#include "fakes/FakeUiServices.h"
#include "fakes/FileText.h"
#include "fakes/ModalScript.h"
#include "platform/core/TextEncoding.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace {

// The operator list as rows of "number|teller number|name".
std::vector<std::string> Rows(const QTreeWidget& list)
{
    std::vector<std::string> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list.topLevelItem(i);
        rows.push_back((item->text(0) + "|" + item->text(1) + "|" + item->text(2)).toStdString());
    }
    return rows;
}

class AdminTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    FakeClock clock;
    FakePump pump;
    FakeUiServices ui;
    int leftOpen = 0; // dialogs the script left open

    std::string IniPath() const { return dir.path().toStdString() + "/style.ini"; }
    void WriteBytes(const std::string& bytes) { std::ofstream(IniPath(), std::ios::binary) << bytes; }
    // Settings files as the Windows version writes them, in GB18030 (ASCII reads the same in it).
    void WriteIni(const std::string& text) { WriteBytes(Utf8ToGb18030(text)); }
    std::string FileText() const { return Gb18030ToUtf8(ReadAll(IniPath())); }

    std::unique_ptr<TForm1> Create()
    {
        return std::make_unique<TForm1>(WindowEnvironment(dir.path().toStdString(), ui, clock, pump));
    }

    // Every password gate from now on gets typed, in turn, the texts given and then 确定 for each;
    // a gate still open after the last is cancelled.
    void AnswerGates(std::vector<QString> typed)
    {
        ScriptModals(
            ui,
            [typed](QDialog& dialog) {
                auto& gate = dynamic_cast<TForm5&>(dialog);
                for (const QString& text : typed) {
                    if (!gate.isVisible())
                        return;
                    gate.Edit1->clear();
                    TypeText(gate.Edit1, text);
                    QTest::keyClick(gate.Edit1, Qt::Key_Return);
                }
            },
            &leftOpen);
    }

    // The change-password dialog gets the three texts typed and 确定.
    void AnswerChange(QString oldTyped, QString newTyped, QString again)
    {
        ScriptModals(
            ui,
            [=](QDialog& dialog) {
                auto& change = dynamic_cast<TForm_ChangePWD&>(dialog);
                TypeText(change.edt_oldpwd, oldTyped);
                TypeText(change.edt_newpwd, newTyped);
                TypeText(change.edt_renewpwd, again);
                change.Button1->click();
            },
            &leftOpen);
    }

    // The operator dialog gets what `fill` types, then 确定 (or 取 消 when cancel is set).
    void AnswerOperator(std::function<void(TForm10&)> fill, bool cancel = false)
    {
        ScriptModals(
            ui,
            [fill, cancel](QDialog& dialog) {
                auto& form = dynamic_cast<TForm10&>(dialog);
                fill(form);
                (cancel ? form.Button2 : form.Button1)->click();
            },
            &leftOpen);
    }

    static std::vector<QWidget*> Guarded(TForm1& w)
    {
        return {w.ComboBox_txsz, w.UpDown1,   w.CheckBox1,          w.CheckBox_UseBP,
                w.UpDown2,       w.CheckBox4, w.CheckBox_UseExtCmd, w.btn_prtformatadjustment};
    }
    static bool AllEnabled(TForm1& w, bool enabled)
    {
        for (QWidget* control : Guarded(w))
            if (control->isEnabled() != enabled)
                return false;
        return true;
    }
};

} // namespace

// ---- Password gate ------------------------------------------------------------------------------------

TEST_F(AdminTest, TheGateEnablesTheGuardedControlsOnlyForTheRightPassword)
{
    const std::string utf8Signature = "\xEF\xBB\xBF";
    const struct
    {
        const char* what;
        std::string file; // the file's bytes; empty: no settings file
        QString typed;
        bool opens;
    } cases[] = {
        {"right", "[ManagerPWD]\r\nValue=s3cret\r\n", "s3cret", true},
        {"wrong", "[ManagerPWD]\r\nValue=s3cret\r\n", "secret", false},
        {"other letter case", "[ManagerPWD]\r\nValue=s3cret\r\n", "S3CRET", false},
        {"empty typed", "[ManagerPWD]\r\nValue=s3cret\r\n", "", false},
        {"no file, empty typed", "", "", true},
        {"no file, something typed", "", "x", false},
        {"empty stored, empty typed", "[ManagerPWD]\r\nValue=\r\n", "", true},
        // The same password from a file of the Windows version and from a UTF-8 one.
        {"GB18030", Utf8ToGb18030("[ManagerPWD]\r\nValue=管理员\r\n"), QStringLiteral("管理员"), true},
        {"UTF-8", utf8Signature + "[ManagerPWD]\r\nValue=管理员\r\n", QStringLiteral("管理员"), true},
        {"GB18030, wrong", Utf8ToGb18030("[ManagerPWD]\r\nValue=管理员\r\n"), QStringLiteral("管理"), false},
        {"UTF-8, wrong", utf8Signature + "[ManagerPWD]\r\nValue=管理员\r\n", QStringLiteral("管理"), false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(IniPath());
        if (!c.file.empty())
            WriteBytes(c.file);
        ui.messages.clear();
        leftOpen = 0;
        auto w = Create();
        ASSERT_TRUE(AllEnabled(*w, false)) << c.what;
        AnswerGates({c.typed});
        w->btn_EditProject->click();
        EXPECT_EQ(ui.dialogs, std::vector<std::string>{"Form5"}) << c.what;
        ui.dialogs.clear();
        EXPECT_TRUE(AllEnabled(*w, c.opens)) << c.what;
        EXPECT_EQ(leftOpen, c.opens ? 0 : 1) << c.what << ": a wrong password keeps the gate open";
        EXPECT_EQ(ui.Texts(), c.opens ? std::vector<std::string>{}
                                      : std::vector<std::string>{"口令认证错误，请重新输入。"})
            << c.what;
        if (!c.file.empty())
            EXPECT_EQ(ReadAll(IniPath()), c.file) << c.what << ": the gate writes nothing";
        else
            EXPECT_FALSE(std::filesystem::exists(IniPath())) << c.what;
    }
}

TEST_F(AdminTest, AfterTheRightPasswordTheControlsStayEnabledWhateverLaterGatesDo)
{
    WriteIni("[ManagerPWD]\r\nValue=pw\r\n");
    auto w = Create();
    AnswerGates({"no", "still no", "pw"});
    w->btn_EditProject->click();
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(leftOpen, 0);
    EXPECT_TRUE(AllEnabled(*w, true));

    AnswerGates({"wrong"});
    w->btn_EditProject->click();
    EXPECT_EQ(leftOpen, 1);
    EXPECT_TRUE(AllEnabled(*w, true)) << "a failed gate disables nothing";
    ScriptModals(ui, [](QDialog& dialog) { dynamic_cast<TForm5&>(dialog).Button2->click(); });
    w->btn_EditProject->click();
    EXPECT_TRUE(AllEnabled(*w, true)) << "nor does a cancelled one";
}

TEST_F(AdminTest, TheHiddenSetUpButtonAlsoShowsTheSettingsTab)
{
    WriteIni("[ManagerPWD]\r\nValue=pw\r\n");
    auto w = Create();
    const int tab = w->PageControl1->indexOf(w->TabSheet5);
    w->PageControl1->setTabVisible(tab, false);
    AnswerGates({"wrong"});
    w->btn_setup->click();
    EXPECT_FALSE(w->PageControl1->isTabVisible(tab));
    EXPECT_TRUE(AllEnabled(*w, false));
    AnswerGates({"pw"});
    w->btn_setup->click();
    EXPECT_TRUE(w->PageControl1->isTabVisible(tab));
    EXPECT_TRUE(AllEnabled(*w, true));
}

TEST_F(AdminTest, AGb18030FileFromTheWindowsVersionOpensWithTheSamePasswordAndKeepsItsBytes)
{
    const std::string file =
        Utf8ToGb18030("[SetupKey]\r\nUseBP=1\r\nBP_CMD=1B2541\r\n"
                      "[OperaManager]\r\n0001=张三\r\n[ManagerPWD]\r\nValue=管理员口令\r\n");
    ASSERT_FALSE(IsValidUtf8(file));
    WriteBytes(file);
    auto w = Create();
    AnswerGates({QStringLiteral("管理员口令")});
    w->btn_EditProject->click();
    EXPECT_TRUE(AllEnabled(*w, true));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ReadAll(IniPath()), file);

    AnswerChange(QStringLiteral("管理员口令"), QStringLiteral("新口令"), QStringLiteral("新口令"));
    w->btn_ChangePWD->click();
    EXPECT_EQ(ReadAll(IniPath()),
              Utf8ToGb18030("[SetupKey]\r\nUseBP=1\r\nBP_CMD=1B2541\r\n"
                            "[OperaManager]\r\n0001=张三\r\n[ManagerPWD]\r\nValue=新口令\r\n"));
}

// ---- Password change ----------------------------------------------------------------------------------

TEST_F(AdminTest, AChangedPasswordOpensTheGateAtOnceAndAfterARestart)
{
    WriteIni("[ManagerPWD]\r\nValue=old\r\n");
    auto w = Create();
    ASSERT_TRUE(w->btn_ChangePWD->isEnabled()) << "the change needs no gate first";
    AnswerChange("old", "n3w", "n3w");
    w->btn_ChangePWD->click();
    EXPECT_EQ(leftOpen, 0);
    EXPECT_EQ(w->ManagerPassword, "n3w");
    EXPECT_EQ(FileText(), "[ManagerPWD]\r\nValue=n3w\r\n");
    EXPECT_TRUE(AllEnabled(*w, false)) << "changing the password unlocks nothing";

    AnswerGates({"old", "n3w"});
    w->btn_EditProject->click();
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"口令认证错误，请重新输入。"});
    EXPECT_TRUE(AllEnabled(*w, true));

    w.reset();
    auto again = Create();
    AnswerGates({"n3w"});
    again->btn_EditProject->click();
    EXPECT_TRUE(AllEnabled(*again, true));
}

TEST_F(AdminTest, AnEmptyNewPasswordIsStoredAndOpensTheEmptyGate)
{
    WriteIni("[ManagerPWD]\r\nValue=old\r\n");
    auto w = Create();
    AnswerChange("old", "", "");
    w->btn_ChangePWD->click();
    EXPECT_EQ(FileText(), "[ManagerPWD]\r\nValue=\r\n");
    AnswerGates({""});
    w->btn_EditProject->click();
    EXPECT_TRUE(AllEnabled(*w, true));
}

TEST_F(AdminTest, ARefusedChangeWritesNothing)
{
    const std::string file = "[ManagerPWD]\r\nValue=old\r\n";
    const struct
    {
        QString oldTyped, newTyped, again;
        const char* message;
    } cases[] = {
        {"OLD", "a", "a", "口令认证错误，请重新输入。"},
        {"old", "a", "b", "新口令两次输入不一致，请重新输入。"},
        {"old", "a ", "a ", "新口令前后不能有空格，也不能含有换行，请重新输入。"},
    };
    for (const auto& c : cases) {
        WriteIni(file);
        ui.messages.clear();
        leftOpen = 0;
        auto w = Create();
        AnswerChange(c.oldTyped, c.newTyped, c.again);
        w->btn_ChangePWD->click();
        EXPECT_EQ(leftOpen, 1) << c.message;
        EXPECT_EQ(ui.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(w->ManagerPassword, "old") << c.message;
        EXPECT_EQ(FileText(), file) << c.message;
    }
}

// ---- The unlocked settings page across a restart ------------------------------------------------------

TEST_F(AdminTest, ThePortChangedThroughTheUnlockedScreenIsReadAfterARestart)
{
    WriteIni("[ManagerPWD]\r\nValue=pw\r\n[ICReader]\r\nCommPort=1001\r\n");
    auto w = Create();
    w->show();
    w->PageControl1->setCurrentWidget(w->TabSheet5);
    QLineEdit* portText = w->ComboBox_txsz->lineEdit();

    // Locked: keys typed into the port box go nowhere.
    QTest::keyClick(portText, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(portText, "3");
    EXPECT_EQ(w->ReaderPort, 1001);

    AnswerGates({"pw"});
    QTest::mouseClick(w->btn_EditProject, Qt::LeftButton);
    ASSERT_TRUE(w->ComboBox_txsz->isEnabled());
    QTest::keyClick(portText, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(portText, "2001");
    EXPECT_EQ(w->ReaderPort, 2001);
    // The check boxes the password unlocked write through the screen too.
    QTest::mouseClick(w->CheckBox4, Qt::LeftButton);
    EXPECT_TRUE(w->CheckBox4->isChecked());
    w.reset();

    auto restarted = Create();
    EXPECT_EQ(restarted->ReaderPort, 2001);
    EXPECT_EQ(restarted->ComboBox_txsz->currentText(), "2001");
    EXPECT_TRUE(restarted->CheckBox4->isChecked());
    EXPECT_TRUE(AllEnabled(*restarted, false)) << "a new start is locked again";
}

// ---- Operator page ------------------------------------------------------------------------------------

TEST_F(AdminTest, ThePageListsTheOperatorsInFileOrderWithoutPasswords)
{
    WriteIni("[OperaManager]\r\n0003=王五\r\n0001=张三\r\n; a comment\r\n0002=\r\n"
             "[OperaPWD]\r\n0003=pw3\r\n0001=pw1\r\n");
    auto w = Create();
    new QTreeWidgetItem(w->ListView1, QStringList{"9", "stale", "row"});
    w->TabSheet2Show(w->TabSheet2);
    EXPECT_EQ(Rows(*w->ListView1), (std::vector<std::string>{"1|0003|王五", "2|0001|张三", "3|0002|"}));
    EXPECT_EQ(w->Memo1->toPlainText(), "0003\n0001\n0002");
    EXPECT_EQ(w->ListView1->columnCount(), 3);
    EXPECT_EQ(w->ListView1->columnWidth(1), 120);
    EXPECT_EQ(w->ListView1->columnWidth(2), 120);

    // Making the page current fills it too (nothing in the program does, but the page is built).
    WriteIni("[OperaManager]\r\n0009=赵六\r\n");
    w->PageControl1->setTabVisible(w->PageControl1->indexOf(w->TabSheet2), true);
    w->PageControl1->setCurrentWidget(w->TabSheet2);
    EXPECT_EQ(Rows(*w->ListView1), std::vector<std::string>{"1|0009|赵六"});
}

TEST_F(AdminTest, AddingWritesBothSectionsAndRefusesAnExistingTellerFromTheListOrTheFile)
{
    const std::string listed =
        "[OperaManager]\r\n0001=张三\r\nb7=李四\r\n[OperaPWD]\r\n0001=pw1\r\nb7=pw2\r\n";
    // Another program added 0005 after the page was filled.
    const std::string laterAdded =
        "[OperaManager]\r\n0001=张三\r\nb7=李四\r\n0005=外来\r\n[OperaPWD]\r\n0001=pw1\r\nb7=pw2\r\n";
    const struct
    {
        const char* what;
        const std::string& fileAfterShow;
        QString tellerNo;
        const char* after; // the file afterwards; nullptr: as it was
    } cases[] = {
        {"new teller", listed, "0002",
         "[OperaManager]\r\n0001=张三\r\nb7=李四\r\n0002=新人\r\n[OperaPWD]\r\n0001=pw1\r\nb7=pw2\r\n0002="
         "pw\r\n"},
        {"in the list", listed, "0001", nullptr},
        {"in the file only", laterAdded, "0005", nullptr},
        {"in the list in other letters", listed, "B7", nullptr},
    };
    for (const auto& c : cases) {
        WriteIni(listed);
        ui.messages.clear();
        auto w = Create();
        w->TabSheet2Show(w->TabSheet2);
        WriteIni(c.fileAfterShow);
        AnswerOperator([&](TForm10& form) {
            EXPECT_EQ(form.windowTitle(), "添加操作员");
            EXPECT_TRUE(form.Edit_GYH->isEnabled());
            TypeText(form.Edit_GYH, c.tellerNo);
            TypeText(form.Edit_NAME, QStringLiteral("新人"));
            TypeText(form.Edit_PWD, "pw");
            TypeText(form.Edit_PWDOK, "pw");
        });
        w->Button3->click();
        EXPECT_EQ(FileText(), c.after ? std::string(c.after) : c.fileAfterShow) << c.what;
        if (c.after) {
            EXPECT_TRUE(ui.messages.empty()) << c.what;
            EXPECT_EQ(Rows(*w->ListView1),
                      (std::vector<std::string>{"1|0001|张三", "2|b7|李四", "3|0002|新人"}))
                << c.what;
        } else {
            EXPECT_EQ(ui.Texts(), std::vector<std::string>{"操作员的柜员号已存在，请检查后重试。"}) << c.what;
            EXPECT_EQ(Rows(*w->ListView1), (std::vector<std::string>{"1|0001|张三", "2|b7|李四"})) << c.what;
        }
    }
}

TEST_F(AdminTest, AddingCancelledOrRefusedInTheDialogWritesNothing)
{
    const std::string file = "[OperaManager]\r\n0001=张三\r\n[OperaPWD]\r\n0001=pw1\r\n";
    WriteIni(file);
    auto w = Create();
    w->TabSheet2Show(w->TabSheet2);

    AnswerOperator([](TForm10& form) { TypeText(form.Edit_GYH, "0002"); }, /*cancel=*/true);
    w->Button3->click();
    EXPECT_EQ(FileText(), file);
    EXPECT_TRUE(ui.messages.empty());

    // A teller number the file cannot keep: the dialog says why and stays open (the script then
    // leaves it, which cancels).
    leftOpen = 0;
    AnswerOperator([](TForm10& form) {
        TypeText(form.Edit_GYH, "[0002");
        TypeText(form.Edit_NAME, "x");
    });
    w->Button3->click();
    EXPECT_EQ(leftOpen, 1);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"柜员号不能含有“=”，也不能以“[”或“;”开头。"});
    EXPECT_EQ(FileText(), file);
    EXPECT_EQ(Rows(*w->ListView1), std::vector<std::string>{"1|0001|张三"});
}

TEST_F(AdminTest, ModifyingRewritesNameAndPasswordOfTheSelectedTeller)
{
    // 0000000000001 is longer than a new teller number may be typed.
    WriteIni("[OperaManager]\r\n0001=张三\r\n0000000000001=李四\r\n[OperaPWD]\r\n0001=pw1\r\n0000000000001="
             "pw2\r\n");
    auto w = Create();
    w->TabSheet2Show(w->TabSheet2);

    w->Button5->click();
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"请在列表里选择柜员号，再操作。"});
    EXPECT_TRUE(ui.dialogs.empty());
    ui.messages.clear();

    const struct
    {
        int row;
        const char *tellerNo, *oldName;
        QString name, password;
        const char* after;
    } cases[] = {
        {0, "0001", "张三", QStringLiteral("张三丰"), "",
         "[OperaManager]\r\n0001=张三丰\r\n0000000000001=李四\r\n[OperaPWD]\r\n0001=\r\n0000000000001="
         "pw2\r\n"},
        {1, "0000000000001", "李四", QStringLiteral("李四"), "new",
         "[OperaManager]\r\n0001=张三丰\r\n0000000000001=李四\r\n[OperaPWD]\r\n0001=\r\n0000000000001="
         "new\r\n"},
    };
    for (const auto& c : cases) {
        w->ListView1->setCurrentItem(w->ListView1->topLevelItem(c.row));
        AnswerOperator([&](TForm10& form) {
            EXPECT_EQ(form.windowTitle(), "修改操作员参数");
            EXPECT_FALSE(form.Edit_GYH->isEnabled());
            EXPECT_EQ(form.Edit_GYH->text(), c.tellerNo);
            EXPECT_EQ(form.Edit_NAME->text(), c.oldName);
            EXPECT_EQ(form.Edit_PWD->text(), "");
            EXPECT_EQ(form.Edit_PWDOK->text(), "");
            form.Edit_NAME->clear();
            TypeText(form.Edit_NAME, c.name);
            TypeText(form.Edit_PWD, c.password);
            TypeText(form.Edit_PWDOK, c.password);
        });
        w->Button5->click();
        EXPECT_EQ(FileText(), c.after) << c.tellerNo;
        EXPECT_EQ(w->ListView1->topLevelItem(c.row)->text(2), c.name) << c.tellerNo;
    }
    EXPECT_TRUE(ui.messages.empty());

    const std::string before = FileText();
    AnswerOperator([](TForm10& form) { TypeText(form.Edit_NAME, "x"); }, /*cancel=*/true);
    w->Button5->click();
    EXPECT_EQ(FileText(), before) << "a cancelled modification writes nothing";
    EXPECT_EQ(w->ListView1->topLevelItem(1)->text(2), "李四");
}

TEST_F(AdminTest, DeletingAsksAndRemovesBothKeysAndTheNumbersRunWithoutGaps)
{
    const std::string file = "[OperaManager]\r\n0001=张三\r\n0002=李四\r\n0003=王五\r\n"
                             "[OperaPWD]\r\n0001=pw1\r\n0002=pw2\r\n0003=pw3\r\n";
    WriteIni(file);
    auto w = Create();
    w->TabSheet2Show(w->TabSheet2);

    w->Button6->click();
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"请在列表里选择柜员号，再操作。"});
    ui.messages.clear();

    // Cancel keeps everything; the numbers are written again all the same.
    w->ListView1->setCurrentItem(w->ListView1->topLevelItem(1));
    w->ListView1->topLevelItem(2)->setText(0, "7");
    ui.answers = {mrCancel};
    w->Button6->click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "是否删除柜员[0002]？");
    EXPECT_EQ(ui.messages[0].caption, "注意");
    EXPECT_EQ(ui.messages[0].buttons, TMsgButtons::OkCancel);
    EXPECT_EQ(FileText(), file);
    EXPECT_EQ(Rows(*w->ListView1), (std::vector<std::string>{"1|0001|张三", "2|0002|李四", "3|0003|王五"}));

    ui.answers = {mrOk};
    w->Button6->click();
    EXPECT_EQ(FileText(),
              "[OperaManager]\r\n0001=张三\r\n0003=王五\r\n[OperaPWD]\r\n0001=pw1\r\n0003=pw3\r\n");
    EXPECT_EQ(Rows(*w->ListView1), (std::vector<std::string>{"1|0001|张三", "2|0003|王五"}));

    // After a delete, an add numbers on from the list's end.
    AnswerOperator([](TForm10& form) {
        TypeText(form.Edit_GYH, "0004");
        TypeText(form.Edit_NAME, "赵六");
    });
    w->Button3->click();
    EXPECT_EQ(Rows(*w->ListView1), (std::vector<std::string>{"1|0001|张三", "2|0003|王五", "3|0004|赵六"}));
}
