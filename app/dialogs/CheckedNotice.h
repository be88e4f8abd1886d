// Tfrm_chkisexists, the notice form.
#pragma once
// The notice "已  核  查". The start-up creates it with the other forms and the read routine hides it
// after each good read; nothing in the program shows it.
#include "platform/ui/Form.h"
#include "ui_CheckedNotice.h"

class Tfrm_chkisexists : public TDialogForm, public Ui_Tfrm_chkisexists
{
public:
    explicit Tfrm_chkisexists(TComponent* owner = nullptr, QWidget* parent = nullptr)
        : TDialogForm(owner, parent)
    {
        setupUi(this);
        SetFormName("frm_chkisexists");
    }
};
