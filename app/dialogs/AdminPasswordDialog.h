// TForm5, the administrator password gate.
#pragma once
// It closes with OK only once the typed password equals the
// administrator password; a wrong one is said so and the dialog stays open for another try.
#include "platform/ui/Form.h"
#include "ui_AdminPasswordDialog.h"

#include <string>

class UiServices;

// The controls (Label1, Edit1, Button1 to Button3) are the members of the class generated from
// forms/AdminPasswordDialog.ui; the window owns them. Button3 is hidden: code clicks it to close with OK.
class TForm5 : public TDialogForm, public Ui_TForm5
{
public:
    // managerPassword and ui must outlive the dialog; the password is read at each check.
    TForm5(const std::string& managerPassword, UiServices& ui, TComponent* owner = nullptr,
           QWidget* parent = nullptr);
    ~TForm5() override;
    TForm5(const TForm5&) = delete;
    TForm5& operator=(const TForm5&) = delete;

    void FormActivate(QObject* Sender);
    void Button1Click(QObject* Sender);

protected:
    bool event(QEvent* e) override;

private:
    const std::string& managerPassword_;
    UiServices& ui_;
};
