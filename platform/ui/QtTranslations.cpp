// QtTranslations: Qt's own texts in Chinese.
#include "platform/ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

bool InstallQtChineseTranslations(QCoreApplication& application)
{
    auto translator = std::make_unique<QTranslator>();
    // "qt" is the catalogue that gathers qtbase's and the other modules' texts.
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return false;
    translator.release()->setParent(&application); // the application owns it from here
    return true;
}
