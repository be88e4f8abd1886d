#include "odbc/controls/ExtVCsTimerButton.h"

#include "platform/ui/Guard.h"
#include "platform/ui/Timer.h"

#include <QMouseEvent>

namespace {
constexpr int kFirstRepeat = 300; // milliseconds until the first repeated click
constexpr int kNextRepeat = 100;  // and between the following ones
} // namespace

TTimerButton::TTimerButton(TComponent* owner, QWidget* parent)
    : TControlOf<QToolButton>(owner, parent), timer_(std::make_unique<TTimer>())
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus); // a speed button never takes the focus
    timer_->SetEnabled(false);
    timer_->SetInterval(kFirstRepeat);
    timer_->SetOnTimer([this] { DoTimer(); });
    ConnectGuarded(this, &QAbstractButton::clicked, this, [this] { Click(); });
}

TTimerButton::~TTimerButton() = default;

void TTimerButton::Click()
{
    if (onClick_)
        onClick_(this);
}

void TTimerButton::mousePressEvent(QMouseEvent* event)
{
    QToolButton::mousePressEvent(event);
    Guarded([this] {
        if (onMouseDown_)
            onMouseDown_(this);
    });
    if (isDown()) // only the left button presses it
        timer_->SetEnabled(true);
}

void TTimerButton::mouseReleaseEvent(QMouseEvent* event)
{
    QToolButton::mouseReleaseEvent(event); // clicks when released over the button
    timer_->SetEnabled(false);
    timer_->SetInterval(kFirstRepeat);
}

void TTimerButton::DoTimer()
{
    if (!isDown())
        return;
    timer_->SetInterval(kNextRepeat);
    try {
        Click();
    } catch (...) {
        timer_->SetEnabled(false);
        timer_->SetInterval(kFirstRepeat);
        throw;
    }
}
