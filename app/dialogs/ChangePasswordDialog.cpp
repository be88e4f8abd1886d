// TForm_ChangePWD, the change-password dialog.
#include "app/dialogs/ChangePasswordDialog.h"

#include "platform/core/IniFile.h"
#include "platform/core/IniText.h"
#include "platform/ui/Guard.h"
#include "platform/ui/UiServices.h"

TForm_ChangePWD::TForm_ChangePWD(std::string& managerPassword, TIniFile& settings, UiServices& ui,
                                 TComponent* owner, QWidget* parent)
    : TDialogForm(owner, parent), managerPassword_(managerPassword), settings_(settings), ui_(ui)
{
    setupUi(this);
    SetFormName("Form_ChangePWD");
    QFont formFont(QStringLiteral("宋体"));
    formFont.setPixelSize(13);
    setFont(formFont);

    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    SetButtonModalResult(Button2, mrCancel);
    SetButtonModalResult(Button3, mrOk);
}

TForm_ChangePWD::~TForm_ChangePWD() = default;

void TForm_ChangePWD::Button1Click(QObject* Sender)
{
    (void)Sender;
    const std::string newPassword = edt_newpwd->text().toStdString();
    if (edt_oldpwd->text().toStdString() != managerPassword_) {
        ui_.MessageBox("口令认证错误，请重新输入。", "注意", TMsgButtons::Ok);
        return;
    }
    if (newPassword != edt_renewpwd->text().toStdString()) {
        ui_.MessageBox("新口令两次输入不一致，请重新输入。", "注意", TMsgButtons::Ok);
        return;
    }
    // The file trims what it reads back: such a password would no longer open the gate after a restart.
    if (IniValueFault(newPassword) != IniTextFault::None) {
        ui_.MessageBox("新口令前后不能有空格，也不能含有换行，请重新输入。", "注意", TMsgButtons::Ok);
        return;
    }
    // A write that fails raises its error here and the old password stays in force.
    settings_.WriteString("ManagerPWD", "Value", newPassword);
    settings_.UpdateFile();
    managerPassword_ = newPassword;
    Button3->click();
}
