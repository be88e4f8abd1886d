// Tfrm_chkisexists, the notice form.
#pragma once
// The notice "已  核  查". The start-up creates it with the other forms and the read routine hides it
// after each good read; nothing in the program shows it.
#include "platform/ui/Form.h"
#include "ui_CheckedNotice.h"

// Its one control, Label1, is a member of the class generated from forms/CheckedNotice.ui.
class Tfrm_chkisexists : public TDialogForm, public Ui_Tfrm_chkisexists
{
public:
    explicit Tfrm_chkisexists(TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~Tfrm_chkisexists() override;
    Tfrm_chkisexists(const Tfrm_chkisexists&) = delete;
    Tfrm_chkisexists& operator=(const Tfrm_chkisexists&) = delete;
};
