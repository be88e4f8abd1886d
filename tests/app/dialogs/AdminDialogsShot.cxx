// Takes pictures of the administrator password gate, the change-password dialog and the operator
// dialog for checking their layout by eye:
//   admin_shot <output prefix>
// writes <prefix>-password.png, <prefix>-changepwd.png and <prefix>-operator.png, each with some
// input typed. Run it under Xvfb (see the README) or with QT_QPA_PLATFORM=offscreen.
#include "app/dialogs/AdminPasswordDialog.h"
#include "app/dialogs/ChangePasswordDialog.h"
#include "app/dialogs/OperatorDialog.h"
#include "platform/core/IniFile.h"
#include "platform/ui/UiServices.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

namespace {

// The dialogs only show their pictures here; nobody answers.
class SilentUi : public UiServices
{
public:
    TModalResult MessageBox(const std::string&, const std::string&, TMsgButtons, TMsgIcon) override
    {
        return mrOk;
    }
    int RunModal(QDialog&) override { return mrCancel; }
};

bool Picture(QWidget& dialog, const QString& file)
{
    dialog.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    const bool ok = dialog.grab().save(file);
    dialog.hide();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output prefix>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    SilentUi ui;
    std::string password = "s3cret";
    bool ok = true;

    TForm5 gate(password, ui);
    gate.Edit1->setText("s3cret");
    ok = Picture(gate, prefix + "-password.png") && ok;

    QTemporaryDir folder;
    TIniFile settings(folder.filePath("style.ini").toStdString());
    TForm_ChangePWD change(password, settings, ui);
    change.edt_oldpwd->setText("s3cret");
    change.edt_newpwd->setText("n3w");
    ok = Picture(change, prefix + "-changepwd.png") && ok;

    TForm10 operatorDialog(ui);
    operatorDialog.Edit_GYH->setText("000123");
    operatorDialog.Edit_NAME->setText(QStringLiteral("张三"));
    operatorDialog.Edit_PWD->setText("1234");
    operatorDialog.Edit_PWDOK->setText("1234");
    ok = Picture(operatorDialog, prefix + "-operator.png") && ok;
    return ok ? 0 : 1;
}
