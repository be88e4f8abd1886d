#include "platform/ui/Form.h"

#include "platform/ui/Guard.h"
#include "platform/ui/UiServices.h"

#include <QAbstractButton>

TDialogForm::TDialogForm(TComponent* owner, QWidget* parent) : TFormOf<QDialog>(owner, parent) {}

void TDialogForm::SetModalResult(int result)
{
    modalResult_ = result;
    if (result != mrNone)
        QDialog::done(result);
}

int TDialogForm::ShowModal()
{
    modalResult_ = mrNone;
    setResult(mrNone);
    const int result = CurrentUi().RunModal(*this);
    modalResult_ = result;
    return result;
}

void TDialogForm::SetButtonModalResult(QAbstractButton* button, int result)
{
    ConnectGuarded(button, &QAbstractButton::clicked, this, [this, result] { SetModalResult(result); });
}

void TDialogForm::done(int result)
{
    modalResult_ = result;
    QDialog::done(result);
}
