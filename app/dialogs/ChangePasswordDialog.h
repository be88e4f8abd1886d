// TForm_ChangePWD, the change-password dialog.
#pragma once
// Replaces the administrator password after checking the old one. The new password
// is stored in the settings file first and takes effect in memory only once it is stored.
#include "platform/ui/Form.h"

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class TIniFile;
class UiServices;
class Ui_TForm_ChangePWD; // generated from forms/ChangePasswordDialog.ui

class TForm_ChangePWD : public TDialogForm
{
public:
    // managerPassword (updated on success), settings and ui must outlive the dialog.
    TForm_ChangePWD(std::string& managerPassword, TIniFile& settings, UiServices& ui,
                    TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~TForm_ChangePWD() override;
    TForm_ChangePWD(const TForm_ChangePWD&) = delete;
    TForm_ChangePWD& operator=(const TForm_ChangePWD&) = delete;

    // The form's controls (owned by the window).
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edt_oldpwd = nullptr;
    QLineEdit* edt_newpwd = nullptr;
    QLineEdit* edt_renewpwd = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr; // hidden: clicked by code to close with OK

    void Button1Click(QObject* Sender);

private:
    std::unique_ptr<Ui_TForm_ChangePWD> form_;
    std::string& managerPassword_;
    TIniFile& settings_;
    UiServices& ui_;
};
