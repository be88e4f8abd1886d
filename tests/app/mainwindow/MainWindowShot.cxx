// Takes a picture of the main window and its settings page for checking the layout by eye:
//   mainwin_shot <program folder> <output prefix>
// writes <prefix>-card.png and <prefix>-settings.png. Run it under Xvfb (see the README) or with
// QT_QPA_PLATFORM=offscreen.
//   mainwin_shot --screen <file.png>
// takes a picture of the whole X screen instead (the running program under Xvfb).
#include "app/mainwindow/MainWindow.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <program folder> <output prefix>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    if (std::strcmp(argv[1], "--screen") == 0) {
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen && screen->grabWindow(0).save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    TForm1Environment env;
    env.ProgramFolder = argv[1];
    env.TrayAvailable = [] { return false; }; // keep the window on the screen for the picture
    env.Terminate = [] {};
    TForm1 window(std::move(env));
    window.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    bool ok = window.grab().save(prefix + "-card.png");
    window.PageControl1->setCurrentWidget(window.TabSheet5);
    QApplication::processEvents();
    ok = window.grab().save(prefix + "-settings.png") && ok;
    return ok ? 0 : 1;
}
