// TForm10, the operator dialog.
#pragma once
// Used to add an operator and to modify one. It closes with OK only when teller number and name are
// filled in and both passwords agree (otherwise it stays open silently), and when the texts can be
// stored in the settings file as typed (otherwise it says why).
#include "platform/ui/Form.h"

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class UiServices;
class Ui_TForm10; // generated from forms/OperatorDialog.ui

class TForm10 : public TDialogForm
{
public:
    // ui must outlive the dialog.
    explicit TForm10(UiServices& ui, TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~TForm10() override;
    TForm10(const TForm10&) = delete;
    TForm10& operator=(const TForm10&) = delete;

    // The form's controls (owned by the window), in tab order.
    QLineEdit* Edit_GYH = nullptr;   // teller number, at most 12 characters
    QLineEdit* Edit_NAME = nullptr;  // name
    QLineEdit* Edit_PWD = nullptr;   // password
    QLineEdit* Edit_PWDOK = nullptr; // password again
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr; // hidden: clicked by code to close with OK
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;

    void Button1Click(QObject* Sender);

private:
    std::unique_ptr<Ui_TForm10> form_;
    UiServices& ui_;
};
