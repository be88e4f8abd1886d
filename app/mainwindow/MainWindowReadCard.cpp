// TForm1, the main window.
// The card read routine of the main window: one read through the SDK or the reader's own protocol,
// then the fields, the photo and the card faces are shown.
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

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>
#include <system_error>

namespace {

const char* const kNoSdkLibrary = "请检查身份证接口库是否存在。";
const char* const kConnectDevice = "请连接设备。";
const char* const kPutCard = "请放身份证。";

// The SDK's read result for a card, and for a reader that is not connected.
constexpr int kSdtCardRead = 0x90;
constexpr int kSdtNotConnected = 1;

bool IsSdkPort(int port)
{
    return port > 1000 && port < 2000;
}

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
    Pump& pump = GetPump();
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

    std::size_t textLength = 0;
    std::size_t photoLength = 0;
    if (IsSdkPort(ReaderPort)) {
        if (!Sdt.Complete()) {
            pump.ProcessMessages();
            SetStatusText(1, kNoSdkLibrary);
            return;
        }
        if (!Reader->SamIdRead()) {
            unsigned char samId[20] = {};
            Sdt.SDT_GetSAMID(ReaderPort, samId, 1);
            Reader->SetSamIdRead(true);
        }
        std::uint8_t* buffer = CardReplyBuffer.data();
        pump.ProcessMessages();
        Sdt.SDT_StartFindIDCard(ReaderPort, buffer, 1);
        pump.ProcessMessages();
        Sdt.SDT_SelectIDCard(ReaderPort, buffer, 1);
        pump.ProcessMessages();
        std::uint32_t sdkTextLength = 0;
        std::uint32_t sdkPhotoLength = 0;
        const int r = Sdt.SDT_ReadBaseMsg(ReaderPort, buffer + kCardReplyTextOffset, &sdkTextLength,
                                          buffer + kCardReplyPhotoOffset, &sdkPhotoLength, 1);
        if (r == kSdtNotConnected) {
            pump.ProcessMessages();
            SetStatusText(1, kConnectDevice);
            return;
        }
        pump.ProcessMessages();
        if (r != kSdtCardRead || sdkTextLength == 0 || sdkPhotoLength == 0) {
            Reader->SetSamIdRead(false);
            SetStatusText(1, kPutCard);
            SetTrayAnimate(false);
            return;
        }
        textLength = sdkTextLength;
        photoLength = sdkPhotoLength;
    } else {
        const std::string portName = ReaderPort <= 1000 ? "COM" + std::to_string(ReaderPort) : "USB";
        const char* baud = Reader->BPInUse() ? "9600" : "115200";
        CardReply reply;
        const int r = CheckBox_UseExtCmd->isChecked() ? Reader->ReadCardExt(portName, "10", reply, baud)
                                                      : Reader->ReadCardStd(portName, "10", reply, baud);
        if (r == kReadCancelled)
            return; // the program is ending
        if (r == kReadPortFailed) {
            pump.ProcessMessages();
            SetStatusText(1, kConnectDevice);
            return;
        }
        if (r != kReadCardOk) {
            // Also the card that is still the one on show.
            Reader->SetSamIdRead(false);
            SetStatusText(1, kPutCard);
            pump.ProcessMessages();
            SetTrayAnimate(false);
            return;
        }
        const std::span<const Byte> bytes = reply.Bytes();
        std::copy_n(bytes.begin(), std::min(bytes.size(), CardReplyBuffer.size()), CardReplyBuffer.begin());
        textLength = reply.TextLength();
        photoLength = reply.PhotoLength();
    }

    // ---- A card was read ----
    if (frm_chkisexists)
        frm_chkisexists->hide();

    const std::span<const std::uint8_t> cardText(CardReplyBuffer.data() + kCardReplyTextOffset,
                                                 kCardTextSize);
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

    if (CheckBox4->isChecked())
        Timer_Sleep->SetEnabled(true);

    // The photo follows the text; lengths from the reader or the SDK are cut to the buffer.
    const std::size_t photoStart = std::min(kCardReplyTextOffset + textLength, CardReplyBuffer.size());
    const std::span<const std::uint8_t> photo(CardReplyBuffer.data() + photoStart,
                                              std::min(photoLength, CardReplyBuffer.size() - photoStart));
    WritePhotoFile(ResolveFile(AppDir, "ImgTemp.wlt"), photo);
    WritePhotoFile(ResolveFile(AppDir, "ImgTempPrt.wlt"), photo);

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
    pump.ProcessMessages();
}
