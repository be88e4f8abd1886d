// TForm12, the print-choice dialog.
#pragma once
// The print-choice dialog shown before a print when printer set-up before printing is enabled: it
// offers the template, the printer set-up and the choice to print or not, and closes by itself as
// Cancel when its countdown (Timer1, armed by the print flow) runs out.
#include "platform/ui/Form.h"
#include "platform/ui/Timer.h"
#include "ui_PrintChoiceDialog.h"

#include <string>

class TQuickRep;

// The controls (Label1, Label2, ComboBox1, UpDown1 for the copies with its number box edt_time,
// Button1, CheckBox1, Button4, Btn_Ok, Button3, Button2, Btn_Cancel) are the members of the class
// generated from forms/PrintChoiceDialog.ui; the window owns them.
class TForm12 : public TDialogForm, public Ui_TForm12
{
public:
    // printCopies is the number of copies kept between prints (the print flow presets UpDown1 from
    // it, OK and 精简模式 store the choice back); it must outlive the dialog.
    TForm12(std::string programFolder, int& printCopies, TComponent* owner = nullptr,
            QWidget* parent = nullptr);

    ~TForm12() override;
    TForm12(const TForm12&) = delete;
    TForm12& operator=(const TForm12&) = delete;

    // The report whose copies and printer this dialog sets; not owned, empty until the print flow
    // sets it.
    TQuickRep* PrintReport = nullptr;
    int& PrintCopies;
    TTimer* Timer1 = nullptr; // owned by the form

    void FormShow(QObject* Sender);
    void Btn_OkClick(QObject* Sender);
    void Button4Click(QObject* Sender);
    void Btn_CancelClick(QObject* Sender);
    void Timer1Timer(QObject* Sender);
    void Button1Click(QObject* Sender);

    // True while the printer set-up dialog runs from Button1Click.
    bool PrinterSetupOpen() const { return setupOpen_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StoreCopies();
    void CloseWith(int result);

    std::string programFolder_;
    bool setupOpen_ = false;
    bool cancelAfterSetup_ = false; // the countdown ran out while the printer set-up was open
};
