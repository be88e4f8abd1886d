#pragma once
// What the program asks of the user through the application object: message boxes and modal
// dialogs. Code calls CurrentUi() instead of QMessageBox or QDialog::exec directly, so that tests can
// install scripted answers (tests/fakes/FakeUiServices.h).
#include "platform/ui/ModalResult.h"

#include <exception>
#include <string>

class QDialog;

enum class TMsgButtons
{
    Ok,
    OkCancel,
};

enum class TMsgIcon
{
    None,
    Information,
    Warning,
    Error,
    Question,
};

class UiServices
{
public:
    virtual ~UiServices() = default;

    // Shows text under caption and waits for the answer: mrOk, or mrCancel (also for the close box
    // or Esc when a Cancel button is offered).
    virtual TModalResult MessageBox(const std::string& text, const std::string& caption,
                                    TMsgButtons buttons = TMsgButtons::Ok,
                                    TMsgIcon icon = TMsgIcon::None) = 0;
    // Runs dialog modally and returns its result (the value given to QDialog::done).
    virtual int RunModal(QDialog& dialog) = 0;
};

// The services in use: the Qt ones unless a test installed others.
UiServices& CurrentUi();
// Installs services (nullptr goes back to the Qt ones) and returns what was installed before.
UiServices* SetUiServices(UiServices* services);

// The application's title (the caption of the standard exception display).
std::string ApplicationTitle();
void SetApplicationTitle(std::string title);

// The application's standard exception display: the exception's message in a box captioned with
// the application title, OK only. As on the original platform a message that does not end in '.'
// (or a character below it) gets one.
void ShowException(const std::exception& error);
// The text that display shows for a message.
std::string ExceptionDisplayText(const std::string& message);
