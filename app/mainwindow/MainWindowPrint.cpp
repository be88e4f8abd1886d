// TForm1, the main window.
// Photo decoding, the card views, printing of the card copy and template adjustment.
#include "app/mainwindow/MainWindow.h"

#include "app/TimerInterval.h"
#include "platform/core/DateTime.h"
#include "platform/core/IniFile.h"
#include "platform/os/Clock.h"
#include "platform/os/FileResolver.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UiServices.h"
#include "print/CardFaces.h"
#include "print/PhotoDecoder.h"
#include "print/PrintChoiceDialog.h"
#include "print/ReportForm.h"

#include <QFileInfo>
#include <QImage>
#include <QPixmap>

namespace {

// A bitmap of the program folder; null when the file does not exist or is no picture.
QPixmap PictureFile(const std::string& path)
{
    const QString file = QString::fromStdString(path);
    return QFileInfo::exists(file) ? QPixmap(file) : QPixmap();
}

// Loads a bitmap from the program folder into a view when the file exists; false when it does not.
bool LoadIntoView(QLabel* view, const std::string& path)
{
    const QPixmap picture = PictureFile(path);
    if (picture.isNull())
        return false;
    view->setPixmap(picture);
    return true;
}

} // namespace

void TForm1::ShowComposedCard()
{
    LoadIntoView(img_cardiiphoto_P, ResolveFile(AppDir, "Print_P.bmp"));
    LoadIntoView(img_cardiiphoto_B, ResolveFile(AppDir, "Print_B.bmp"));
}

void TForm1::SetPhotoPagePicture(const QPixmap& picture)
{
    Image1->setPixmap(picture);
    Image1->adjustSize();
}

