#pragma once
// A flat button that repeats its click while it is held down: the first repeat after 300 ms, then
// every 100 ms, and the usual click on release over the button. OnClick runs unguarded from the
// repeat timer so that a failing click stops the repetition; the timer's guard then shows the error.
#include "odbc/controls/ExtVCsEvents.h"

#include <QToolButton>
#include <memory>

class QMouseEvent;
class TTimer;

class TTimerButton : public TControlOf<QToolButton>
{
public:
    explicit TTimerButton(TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~TTimerButton() override;

    void SetOnClick(TControlNotifyEvent handler) { onClick_ = std::move(handler); }
    // Raised when a mouse button goes down on the button, before the repetition starts.
    void SetOnMouseDown(TControlNotifyEvent handler) { onMouseDown_ = std::move(handler); }

    // Runs OnClick.
    virtual void Click();

    std::string ClassName() const override { return "TTimerButton"; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // One tick of the repeat timer: a click while the button is held down.
    void DoTimer();
    TTimer& RepeatTimer() { return *timer_; }

private:
    std::unique_ptr<TTimer> timer_;
    TControlNotifyEvent onClick_;
    TControlNotifyEvent onMouseDown_;
};
