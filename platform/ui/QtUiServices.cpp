#include "platform/ui/QtUiServices.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon ToQt(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Information:
        return QMessageBox::Information;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    case TMsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

TModalResult QtUiServices::MessageBox(const std::string& text, const std::string& caption,
                                      TMsgButtons buttons, TMsgIcon icon)
{
    const bool withCancel = buttons == TMsgButtons::OkCancel;
    QMessageBox box(ToQt(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Cancel ? mrCancel : mrOk;
}

int QtUiServices::RunModal(QDialog& dialog)
{
    return dialog.exec();
}
