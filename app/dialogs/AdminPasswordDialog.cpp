// TForm5, the administrator password gate.
#include "app/dialogs/AdminPasswordDialog.h"

#include "platform/ui/Guard.h"
#include "platform/ui/UiServices.h"

#include <QEvent>

TForm5::TForm5(const std::string& managerPassword, UiServices& ui, TComponent* owner, QWidget* parent)
    : TDialogForm(owner, parent), managerPassword_(managerPassword), ui_(ui)
{
    setupUi(this);
    SetFormName("Form5");
    QFont formFont(QStringLiteral("宋体"));
    formFont.setPixelSize(13);
    setFont(formFont);

    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    SetButtonModalResult(Button2, mrCancel);
    SetButtonModalResult(Button3, mrOk);
}

TForm5::~TForm5() = default;

bool TForm5::event(QEvent* e)
{
    const bool handled = TDialogForm::event(e);
    if (e->type() == QEvent::WindowActivate)
        Guarded([this] { FormActivate(this); });
    return handled;
}

void TForm5::FormActivate(QObject* Sender)
{
    (void)Sender;
    Edit1->setFocus();
}

void TForm5::Button1Click(QObject* Sender)
{
    (void)Sender;
    // Both sides are UTF-8 whatever the settings file's encoding: case counts, nothing is trimmed.
    if (Edit1->text().toStdString() == managerPassword_)
        Button3->click();
    else
        ui_.MessageBox("口令认证错误，请重新输入。", "注意", TMsgButtons::Ok);
}
