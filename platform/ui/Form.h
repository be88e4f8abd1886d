#pragma once
// The base of every window of the program: a Qt window and a TComponent at once, so that what a
// form owns (connections, queries, timers) follows the owner model and is found among the form's
// components. TFormOf<QMainWindow> or TFormOf<QWidget> for plain windows; TDialogForm for modal
// dialogs. A form built from a .ui file also inherits the class uic generates from it, so its controls
// are the form's own members under their names in the file, and calls setupUi(this) first thing in its
// constructor.
#include "platform/core/Component.h"
#include "platform/ui/ModalResult.h"

#include <QDialog>
#include <QWidget>
#include <string>

class QAbstractButton;

template <class QtWindow> class TFormOf : public QtWindow, public TComponent
{
public:
    explicit TFormOf(TComponent* owner = nullptr, QWidget* parent = nullptr)
        : QtWindow(parent), TComponent(owner)
    {
    }
    // The owned components go first, while the form's widgets they may use still exist.
    ~TFormOf() override { DestroyComponents(); }

    // The window title.
    std::string Caption() const { return this->windowTitle().toStdString(); }
    void SetCaption(const std::string& caption) { this->setWindowTitle(QString::fromStdString(caption)); }
    // The component name, also given to the window as its objectName.
    void SetFormName(const std::string& name)
    {
        SetName(name);
        this->setObjectName(QString::fromStdString(name));
    }
};

using TForm = TFormOf<QWidget>;

// A dialog form. ShowModal runs it through the user-interface services (so tests script it) and
// returns its ModalResult; setting a ModalResult other than mrNone closes it with that result, the
// close box and Esc close it with mrCancel.
class TDialogForm : public TFormOf<QDialog>
{
public:
    explicit TDialogForm(TComponent* owner = nullptr, QWidget* parent = nullptr);

    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);
    int ShowModal();

    // The platform's button property: a click on button sets this ModalResult.
    void SetButtonModalResult(QAbstractButton* button, int result);

    void done(int result) override;
    void accept() override { done(mrOk); }
    void reject() override { done(mrCancel); }

private:
    int modalResult_ = mrNone;
};
