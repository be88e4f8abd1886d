// TForm1, the main window.
// The card read routine of the main window: one read through the reader link, then the reply shown:
// a failure as a hint in the status bar, a card as its fields, its photo handed to the decoder and
// the composed faces, with the window brought to the front.
#include "app/CardFields.h"
#include "app/dialogs/CheckedNotice.h"
#include "app/mainwindow/CodeLookup.h"
#include "app/mainwindow/MainWindow.h"
#include "odbc/datasets/OEQuery.h"

#include "platform/core/Exception.h"
#include "platform/os/FileResolver.h"
#include "platform/os/Pump.h"
#include "platform/ui/Timer.h"
#include "reader/CardReply.h"
#include "reader/ReaderLink.h"

#include <QApplication>
#include <QPixmap>

#include <filesystem>
#include <fstream>
#include <span>
#include <system_error>

namespace {

const char* const kNoSdkLibrary = "请检查身份证接口库是否存在。";
const char* const kConnectDevice = "请连接设备。";
const char* const kPutCard = "请放身份证。";

// A new file with the photo bytes, replacing an old one.
void WritePhotoFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw EFCreateError("Cannot create file \"" + path + "\".");
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out)
        throw EWriteError("Stream write error: \"" + path + "\".");
}

} // namespace

void TForm1::ReadCard()
{
    if (Reader) {
        Reader->SetBPInUse(CheckBox_UseBP->isChecked());
        Reader->SetBPCommand(Edit_BPCMD->currentText().toStdString());
    }
    SetStatusText(1, QString());
    NewAddressRead = false;
    if (!Reader) {
        // The reader link could not be made at creation: no reader of any kind is usable.
        SetStatusText(1, kConnectDevice);
        return;
    }
    const int r = Reader->ReadCardAt(ReaderPort, CheckBox_UseExtCmd->isChecked(), CardReplyBuffer);
    if (r == kReadCardOk)
        ShowCard(CardReplyBuffer);
    else
        ShowReadFailure(r);
}

void TForm1::ShowReadFailure(int result)
{
    Pump& pump = GetPump();
    switch (result) {
    case kReadCancelled:
        return; // the program is ending
    case kReadSdkMissing:
        pump.ProcessMessages();
        SetStatusText(1, kNoSdkLibrary);
        return;
    case kReadPortFailed:
        pump.ProcessMessages();
        SetStatusText(1, kConnectDevice);
        return;
    default:
        // No card, a bad reply, or the card that is still the one on show.
        SetStatusText(1, kPutCard);
        pump.ProcessMessages();
        SetTrayAnimate(false);
    }
}

void TForm1::ShowCard(const CardReply& reply)
{
    if (frm_chkisexists)
        frm_chkisexists->hide();

    const std::span<const std::uint8_t> cardText = reply.Bytes().subspan(kCardReplyTextOffset, kCardTextSize);
    const std::string idNo = DecodeIdNumber(cardText);
    for (QWidget* field : std::initializer_list<QWidget*>{edt_sfzh, edt_xm, edt_qfjg, edt_yxqx, edt_xb,
                                                          edt_mz, edt_csrq, memo_xz, memo_zxdz})
        field->setEnabled(false);
    ResetIdleTimers();
    if (idNo == LastIdNo())
        return; // the card on show: nothing changes until the delayed clear

    ShowBlankCard();
    // A card shown anew shows its own newest address or none: most cards have none (the reader
    // refuses 30 03), and the SDK and the extended commands read none. The previous holder's would
    // stay otherwise.
    if (!NewAddressRead) {
        Reader->SetNewAddress(std::string());
        memo_zxdz->clear();
    }
    ShowCardFields(cardText);
    if (CheckBox4->isChecked())
        Timer_Sleep->SetEnabled(true);

    HandOverPhoto(reply.Photo());
    PresentCard();
    GetPump().ProcessMessages();
}

void TForm1::ShowCardFields(std::span<const std::uint8_t> cardText)
{
    Pump& pump = GetPump();
    // The controls are set one by one, each to this card's text; a lookup that failed gives the code.
    CardCodeLookups lookups;
    lookups.Sex = [this](const std::string& code) { return LookupSexText(*Table1, code); };
    lookups.Nation = [this](const std::string& code) { return LookupNationText(*Table1, code); };
    const CardFieldTexts f = DecodeCardFields(cardText, lookups);
    const auto show = [](auto* control, const std::string& text) {
        control->setText(QString::fromStdString(text));
    };
    SetLastIdNo(f.IdNumber);
    show(edt_sfzh, f.IdNumber);
    pump.ProcessMessages();
    CardFields.Name = f.Name;
    show(edt_xm, f.Name);
    pump.ProcessMessages();
    CardFields.SexCode = f.SexCode;
    CardFields.SexText = f.Sex;
    CardFields.SexLetter = SexLetter(f.SexCode);
    show(edt_xb, f.Sex);
    pump.ProcessMessages();
    CardFields.NationCode = f.NationCode;
    CardFields.NationText = f.Nation;
    show(edt_mz, f.Nation);
    pump.ProcessMessages();
    CardFields.BirthStored = f.BirthStored;
    CardFields.BirthShown = f.BirthDate;
    show(edt_csrq, f.BirthDate);
    pump.ProcessMessages();
    CardFields.Authority = CardFields.AuthorityCopy = f.Authority;
    show(edt_qfjg, f.Authority);
    pump.ProcessMessages();
    CardFields.Validity = f.Validity;
    show(edt_yxqx, f.Validity);
    pump.ProcessMessages();
    CardFields.Address = CardFields.AddressCopy = f.Address;
    memo_xz->clear();
    memo_xz->setPlainText(QString::fromStdString(f.Address));
}

void TForm1::HandOverPhoto(std::span<const std::uint8_t> photo)
{
    // The reply cuts the photo to its buffer, whatever lengths the reader or the SDK gave.
    WritePhotoFile(ResolveFile(AppDir, "ImgTemp.wlt"), photo);
    WritePhotoFile(ResolveFile(AppDir, "ImgTempPrt.wlt"), photo);

    Pump& pump = GetPump();
    pump.ProcessMessages();
    SetTrayAnimate(false);
    pump.ProcessMessages();

    std::error_code ignored;
    std::filesystem::remove(ResolveFile(AppDir, "ImgTemp.bmp"), ignored);
    FacesComposed = false;
    N7Click(nullptr);
    if (!FacesComposed) {
        // The photo could not be decoded: the face files, the photo and the photo tab still hold the
        // previous holder's card, which must not appear beside this card's fields.
        Image4->setPixmap(QPixmap());
        SetPhotoPagePicture(QPixmap());
    }
}

void TForm1::PresentCard()
{
    try {
        ReadHookA(edt_xm->text().toStdString());
        ReadHookB(edt_sfzh->text().toStdString());
        if (FacesComposed)
            ShowComposedCard();
        if (TemplateFormOpen == 0) {
            if (PageControl1->currentWidget() != TabSheet1)
                PageControl1->setCurrentWidget(TabSheet1);
            try {
                AppWindowShown = 1;
                ShowProgram();
            } catch (...) {
                // A window that cannot be brought to the front still shows the card.
            }
        }
    } catch (...) {
        ShowBlankCard();
    }
}
