// TForm10, the operator dialog.
#pragma once
// Used to add an operator and to modify one. It closes with OK only when teller number and name are
// filled in and both passwords agree (otherwise it stays open silently), and when the texts can be
// stored in the settings file as typed (otherwise it says why).
#include "platform/ui/Form.h"
#include "ui_OperatorDialog.h"

class UiServices;

// The controls are the members of the class generated from forms/OperatorDialog.ui; the window owns
// them. In tab order: Edit_GYH (teller number, at most 12 characters), Edit_NAME (name), Edit_PWD
// (password), Edit_PWDOK (password again), Button1, Button2; Button3 is hidden: code clicks it to close
// with OK. Label1 to Label4 name the boxes.
class TForm10 : public TDialogForm, public Ui_TForm10
{
public:
    // ui must outlive the dialog.
    explicit TForm10(UiServices& ui, TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~TForm10() override;
    TForm10(const TForm10&) = delete;
    TForm10& operator=(const TForm10&) = delete;

    void Button1Click(QObject* Sender);

private:
    UiServices& ui_;
};
