// TForm1, the main window.
// The administrator password gate and the operator page of the main window.
#include "app/mainwindow/MainWindow.h"

#include "app/dialogs/AdminPasswordDialog.h"
#include "app/dialogs/ChangePasswordDialog.h"
#include "app/dialogs/OperatorDialog.h"
#include "platform/core/IniFile.h"
#include "platform/core/StringList.h"
#include "platform/ui/UiServices.h"

#include <QLineEdit>
#include <QTreeWidgetItem>

#include <algorithm>

namespace {

const char* const kNoSelection = "请在列表里选择柜员号，再操作。";

// The dialogs are made without an owner, as small dialogs are; the operator dialog still opens
// centred over the main window.
void CentreOver(QWidget& dialog, const QWidget& window)
{
    dialog.move(window.frameGeometry().center() - dialog.rect().center());
}

bool PasswordGiven(TForm1& window)
{
    TForm5 gate(window.ManagerPassword, window.CurrentUi());
    return gate.ShowModal() == mrOk;
}

// The list's running numbers, from 1 without gaps.
void Renumber(QTreeWidget& list)
{
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        list.topLevelItem(i)->setText(0, QString::number(i + 1));
}

QTreeWidgetItem* AddOperatorItem(QTreeWidget& list, const QString& tellerNo, const QString& name)
{
    auto* item = new QTreeWidgetItem(&list); // owned by the list
    item->setText(0, QString::number(list.topLevelItemCount()));
    item->setText(1, tellerNo);
    item->setText(2, name);
    return item;
}

QTreeWidgetItem* SelectedItem(const QTreeWidget& list)
{
    const QList<QTreeWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

} // namespace

// ---- Administrator password ---------------------------------------------------------------------------

void TForm1::btn_setupClick(QObject* Sender)
{
    (void)Sender;
    if (!PasswordGiven(*this))
        return;
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet5), true);
    EnableSettingsControls(true);
}

void TForm1::btn_EditProjectClick(QObject* Sender)
{
    (void)Sender;
    // A gate left without the password disables nothing that an earlier one enabled.
    if (PasswordGiven(*this))
        EnableSettingsControls(true);
}

void TForm1::btn_ChangePWDClick(QObject* Sender)
{
    (void)Sender;
    // No gate first: the dialog asks for the old password itself.
    TForm_ChangePWD dialog(ManagerPassword, *SettingsIni, CurrentUi());
    dialog.ShowModal();
}

// ---- Operator page ------------------------------------------------------------------------------------

void TForm1::TabSheet2Show(QObject* Sender)
{
    (void)Sender;
    ListView1->clear();
    TStringList keys;
    SettingsIni->ReadSection("OperaManager", keys);
    QStringList lines;
    for (int i = 0; i < keys.Count(); ++i)
        lines << QString::fromStdString(keys[i]);
    Memo1->setPlainText(lines.join('\n'));
    for (int i = 0; i < keys.Count(); ++i)
        AddOperatorItem(*ListView1, QString::fromStdString(keys[i]),
                        QString::fromStdString(SettingsIni->ReadString("OperaManager", keys[i], "")));
}

void TForm1::Button3Click(QObject* Sender)
{
    (void)Sender;
    TForm10 dialog(CurrentUi());
    dialog.SetCaption("添加操作员");
    CentreOver(dialog, *this);
    if (dialog.ShowModal() == mrOk) {
        const QString tellerNo = dialog.Edit_GYH->text();
        bool duplicate = false;
        for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = ListView1->topLevelItem(i);
            item->setText(0, QString::number(i + 1));
            if (item->text(1) == tellerNo)
                duplicate = true;
        }
        // The list may be older than the file, and the file's keys match in any letter case: a
        // teller found there would be overwritten, name and password, without a word.
        if (!duplicate && SettingsIni->ValueExists("OperaManager", tellerNo.toStdString()))
            duplicate = true;
        if (duplicate) {
            CurrentUi().MessageBox("操作员的柜员号已存在，请检查后重试。", "注意", TMsgButtons::Ok);
        } else {
            // Written before it is listed: a write that fails leaves no operator on show that the
            // file does not hold.
            SettingsIni->WriteString("OperaManager", tellerNo.toStdString(),
                                     dialog.Edit_NAME->text().toStdString());
            SettingsIni->WriteString("OperaPWD", tellerNo.toStdString(),
                                     dialog.Edit_PWD->text().toStdString());
            AddOperatorItem(*ListView1, tellerNo, dialog.Edit_NAME->text());
        }
    }
    SettingsIni->UpdateFile();
}

void TForm1::Button5Click(QObject* Sender)
{
    (void)Sender;
    QTreeWidgetItem* item = SelectedItem(*ListView1);
    if (!item) {
        CurrentUi().MessageBox(kNoSelection, "注意", TMsgButtons::Ok);
        return;
    }
    const QString tellerNo = item->text(1);
    TForm10 dialog(CurrentUi());
    dialog.SetCaption("修改操作员参数");
    CentreOver(dialog, *this);
    dialog.Edit_GYH->setEnabled(false);
    // The length limit is for typing a new number; a longer one from the file is shown whole.
    dialog.Edit_GYH->setMaxLength(std::max(dialog.Edit_GYH->maxLength(), static_cast<int>(tellerNo.size())));
    dialog.Edit_GYH->setText(tellerNo);
    dialog.Edit_NAME->setText(item->text(2));
    if (dialog.ShowModal() != mrOk)
        return;
    SettingsIni->WriteString("OperaManager", tellerNo.toStdString(), dialog.Edit_NAME->text().toStdString());
    SettingsIni->WriteString("OperaPWD", tellerNo.toStdString(), dialog.Edit_PWD->text().toStdString());
    item->setText(2, dialog.Edit_NAME->text());
    SettingsIni->UpdateFile();
}

void TForm1::Button6Click(QObject* Sender)
{
    (void)Sender;
    QTreeWidgetItem* item = SelectedItem(*ListView1);
    if (!item) {
        CurrentUi().MessageBox(kNoSelection, "注意", TMsgButtons::Ok);
        return;
    }
    const std::string tellerNo = item->text(1).toStdString();
    if (CurrentUi().MessageBox("是否删除柜员[" + tellerNo + "]？", "注意", TMsgButtons::OkCancel) == mrOk) {
        SettingsIni->DeleteKey("OperaManager", tellerNo);
        SettingsIni->DeleteKey("OperaPWD", tellerNo);
        delete item; // removes it from the list
        SettingsIni->UpdateFile();
    }
    Renumber(*ListView1);
}
