#include "platform/ui/UiServices.h"

#include "platform/ui/QtUiServices.h"

#include <mutex>

namespace {

// Like the application object of the original: one per process.
struct Application
{
    std::mutex lock;
    UiServices* installed = nullptr;
    std::string title;
};

Application& App()
{
    static Application application;
    return application;
}

UiServices& QtServices()
{
    static QtUiServices services;
    return services;
}

} // namespace

UiServices& CurrentUi()
{
    Application& app = App();
    std::lock_guard guard(app.lock);
    return app.installed ? *app.installed : QtServices();
}

UiServices* SetUiServices(UiServices* services)
{
    Application& app = App();
    std::lock_guard guard(app.lock);
    UiServices* previous = app.installed;
    app.installed = services;
    return previous;
}

std::string ApplicationTitle()
{
    Application& app = App();
    std::lock_guard guard(app.lock);
    return app.title;
}

void SetApplicationTitle(std::string title)
{
    Application& app = App();
    std::lock_guard guard(app.lock);
    app.title = std::move(title);
}

std::string ExceptionDisplayText(const std::string& message)
{
    // The last character compared with '.': every byte of a multi-byte UTF-8 character is above it,
    // as every CJK character was in the original code page.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + '.';
    return message;
}

void ShowException(const std::exception& error)
{
    CurrentUi().MessageBox(ExceptionDisplayText(error.what()), ApplicationTitle(), TMsgButtons::Ok,
                           TMsgIcon::Error);
}
