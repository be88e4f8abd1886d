#pragma once
// Scripted answers in place of the user: message boxes are recorded and answered from a queue,
// modal dialogs run a script instead of an event loop. Installs itself for its lifetime.
#include "platform/ui/UiServices.h"

#include <QDialog>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class FakeUiServices : public UiServices
{
public:
    struct Message
    {
        std::string text;
        std::string caption;
        TMsgButtons buttons;
        TMsgIcon icon;
    };

    std::vector<Message> messages;
    std::deque<TModalResult> answers; // next message box answers; mrOk when the queue is empty
    // Runs while a message box is up, where a real one runs its modal loop (timers fire there).
    std::function<void()> whileMessageShows;
    // Runs for each modal dialog in place of its event loop and gives its result; without a
    // script a dialog is left with mrCancel, as with its close box.
    std::function<int(QDialog&)> onModal;
    std::vector<std::string> dialogs; // object names of the dialogs run, in order

    FakeUiServices() : previous_(SetUiServices(this)) {}
    FakeUiServices(const FakeUiServices&) = delete;
    FakeUiServices& operator=(const FakeUiServices&) = delete;
    ~FakeUiServices() override { SetUiServices(previous_); }

    TModalResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons,
                            TMsgIcon icon) override
    {
        messages.push_back({text, caption, buttons, icon});
        if (whileMessageShows)
            whileMessageShows();
        if (answers.empty())
            return mrOk;
        const TModalResult answer = answers.front();
        answers.pop_front();
        return answer;
    }

    int RunModal(QDialog& dialog) override
    {
        dialogs.push_back(dialog.objectName().toStdString());
        return onModal ? onModal(dialog) : mrCancel;
    }

    // The texts of the message boxes shown so far.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const Message& message : messages)
            texts.push_back(message.text);
        return texts;
    }

private:
    UiServices* previous_;
};
