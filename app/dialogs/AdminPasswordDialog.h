// TForm5, the administrator password gate.
#pragma once
// It closes with OK only once the typed password equals the
// administrator password; a wrong one is said so and the dialog stays open for another try.
#include "platform/ui/Form.h"

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class UiServices;
class Ui_TForm5; // generated from forms/AdminPasswordDialog.ui

class TForm5 : public TDialogForm
{
public:
    // managerPassword and ui must outlive the dialog; the password is read at each check.
    TForm5(const std::string& managerPassword, UiServices& ui, TComponent* owner = nullptr,
           QWidget* parent = nullptr);
    ~TForm5() override;
    TForm5(const TForm5&) = delete;
    TForm5& operator=(const TForm5&) = delete;

    // The form's controls (owned by the window).
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr; // hidden: clicked by code to close with OK

    void FormActivate(QObject* Sender);
    void Button1Click(QObject* Sender);

protected:
    bool event(QEvent* e) override;

private:
    std::unique_ptr<Ui_TForm5> form_;
    const std::string& managerPassword_;
    UiServices& ui_;
};
