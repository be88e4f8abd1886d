#include "platform/ui/QtUiServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Presses a key in the message box once it is on the screen.
void AnswerWith(Qt::Key key, QString* caption = nullptr, QString* text = nullptr)
{
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (caption)
            *caption = box->windowTitle();
        if (text)
            *text = box->text();
        QTest::keyClick(box, key);
    });
}

} // namespace

TEST(QtUiServices, MessageBoxAnswers)
{
    QtUiServices ui;
    QString caption, text;
    AnswerWith(Qt::Key_Escape, &caption, &text);
    EXPECT_EQ(ui.MessageBox("确定删除吗？", "提示", TMsgButtons::OkCancel, TMsgIcon::Question), mrCancel);
    EXPECT_EQ(caption, QString("提示"));
    EXPECT_EQ(text, QString("确定删除吗？"));

    AnswerWith(Qt::Key_Return);
    EXPECT_EQ(ui.MessageBox("a", "注意", TMsgButtons::OkCancel, TMsgIcon::None), mrOk);

    // With OK alone, even Esc and the close box answer OK.
    AnswerWith(Qt::Key_Escape);
    EXPECT_EQ(ui.MessageBox("b", "注意", TMsgButtons::Ok, TMsgIcon::Warning), mrOk);
}
