// TForm_ChangePWD, the change-password dialog.
#pragma once
// Replaces the administrator password after checking the old one. The new password
// is stored in the settings file first and takes effect in memory only once it is stored.
#include "platform/ui/Form.h"
#include "ui_ChangePasswordDialog.h"

#include <string>

class TIniFile;
class UiServices;

// The controls (edt_oldpwd, edt_newpwd, edt_renewpwd, Button1 to Button3, Label1 to Label3) are the
// members of the class generated from forms/ChangePasswordDialog.ui; the window owns them. Button3 is
// hidden: code clicks it to close with OK.
class TForm_ChangePWD : public TDialogForm, public Ui_TForm_ChangePWD
{
public:
    // managerPassword (updated on success), settings and ui must outlive the dialog.
    TForm_ChangePWD(std::string& managerPassword, TIniFile& settings, UiServices& ui,
                    TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~TForm_ChangePWD() override;
    TForm_ChangePWD(const TForm_ChangePWD&) = delete;
    TForm_ChangePWD& operator=(const TForm_ChangePWD&) = delete;

    void Button1Click(QObject* Sender);

private:
    std::string& managerPassword_;
    TIniFile& settings_;
    UiServices& ui_;
};
