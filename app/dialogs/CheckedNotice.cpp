// Tfrm_chkisexists, the notice form.
#include "app/dialogs/CheckedNotice.h"

#include "ui_CheckedNotice.h"

Tfrm_chkisexists::Tfrm_chkisexists(TComponent* owner, QWidget* parent)
    : TDialogForm(owner, parent), ui_(std::make_unique<Ui_Tfrm_chkisexists>())
{
    ui_->setupUi(this);
    Label1 = ui_->Label1;
    SetFormName("frm_chkisexists");
}

Tfrm_chkisexists::~Tfrm_chkisexists() = default;
