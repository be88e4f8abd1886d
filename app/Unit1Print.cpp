// Photo decoding, the card views, printing of the card copy and template adjustment.
#include "app/Unit1.h"

#include <QFileInfo>
#include <QPixmap>

namespace {

// Loads a bitmap from the program folder into a view when the file exists; false when it does not.
bool LoadIntoView(QLabel* view, const std::string& path)
{
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file))
        return false;
    QPixmap picture(file);
    if (picture.isNull())
        return false;
    view->setPixmap(picture);
    return true;
}

} // namespace

void TForm1::N7Click(QObject* Sender)
{
    (void)Sender;
}

void TForm1::ShowComposedCard()
{
    LoadIntoView(img_cardiiphoto_P, AppDir + "Print_P.bmp");
    LoadIntoView(img_cardiiphoto_B, AppDir + "Print_B.bmp");
}

void TForm1::ShowBlankCard()
{
    try {
        LoadIntoView(img_cardiiphoto_P, AppDir + "PrintMP.bmp");
        LoadIntoView(img_cardiiphoto_B, AppDir + "PrintSB.bmp");
    } catch (...) {
        // A blank template that cannot be shown leaves the views as they were.
    }
}

void TForm1::ReadHookA(const std::string& text)
{
    (void)text;
}

void TForm1::ReadHookB(const std::string& text)
{
    (void)text;
}

void TForm1::btn_printchkClick(QObject* Sender)
{
    (void)Sender;
    PrintCard();
}

void TForm1::PrintCard() {}

void TForm1::btn_prtformatadjustmentClick(QObject* Sender)
{
    (void)Sender;
    TemplateFormOpen = 1;
    TemplateFormOpen = 0;
}
