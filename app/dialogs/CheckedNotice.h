// Tfrm_chkisexists, the notice form.
#pragma once
// The notice "已  核  查". The start-up creates it with the other forms and the read routine hides it
// after each good read; nothing in the program shows it.
#include "platform/ui/Form.h"

#include <QLabel>

#include <memory>

class Ui_Tfrm_chkisexists; // generated from forms/CheckedNotice.ui

class Tfrm_chkisexists : public TDialogForm
{
public:
    explicit Tfrm_chkisexists(TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~Tfrm_chkisexists() override;
    Tfrm_chkisexists(const Tfrm_chkisexists&) = delete;
    Tfrm_chkisexists& operator=(const Tfrm_chkisexists&) = delete;

    QLabel* Label1 = nullptr;

private:
    std::unique_ptr<Ui_Tfrm_chkisexists> ui_;
};
