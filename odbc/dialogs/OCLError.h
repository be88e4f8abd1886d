#pragma once
// The window in which an EODBC shows its diagnostic records one at a time: the summary at the top
// and, behind "Details >>", the current record's message, SQLSTATE and native code with buttons to
// step through the records. EODBC::Detail shows it once InstallErrorDialog has been called; the
// handle layer itself knows no Qt.
#include "platform/ui/Form.h"

#include <string>

class EODBC;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

class TOEErrorDialog : public TDialogForm
{
public:
    explicit TOEErrorDialog(TComponent* owner = nullptr, QWidget* parent = nullptr);

    // The summary text shown at the top.
    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    // The error whose records are walked; not owned, and it must outlive the showing.
    EODBC* Error() const { return error_; }
    void SetError(EODBC* error) { error_ = error; }
    bool Expanded() const { return expanded_; }

    void FormShow(QObject* Sender);
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button4Click(QObject* Sender);
    void Expand();
    void Collapse();
    void Display();

    std::string ClassName() const override { return "TOEErrorDialog"; }

    QLabel* Image1;
    QPushButton* Button1;
    QPushButton* Button2;
    QFrame* Bevel1;
    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QLabel* Label3;
    QPushButton* Button3;
    QPushButton* Button4;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool expanded_ = false;
    std::string message_;
    EODBC* error_ = nullptr;
};

// Makes EODBC::Detail show TOEErrorDialog and EODBC::Display a message box with the error icon.
// Called once by the application after the QApplication exists.
void InstallErrorDialog();
