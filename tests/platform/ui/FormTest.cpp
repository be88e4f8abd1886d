#include "platform/ui/Form.h"

#include "platform/core/Exception.h"
#include "platform/ui/Guard.h"

#include "fakes/FakeUiServices.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A form of the program's kind: a Qt class with its own signals and slots on the form base.
class TMainTestForm : public TFormOf<QMainWindow>
{
    Q_OBJECT

public:
    QLabel* label = new QLabel(this);

signals:
    void Ping();
};

// A component that uses a widget of its owner when it goes.
class LabelWriter : public TComponent
{
public:
    LabelWriter(TComponent* owner, QLabel* label, bool* destroyed)
        : TComponent(owner), label_(label), destroyed_(destroyed)
    {
    }
    ~LabelWriter() override
    {
        label_->setText("bye");
        *destroyed_ = true;
    }

private:
    QLabel* label_;
    bool* destroyed_;
};

class TPromptForm : public TDialogForm
{
public:
    QPushButton* ok = new QPushButton("确定", this);
    QPushButton* cancel = new QPushButton("取消", this);
    TPromptForm()
    {
        SetFormName("frm_prompt");
        SetButtonModalResult(ok, mrOk);
        SetButtonModalResult(cancel, mrCancel);
    }
};

} // namespace

TEST(Form, IsAWindowAndAComponentThatDestroysWhatItOwns)
{
    bool destroyed = false;
    auto form = std::make_unique<TMainTestForm>();
    auto* writer = new LabelWriter(form.get(), form->label, &destroyed);
    writer->SetName("Hdbc_Access");
    form->SetCaption("居民ziravedur v1.0");
    EXPECT_EQ(form->windowTitle(), QString("居民ziravedur v1.0"));
    EXPECT_EQ(form->Caption(), "居民ziravedur v1.0");
    EXPECT_EQ(form->FindComponent("HDBC_ACCESS"), writer);
    EXPECT_NE(qobject_cast<QMainWindow*>(form.get()), nullptr);
    form.reset(); // the writer goes while the label still exists (the sanitizer checks)
    EXPECT_TRUE(destroyed);
}

TEST(Form, ShowModalReturnsTheButtonsResultThroughTheServices)
{
    FakeUiServices ui;
    TPromptForm form;
    ui.onModal = [&](QDialog& dialog) {
        EXPECT_EQ(&dialog, &form);
        form.ok->click();
        return dialog.result();
    };
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(form.ModalResult(), mrOk);

    ui.onModal = nullptr; // unanswered: as if closed with the close box
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(ui.dialogs, (std::vector<std::string>{"frm_prompt", "frm_prompt"}));
}

TEST(Form, ARealModalLoopEndsWithTheModalResultOrCancelOnClose)
{
    TPromptForm form;
    QTimer::singleShot(0, &form, [&] { form.SetModalResult(mrYes); });
    EXPECT_EQ(form.ShowModal(), mrYes);

    QTimer::singleShot(0, &form, [&] { form.close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);

    QTimer::singleShot(0, &form, [&] { form.cancel->click(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(form.ModalResult(), mrCancel);
}

TEST(Form, AnExceptionInsideAModalLoopIsShownAndTheDialogStaysUsable)
{
    FakeUiServices fake;
    TPromptForm form;
    // Run the real loop but keep the fake for the exception display.
    fake.onModal = [](QDialog& dialog) { return dialog.exec(); };
    QPushButton failing("x", &form);
    ConnectGuarded(&failing, &QPushButton::clicked, &form, [] { throw Exception("设置失败"); });
    QTimer::singleShot(0, &form, [&] {
        failing.click();
        form.ok->click();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(fake.Texts(), std::vector<std::string>{"设置失败."});
}

#include "FormTest.moc"
