// Tfrm_FlashForm, the reader port set-up dialog.
#include "app/dialogs/ReaderPortSetupDialog.h"

#include "app/PortText.h"
#include "platform/core/IniFile.h"
#include "platform/ui/Guard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

Tfrm_FlashForm::Tfrm_FlashForm(TComponent* owner, QWidget* parent) : TDialogForm(owner, parent)
{
    setupUi(this);
    SetFormName("frm_FlashForm");
    // The combo starts empty: the start-up fills in the stored port.
    ComboBox_txsz->setCurrentIndex(-1);
    Edit_BPCMD->setCurrentIndex(-1);

    ConnectGuarded(ComboBox_txsz, &QComboBox::currentTextChanged, this,
                   [this] { ComboBox_txszChange(ComboBox_txsz); });
    // Checking the box from code runs the handler too, as the start-up's prefill relies on.
    ConnectGuarded(CheckBox_UseBP, &QCheckBox::toggled, this,
                   [this] { CheckBox_UseBPClick(CheckBox_UseBP); });
    // The writes come first, then the button's modal result closes the dialog.
    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] {
        Button1Click(Button1);
        SetModalResult(mrOk);
    });
    SetButtonModalResult(Button2, mrCancel);
}

Tfrm_FlashForm::~Tfrm_FlashForm() = default;

void Tfrm_FlashForm::ComboBox_txszChange(QObject* Sender)
{
    const auto port = PortFromSender(Sender);
    if (port && IniFile)
        IniFile->WriteInteger("ICReader", "CommPort", *port);
}

void Tfrm_FlashForm::CheckBox_UseBPClick(QObject*)
{
    WriteExtensionBox();
}

void Tfrm_FlashForm::Button1Click(QObject*)
{
    WriteExtensionBox();
}

void Tfrm_FlashForm::WriteExtensionBox()
{
    if (!IniFile)
        return;
    IniFile->WriteInteger("SetupKey", "UseBP", CheckBox_UseBP->isChecked() ? 1 : 0);
    IniFile->WriteString("SetupKey", "BP_CMD", Edit_BPCMD->currentText().toStdString());
}
