#pragma once
// The platform's timer component over QTimer. It runs while it is enabled, has an interval above 0
// and a handler; an interval of 0 or less never fires (a QTimer of 0 would fire on every pass of
// the event loop). Changing Enabled, Interval or the handler starts the count again from zero.
// The handler runs through the guard.
#include "platform/core/Component.h"

#include <QTimer>
#include <functional>

class TTimer : public TComponent
{
public:
    explicit TTimer(TComponent* owner = nullptr);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Milliseconds; 1000 by default, as on the platform.
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    const std::function<void()>& OnTimer() const { return onTimer_; }
    void SetOnTimer(std::function<void()> handler);

    // Whether a tick is pending now (enabled, interval above 0 and a handler).
    bool Active() const { return timer_.isActive(); }

    std::string ClassName() const override { return "TTimer"; }

private:
    void Update();
    void Tick();

    QTimer timer_;
    bool enabled_ = true;
    int interval_ = 1000;
    std::function<void()> onTimer_;
};
