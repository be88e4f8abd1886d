#include "reader/commport/QtPortServices.h"

#include "platform/ui/Guard.h"
#include "platform/ui/UiServices.h"
#include "reader/commport/PortConfigDialog.h"

#include <QCoreApplication>
#include <QMetaObject>

PostToUiThread QtUiThreadPoster()
{
    return [](std::function<void()> f) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr)
            return;
        QMetaObject::invokeMethod(
            app, [f = std::move(f)] { Guarded(f); }, Qt::QueuedConnection);
    };
}

void AttachQtPortServices(SerialPort& port)
{
    port.SetOnMessage([](const std::string& text, const std::string& caption) {
        CurrentUi().MessageBox(text, caption, TMsgButtons::Ok, TMsgIcon::Warning);
    });
    port.SetOnConfigureDialog([](const std::string& name, SerialSettings& settings) {
        return ShowPortConfigDialog(name, settings);
    });
}
