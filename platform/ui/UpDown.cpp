#include "platform/ui/UpDown.h"

#include <QLineEdit>

TUpDown::TUpDown(QWidget* parent) : QSpinBox(parent)
{
    setRange(0, 100);
    setValue(0);
}

void TUpDown::SetEditReadOnly(bool readOnly)
{
    lineEdit()->setReadOnly(readOnly);
}

void TUpDown::stepBy(int steps)
{
    const int before = value();
    QSpinBox::stepBy(steps);
    if (value() != before)
        emit Click(steps > 0 ? btNext : btPrev);
}