void TForm1::ShowBlankCard()
{
    try {
        LoadIntoView(img_cardiiphoto_P, ResolveFile(AppDir, "PrintMP.bmp"));
        LoadIntoView(img_cardiiphoto_B, ResolveFile(AppDir, "PrintSB.bmp"));
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

// ---- Printing ---------------------------------------------------------------------------------------

namespace {

const char* const kCountdownText = "秒之后，自动选择为不打印输出";

// The card's texts as the window shows them, for composing the faces again before a print.
CardFaceTexts ShownCardTexts(const TForm1& window)
{
    CardFaceTexts texts;
    texts.Name = window.edt_xm->text().toStdString();
    texts.Sex = window.edt_xb->text().toStdString();
    texts.Nation = window.edt_mz->text().toStdString();
    texts.BirthDate = window.edt_csrq->text().toStdString();
    texts.Address = window.memo_xz->toPlainText().toStdString();
    texts.IdNumber = window.edt_sfzh->text().toStdString();
    texts.Authority = window.edt_qfjg->text().toStdString();
    texts.Validity = window.edt_yxqx->text().toStdString();
    return texts;
}

// A composed face taken into memory now, so that the page keeps it whatever happens to the file
// later; a missing file gives an empty picture, never the previous holder's card.
QImage LoadFace(const std::string& folder, const char* name)
{
    const std::string path = ResolveFile(folder, name);
    return QFileInfo::exists(QString::fromStdString(path)) ? QImage(QString::fromStdString(path)) : QImage();
}

// The print date as the report shows it: 2014年7月16日.
QString PrintDateText(const TForm1& window)
{
    return QString::fromStdString(FormatDateTime("yyyy年m月d日", window.GetClock().Now()));
}

// Prints the report form's page; a print that did not happen is said so, never passed off as done.
bool PrintReport(TForm1& window)
{
    QString error;
    if (window.Form8->QuickRep2->Print(&error))
        return true;
    window.CurrentUi().MessageBox(error.toStdString(), "注意", TMsgButtons::Ok, TMsgIcon::Warning);
    return false;
}

} // namespace

void TForm1::btn_printchkClick(QObject* Sender)
{
    (void)Sender;
    if (ReadRunning()) {
        // The read routine is replacing the card's fields one by one: a print now would mix two
        // holders' data on one page. It prints the card once the read is over.
        PrintPending = true;
        return;
    }
    const int index = Settings().ReadInteger("SetPrintInfo", "SelectTemplateIndex", 0);
    if (Form12)
        Form12->ComboBox1->setCurrentIndex(index > 1 ? 0 : index);
    if (Form8)
        Form8->QuickRep2->SetDateText(PrintDateText(*this));
    PrintCard();
}

void TForm1::PrintCard()
{
    if (edt_xm->text().isEmpty() && edt_sfzh->text().isEmpty())
        return;
    if (!Form8 || !Form12)
        return; // the start-up creates both before the window takes input

    const PhotoDecodeResult photo = DecodePhoto(GetBmp, AppDir, ReaderPort);
    if (photo.Failed()) {
        SetStatusText(1, QString::fromStdString(photo.Message));
        SetTrayAnimate(false);
        return;
    }
    ComposeCardImages(ShownCardTexts(*this), AppDir);

    TQuickRep* report = Form8->QuickRep2;
    if (!edt_qfjg->text().isEmpty() && !edt_yxqx->text().isEmpty()) {
        const QImage front = LoadFace(AppDir, "Print_P.bmp");
        if (!front.isNull()) {
            Image1->clear();
            Image1->repaint();
            SetPhotoPagePicture(QPixmap::fromImage(front));
            Image1->repaint();

            // Counted here, before the choice: a print the dialog cancels is still counted.
            const std::string day = FormatDateTime("yyyymmdd", GetClock().Now());
            Settings().WriteInteger("print_id", day, Settings().ReadInteger("print_id", day, 0) + 1);
            Settings().UpdateFile();
        }
        report->SetFrontImage(front);
        report->SetBackImage(LoadFace(AppDir, "Print_B.bmp"));
    } else {
        report->ClearImages();
    }

    // The countdown is armed for every print, also one made without the dialog.
    TTimer* countdown = Form12->Timer1;
    countdown->SetEnabled(false);
    try {
        countdown->SetInterval(SecondsToInterval(UpDown_chkprttimeout->Position()));
    } catch (...) {
        countdown->SetInterval(3000);
    }
    Form12->Label1->setText(QString::number(countdown->Interval() / 1000) +
                            QString::fromUtf8(kCountdownText));
    countdown->SetEnabled(true);

    if (chkPrtSetup->isChecked()) {
        Form12->PrintReport = report;
        Form12->UpDown1->SetPosition(PrintCopies);
        Form12->CheckBox1->setChecked(true);
        const int choice = Form12->ShowModal();
        if (choice != mrOk && choice != mrYes)
            return;
    }
    PrintReport(*this);
}

void TForm1::btn_prtformatadjustmentClick(QObject* Sender)
{
    (void)Sender;
    if (!Form8)
        return;
    // The read routine must not raise the main window over the template form; the flag goes back
    // to 0 however the form ends, also when showing it fails.
    struct ResetFlag
    {
        int& flag;
        ~ResetFlag() { flag = 0; }
    } reset{TemplateFormOpen};
    TemplateFormOpen = 1;
    Form8->QuickRep2->SetDateText(PrintDateText(*this));
    Form8->ShowModal();
}

// ---- Photo decoding ---------------------------------------------------------------------------------

void TForm1::N7Click(QObject* Sender)
{
    (void)Sender;
    const PhotoDecodeResult decoded = DecodePhoto(GetBmp, AppDir, ReaderPort);
    if (decoded.Status == PhotoStatus::NoPhotoFile)
        return;
    if (decoded.Failed()) {
        SetStatusText(1, QString::fromStdString(decoded.Message));
        SetTrayAnimate(false);
        return;
    }
    if (!edt_xm->text().isEmpty() && !edt_sfzh->text().isEmpty())
        LoadIntoView(Image4, ResolveFile(AppDir, "ImgTemp.bmp"));
    ComposeCardImages(ShownCardTexts(*this), AppDir);
    FacesComposed = true;
    Image1->clear();
    Image1->repaint();
    if (const QPixmap front = PictureFile(ResolveFile(AppDir, "print_P.bmp")); !front.isNull())
        SetPhotoPagePicture(front);
    Image1->repaint();
}
