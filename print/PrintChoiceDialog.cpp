// TForm12, the print-choice dialog.
#include "print/PrintChoiceDialog.h"

#include "platform/core/IniFile.h"
#include "platform/os/AppDir.h"
#include "platform/os/FileResolver.h"
#include "platform/ui/Guard.h"
#include "print/QuickRep.h"

TForm12::TForm12(std::string programFolder, int& printCopies, TComponent* owner, QWidget* parent)
    : TDialogForm(owner, parent), PrintCopies(printCopies),
      programFolder_(WithTrailingSlash(std::move(programFolder)))
{
    setupUi(this);
    SetFormName("Form12");
    UpDown1->SetEditReadOnly(true);
    ComboBox1->setCurrentIndex(-1);

    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetEnabled(false);
    Timer1->SetInterval(3000);
    Timer1->SetOnTimer([this] { Timer1Timer(nullptr); });

    SetButtonModalResult(Button3, mrOk);
    SetButtonModalResult(Button2, mrYes);
    SetButtonModalResult(Btn_Cancel, mrCancel);
    ConnectGuarded(Btn_Ok, &QPushButton::clicked, this, [this] { Btn_OkClick(Btn_Ok); });
    ConnectGuarded(Button4, &QPushButton::clicked, this, [this] { Button4Click(Button4); });
    ConnectGuarded(Btn_Cancel, &QPushButton::clicked, this, [this] { Btn_CancelClick(Btn_Cancel); });
    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
}

TForm12::~TForm12() = default;

void TForm12::showEvent(QShowEvent* event)
{
    TDialogForm::showEvent(event);
    Guarded([this] { FormShow(this); });
}

void TForm12::FormShow(QObject* Sender)
{
    (void)Sender;
}

void TForm12::StoreCopies()
{
    PrintCopies = UpDown1->Position();
    if (PrintReport)
        PrintReport->SetCopies(PrintCopies);
}

void TForm12::CloseWith(int result)
{
    Timer1->SetEnabled(false);
    (result == mrOk ? Button3 : Button2)->click();
}

void TForm12::Btn_OkClick(QObject* Sender)
{
    (void)Sender;
    const int index = ComboBox1->currentIndex();
    {
        TIniFile ini(ResolveFile(programFolder_, "style.ini"));
        ini.WriteInteger("SetPrintInfo", "SelectTemplateIndex", index);
    }
    // Only an offered template closes the dialog; with none selected it stays and counts down.
    PrintCopies = UpDown1->Position();
    if (index != 0 && index != 1)
        return;
    StoreCopies();
    CloseWith(index == 1 ? mrOk : mrYes);
}

void TForm12::Button4Click(QObject* Sender)
{
    (void)Sender;
    StoreCopies();
    CloseWith(mrYes);
}

void TForm12::Btn_CancelClick(QObject* Sender)
{
    (void)Sender; // the button's modal result closes the dialog
}

void TForm12::Timer1Timer(QObject* Sender)
{
    (void)Sender;
    Timer1->SetEnabled(false);
    // Closing under the open printer set-up dialog would leave it without its parent; the dialog
    // closes as soon as the set-up returns instead.
    if (setupOpen_) {
        cancelAfterSetup_ = true;
        return;
    }
    Btn_Cancel->click();
}

void TForm12::Button1Click(QObject* Sender)
{
    (void)Sender;
    if (!PrintReport)
        return;
    PrintReport->SetCopies(UpDown1->Position());
    setupOpen_ = true;
    cancelAfterSetup_ = false;
    try {
        PrintReport->PrinterSetup();
    } catch (...) {
        setupOpen_ = false;
        throw;
    }
    setupOpen_ = false;
    UpDown1->SetPosition(PrintReport->Copies());
    if (cancelAfterSetup_) {
        cancelAfterSetup_ = false;
        Btn_Cancel->click();
    }
}
