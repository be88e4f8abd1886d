// QtTranslations: Qt's own texts (standard buttons, the printer dialog) in Chinese.
#pragma once

class QCoreApplication;

// Loads Qt's Chinese (Simplified) translations from Qt's translation folder (Debian's
// qt6-translations-l10n) into the application, whatever the system's language: every other word
// of the program is Chinese. The translator belongs to the application. False when they are not
// installed; Qt's texts then stay English.
bool InstallQtChineseTranslations(QCoreApplication& application);
