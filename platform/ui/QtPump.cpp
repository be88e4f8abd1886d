#include "platform/ui/QtPump.h"

#include <QCoreApplication>

void QtPump::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
