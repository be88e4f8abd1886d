#pragma once
// A small window to choose and configure the event-driven serial port. The program creates it at
// start-up and never shows it; it acts on the port object it is given, and with none its controls
// do nothing.
#include "platform/ui/Form.h"

class QComboBox;
class QLabel;
class QPushButton;
class SerialPort;

class TCommPortForm : public TForm
{
public:
    explicit TCommPortForm(TComponent* owner = nullptr, QWidget* parent = nullptr);

    SerialPort* CommPortObject() const { return commPortObject_; }
    void SetCommPortObject(SerialPort* port) { commPortObject_ = port; }

    void CommPortChange();
    void BComClick();
    void BCloseClick();

    QLabel* Label1 = nullptr;
    QComboBox* CommPort = nullptr;
    QPushButton* BCom = nullptr;
    QPushButton* BClose = nullptr;

private:
    SerialPort* commPortObject_ = nullptr;
};
