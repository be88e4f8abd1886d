// TForm10, the operator dialog.
#include "app/dialogs/OperatorDialog.h"

#include "platform/core/IniText.h"
#include "platform/ui/Guard.h"
#include "platform/ui/UiServices.h"

#include <string>

namespace {

// Why the file could not keep the dialog's texts as typed; empty when it can. The teller number is a
// key of two sections, the name and the password are values.
std::string RefusalOf(const std::string& tellerNo, const std::string& name, const std::string& password)
{
    switch (IniKeyFault(tellerNo)) {
    case IniTextFault::Blanks:
        return "柜员号前后不能有空格，也不能含有换行。";
    case IniTextFault::Syntax:
        return "柜员号不能含有“=”，也不能以“[”或“;”开头。";
    case IniTextFault::None:
        break;
    }
    if (IniValueFault(name) != IniTextFault::None)
        return "姓名前后不能有空格，也不能含有换行。";
    if (IniValueFault(password) != IniTextFault::None)
        return "密码前后不能有空格，也不能含有换行。";
    return {};
}

} // namespace

TForm10::TForm10(UiServices& ui, TComponent* owner, QWidget* parent) : TDialogForm(owner, parent), ui_(ui)
{
    setupUi(this);
    SetFormName("Form10");
    QFont formFont(QStringLiteral("宋体"));
    formFont.setPixelSize(16);
    setFont(formFont);

    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    SetButtonModalResult(Button2, mrCancel);
    SetButtonModalResult(Button3, mrOk);
}

TForm10::~TForm10() = default;

void TForm10::Button1Click(QObject* Sender)
{
    (void)Sender;
    const std::string tellerNo = Edit_GYH->text().toStdString();
    const std::string name = Edit_NAME->text().toStdString();
    const std::string password = Edit_PWD->text().toStdString();
    if (tellerNo.empty() || name.empty() || password != Edit_PWDOK->text().toStdString())
        return;
    if (const std::string refusal = RefusalOf(tellerNo, name, password); !refusal.empty()) {
        ui_.MessageBox(refusal, "注意", TMsgButtons::Ok);
        return;
    }
    Button3->click();
}
