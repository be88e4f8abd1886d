// Tfrm_chkisexists, the notice form.
#include "app/dialogs/CheckedNotice.h"

Tfrm_chkisexists::Tfrm_chkisexists(TComponent* owner, QWidget* parent) : TDialogForm(owner, parent)
{
    setupUi(this);
    SetFormName("frm_chkisexists");
}

Tfrm_chkisexists::~Tfrm_chkisexists() = default;
