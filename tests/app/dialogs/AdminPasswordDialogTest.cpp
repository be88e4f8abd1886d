// The administrator password gate run modally with typed input: right, wrong and empty passwords,
// letter case, text in another script, Enter, Cancel and the close box.
#include "app/dialogs/AdminPasswordDialog.h"
#include "fakes/ModalScript.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

namespace {

struct Gate : ::testing::Test
{
    FakeUiServices ui;
    std::string password;
};

} // namespace

TEST_F(Gate, OpensOnlyForTheExactPassword)
{
    const struct
    {
        const char* stored;
        const char* typed;
        bool opens;
    } cases[] = {
        {"s3cret", "s3cret", true}, {"s3cret", "S3cret", false},
        {"s3cret", "", false},      {"s3cret", "s3cret ", false},
        {"s3cret", "s3cre", false}, {"", "", true},
        {"", "x", false},           {"管理员", "管理员", true},
        {"管理员", "管理", false},
    };
    for (const auto& c : cases) {
        password = c.stored;
        ui.messages.clear();
        TForm5 gate(password, ui);
        bool leftOpen = false;
        const int result = RunScripted(
            ui, gate,
            [&] {
                TypeText(gate.Edit1, QString::fromUtf8(c.typed));
                gate.Button1->click();
            },
            &leftOpen);
        if (c.opens) {
            EXPECT_EQ(result, mrOk) << c.typed;
            EXPECT_TRUE(ui.messages.empty()) << c.typed;
        } else {
            EXPECT_TRUE(leftOpen) << c.typed << ": a wrong password keeps the dialog open";
            EXPECT_EQ(result, mrCancel) << c.typed;
            ASSERT_EQ(ui.messages.size(), 1u) << c.typed;
            EXPECT_EQ(ui.messages[0].text, "口令认证错误，请重新输入。");
            EXPECT_EQ(ui.messages[0].caption, "注意");
            EXPECT_EQ(ui.messages[0].buttons, TMsgButtons::Ok);
        }
    }
}

TEST_F(Gate, AWrongTryKeepsTheTextAndTheNextRightOneOpensWithEnter)
{
    password = "s3cret";
    TForm5 gate(password, ui);
    const int result = RunScripted(ui, gate, [&] {
        QTest::keyClicks(gate.Edit1, "secret");
        QTest::keyClick(gate.Edit1, Qt::Key_Return);
        EXPECT_TRUE(gate.isVisible());
        EXPECT_EQ(gate.Edit1->text(), "secret") << "the typed text stays for correcting";
        gate.Edit1->clear();
        QTest::keyClicks(gate.Edit1, "s3cret");
        QTest::keyClick(gate.Edit1, Qt::Key_Return);
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(Gate, TheRightPasswordAfterTheDialogWasMadeCountsAtTheCheck)
{
    // A password changed while the dialog exists is the one compared.
    password = "old";
    TForm5 gate(password, ui);
    password = "new";
    EXPECT_EQ(RunScripted(ui, gate,
                          [&] {
                              gate.Edit1->setText("new");
                              gate.Button1->click();
                          }),
              mrOk);
}

TEST_F(Gate, CancelAndTheCloseBoxLeaveWithoutOk)
{
    password = "";
    {
        TForm5 gate(password, ui);
        EXPECT_EQ(RunScripted(ui, gate, [&] { gate.Button2->click(); }), mrCancel);
    }
    {
        TForm5 gate(password, ui);
        EXPECT_EQ(RunScripted(ui, gate, [&] { gate.close(); }), mrCancel);
    }
    {
        TForm5 gate(password, ui);
        EXPECT_EQ(RunScripted(ui, gate, [&] { QTest::keyClick(&gate, Qt::Key_Escape); }), mrCancel);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Gate, ShapeAndFocus)
{
    TForm5 gate(password, ui);
    EXPECT_EQ(gate.windowTitle(), "验证管理员权限");
    EXPECT_EQ(gate.size(), QSize(281, 171));
    EXPECT_EQ(gate.Label1->text(), "口令:");
    EXPECT_EQ(gate.Edit1->echoMode(), QLineEdit::Password);
    EXPECT_EQ(gate.Button1->text(), "确定");
    EXPECT_EQ(gate.Button2->text(), "取消");
    EXPECT_TRUE(gate.Button3->isHidden());
    RunScripted(ui, gate, [&] {
        // Each activation puts the cursor back into the password box.
        gate.Button2->setFocus();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&gate, &activate);
        EXPECT_EQ(gate.focusWidget(), gate.Edit1);
        gate.Edit1->setText("abc");
        EXPECT_EQ(gate.Edit1->displayText(), "***");
        gate.Button2->click();
    });
}
