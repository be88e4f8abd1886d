// Qt's own texts in Chinese: the standard buttons of message boxes and dialogs and the printer
// dialog's words, once the translations are installed.
#include "platform/ui/QtTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

TEST(QtTranslations, StandardButtonsAndThePrinterDialogSpeakChinese)
{
    QCoreApplication& application = *QCoreApplication::instance();
    ASSERT_TRUE(InstallQtChineseTranslations(application)) << "Debian's qt6-translations-l10n is missing";
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("打印"));
    // Later tests of this executable see Qt's texts as they were.
    for (QTranslator* translator : application.findChildren<QTranslator*>(Qt::FindDirectChildrenOnly))
        delete translator;
    EXPECT_EQ(QDialogButtonBox(QDialogButtonBox::Ok).button(QDialogButtonBox::Ok)->text(),
              QStringLiteral("OK"));
}
