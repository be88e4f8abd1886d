#include "reader/commport/PortConfigDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

namespace {

const unsigned kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

void SelectData(QComboBox* box, int value)
{
    const int at = box->findData(value);
    if (at >= 0)
        box->setCurrentIndex(at);
}

} // namespace

TPortConfigDialog::TPortConfigDialog(const std::string& portName, QWidget* parent)
    : TDialogForm(nullptr, parent)
{
    SetFormName("PortConfigDialog");
    SetCaption(portName + " Properties");
    auto* layout = new QFormLayout(this);
    BaudRate = new QComboBox(this);
    for (unsigned b : kBaudRates)
        BaudRate->addItem(QString::number(b), static_cast<int>(b));
    ByteSize = new QComboBox(this);
    for (int b = 5; b <= 8; ++b)
        ByteSize->addItem(QString::number(b), b);
    Parity = new QComboBox(this);
    const char* parities[] = {"None", "Odd", "Even", "Mark", "Space"};
    for (int p = 0; p < 5; ++p)
        Parity->addItem(parities[p], p);
    StopBits = new QComboBox(this);
    StopBits->addItem("1", 0);
    StopBits->addItem("1.5", 1);
    StopBits->addItem("2", 2);
    layout->addRow("Bits per second:", BaudRate);
    layout->addRow("Data bits:", ByteSize);
    layout->addRow("Parity:", Parity);
    layout->addRow("Stop bits:", StopBits);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    SetButtonModalResult(buttons->button(QDialogButtonBox::Ok), mrOk);
    SetButtonModalResult(buttons->button(QDialogButtonBox::Cancel), mrCancel);
    layout->addRow(buttons);
}

void TPortConfigDialog::Load(const SerialSettings& settings)
{
    SelectData(BaudRate, static_cast<int>(settings.baudRate));
    SelectData(ByteSize, settings.byteSize);
    SelectData(Parity, settings.parity);
    SelectData(StopBits, settings.stopBits);
}

SerialSettings TPortConfigDialog::Edited(SerialSettings base) const
{
    base.baudRate = static_cast<unsigned>(BaudRate->currentData().toInt());
    base.byteSize = ByteSize->currentData().toInt();
    base.parity = Parity->currentData().toInt();
    base.stopBits = StopBits->currentData().toInt();
    return base;
}

bool ShowPortConfigDialog(const std::string& portName, SerialSettings& settings)
{
    TPortConfigDialog dialog(portName);
    dialog.Load(settings);
    if (dialog.ShowModal() != mrOk)
        return false;
    settings = dialog.Edited(settings);
    return true;
}
