// Takes pictures of the report form and the print-choice dialog for checking their layout by eye:
//   print_shot <program folder> <output prefix>
// writes <prefix>-report.png and <prefix>-choice.png. The report shows the composed faces of the
// folder (Print_P.bmp, Print_B.bmp) when they are there, with its stored offsets. Run it under Xvfb
// (see the README) or with QT_QPA_PLATFORM=offscreen.
#include "print/CardFaces.h"
#include "print/PrintChoiceDialog.h"
#include "print/QuickRep.h"
#include "print/ReportForm.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <program folder> <output prefix>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    RegisterCardFontSubstitutions();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const auto settle = [] {
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents();
    };

    TForm8 report(folder.toStdString());
    report.QuickRep2->SetFrontImage(QImage(QDir(folder).filePath("Print_P.bmp")));
    report.QuickRep2->SetBackImage(QImage(QDir(folder).filePath("Print_B.bmp")));
    report.QuickRep2->SetDateText(QStringLiteral("2014年7月16日"));
    report.show();
    settle();
    bool ok = report.grab().save(prefix + "-report.png");
    report.hide();

    int copies = 1;
    TForm12 choice(folder.toStdString(), copies);
    choice.ComboBox1->setCurrentIndex(0);
    choice.CheckBox1->setChecked(true);
    choice.Label1->setText(QStringLiteral("3秒之后，自动选择为不打印输出"));
    choice.show();
    settle();
    ok = choice.grab().save(prefix + "-choice.png") && ok;
    return ok ? 0 : 1;
}
