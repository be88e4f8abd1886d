#pragma once
// The user's part in a modal dialog: RunScripted runs a dialog through ShowModal with its real event
// loop and a script in place of the user. The script runs once the loop is going; a dialog the script
// leaves open is closed with Cancel afterwards (and reported through leftOpen), so a test never hangs
// on it. ScriptModals does the same for every dialog a handler under test makes and runs itself.
// TypeText types text key by key, also characters no key of the keyboard names (CJK).
#include "fakes/FakeUiServices.h"
#include "platform/ui/Form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <functional>

inline int RunScripted(FakeUiServices& ui, TDialogForm& dialog, std::function<void()> script,
                       bool* leftOpen = nullptr)
{
    ui.onModal = [](QDialog& d) { return d.exec(); };
    if (leftOpen)
        *leftOpen = false;
    QTimer::singleShot(0, &dialog, [&dialog, &script, leftOpen] {
        script();
        if (dialog.isVisible()) {
            if (leftOpen)
                *leftOpen = true;
            dialog.reject();
        }
    });
    return dialog.ShowModal();
}

// Each dialog run through ui from now on gets its real event loop and script; one the script leaves
// open is closed with Cancel and counted in *leftOpen.
inline void ScriptModals(FakeUiServices& ui, std::function<void(QDialog&)> script, int* leftOpen = nullptr)
{
    ui.onModal = [script = std::move(script), leftOpen](QDialog& dialog) {
        QTimer::singleShot(0, &dialog, [&dialog, &script, leftOpen] {
            script(dialog);
            if (dialog.isVisible()) {
                if (leftOpen)
                    ++*leftOpen;
                dialog.reject();
            }
        });
        return dialog.exec();
    };
}

inline void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}
