#pragma once
// The port configuration dialog: baud rate, data bits, parity and stop bits of one port.
#include "platform/os/SerialDevice.h"
#include "platform/ui/Form.h"

#include <string>

class QComboBox;

class TPortConfigDialog : public TDialogForm
{
public:
    explicit TPortConfigDialog(const std::string& portName, QWidget* parent = nullptr);

    void Load(const SerialSettings& settings);
    SerialSettings Edited(SerialSettings base) const;

    QComboBox* BaudRate = nullptr;
    QComboBox* ByteSize = nullptr;
    QComboBox* Parity = nullptr;
    QComboBox* StopBits = nullptr;
};

// Shows the dialog for the port; on OK the edited values are written into settings.
bool ShowPortConfigDialog(const std::string& portName, SerialSettings& settings);
