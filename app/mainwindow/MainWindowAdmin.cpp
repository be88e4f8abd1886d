// TForm1, the main window.
// The administrator password gate and the operator page of the main window.
#include "app/mainwindow/MainWindow.h"

// The password gate and the operator page come with their own dialogs.
void TForm1::btn_setupClick(QObject* Sender)
{
    (void)Sender;
}

void TForm1::btn_EditProjectClick(QObject* Sender)
{
    (void)Sender;
}

void TForm1::btn_ChangePWDClick(QObject* Sender)
{
    (void)Sender;
}

void TForm1::TabSheet2Show(QObject* Sender)
{
    (void)Sender;
}

void TForm1::Button3Click(QObject* Sender)
{
    (void)Sender;
}

void TForm1::Button5Click(QObject* Sender)
{
    (void)Sender;
}

void TForm1::Button6Click(QObject* Sender)
{
    (void)Sender;
}
