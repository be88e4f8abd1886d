// Tfrm_FlashForm, the reader port set-up dialog.
#pragma once
// The reader port set-up dialog shown at start-up when no reader port is configured. Each choice is
// written to style.ini at once through the start-up's settings object (IniFile), so what the user
// picked is kept even when the dialog is then cancelled.
#include "platform/ui/Form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <memory>

class TIniFile;
class Ui_Tfrm_FlashForm; // generated from forms/ReaderPortSetupDialog.ui

class Tfrm_FlashForm : public TDialogForm
{
public:
    explicit Tfrm_FlashForm(TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~Tfrm_FlashForm() override;
    Tfrm_FlashForm(const Tfrm_FlashForm&) = delete;
    Tfrm_FlashForm& operator=(const Tfrm_FlashForm&) = delete;

    // The form's controls (owned by the window).
    QLabel* Label1 = nullptr;
    QLabel* Label19 = nullptr;
    QComboBox* ComboBox_txsz = nullptr;
    QCheckBox* CheckBox_UseBP = nullptr;
    QComboBox* Edit_BPCMD = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    // The start-up's settings object; set before the dialog is shown, never owned by it.
    TIniFile* IniFile = nullptr;

    void ComboBox_txszChange(QObject* Sender);
    void CheckBox_UseBPClick(QObject* Sender);
    void Button1Click(QObject* Sender);

private:
    void WriteExtensionBox();

    std::unique_ptr<Ui_Tfrm_FlashForm> ui_;
};
