// Tfrm_FlashForm, the reader port set-up dialog.
#pragma once
// The reader port set-up dialog shown at start-up when no reader port is configured. Each choice is
// written to style.ini at once through the start-up's settings object (IniFile), so what the user
// picked is kept even when the dialog is then cancelled.
#include "platform/ui/Form.h"
#include "ui_ReaderPortSetupDialog.h"

class TIniFile;

// The controls (Label1, Label19, ComboBox_txsz, CheckBox_UseBP, Edit_BPCMD, Button1, Button2) are the
// members of the class generated from forms/ReaderPortSetupDialog.ui; the window owns them.
class Tfrm_FlashForm : public TDialogForm, public Ui_Tfrm_FlashForm
{
public:
    explicit Tfrm_FlashForm(TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~Tfrm_FlashForm() override;
    Tfrm_FlashForm(const Tfrm_FlashForm&) = delete;
    Tfrm_FlashForm& operator=(const Tfrm_FlashForm&) = delete;

    // The start-up's settings object; set before the dialog is shown, never owned by it.
    TIniFile* IniFile = nullptr;

    void ComboBox_txszChange(QObject* Sender);
    void CheckBox_UseBPClick(QObject* Sender);
    void Button1Click(QObject* Sender);

private:
    void WriteExtensionBox();
};
