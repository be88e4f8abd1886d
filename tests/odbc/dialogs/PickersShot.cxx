// Takes a picture of the data-source pickers for checking them by eye:
//   pickers_shot <output prefix>
// writes <prefix>-pickers.png: a TDSComboBox of all data sources and a TDSListBox of the system ones,
// filled from a private ODBC configuration in a temporary folder. Run it under Xvfb or with
// QT_QPA_PLATFORM=offscreen.
#include "odbc/dialogs/DSComboBox.h"
#include "odbc/dialogs/DSListBox.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output prefix>\n", argv[0]);
        return 2;
    }
    // The configuration must be in place before the first ODBC call of the process.
    QTemporaryDir config;
    const std::string dir = config.path().toStdString();
    std::ofstream(dir + "/odbcinst.ini")
        << "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n";
    std::ofstream(dir + "/odbc.ini") << "[Warehouse]\nDriver=SQLite3\n\n[Archive]\nDriver=SQLite3\n\n"
                                     << "[库存]\nDriver=SQLite3\n";
    std::ofstream(dir + "/user.ini") << "[Sales]\nDriver=SQLite3\n\n[Personal]\nDriver=SQLite3\n";
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir + "/user.ini").c_str(), 1);

    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("TDSComboBox (dsDefault)"), &window));
    auto* combo = new TDSComboBox(&window);
    layout->addWidget(combo);
    layout->addWidget(new QLabel(QStringLiteral("TDSListBox (dsSystem)"), &window));
    auto* list = new TDSListBox(&window);
    list->SetDataSourceType(dsSystem);
    layout->addWidget(list);
    combo->Populate();
    list->Populate();
    combo->SetDataSource("personal");
    list->SetDataSource("ARCHIVE");
    window.resize(260, 220);
    window.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1]) + "-pickers.png") ? 0 : 1;
}
