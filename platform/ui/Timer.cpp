#include "platform/ui/Timer.h"

#include "platform/ui/Guard.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    // Never early, as the platform's timer messages: a coarse QTimer may fire 5 % before its time.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(int milliseconds)
{
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Update();
}

void TTimer::SetOnTimer(std::function<void()> handler)
{
    onTimer_ = std::move(handler);
    Update();
}

void TTimer::Update()
{
    timer_.stop();
    if (enabled_ && interval_ > 0 && onTimer_ && !HasState(csDesigning))
        timer_.start(interval_);
}

void TTimer::Tick()
{
    // A copy: the handler may replace itself or destroy this timer.
    const std::function<void()> handler = onTimer_;
    Guarded(handler);
}
