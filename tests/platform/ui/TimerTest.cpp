#include "platform/ui/Timer.h"

#include "platform/core/Exception.h"

#include "fakes/FakeUiServices.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Lets the event loop run for the given time.
void RunFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST(Timer, StartsEnabledWithOneSecondAndRunsOnlyWithAHandler)
{
    TTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_FALSE(timer.Active());
    timer.SetOnTimer([] {});
    EXPECT_TRUE(timer.Active());
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Active());
}

TEST(Timer, AnIntervalOfZeroOrLessNeverFires)
{
    for (const int interval : {0, -1, -1000}) {
        TTimer timer;
        int ticks = 0;
        timer.SetInterval(interval);
        timer.SetOnTimer([&] { ++ticks; });
        timer.SetEnabled(false);
        timer.SetEnabled(true);
        RunFor(30);
        EXPECT_EQ(ticks, 0) << interval;
        EXPECT_FALSE(timer.Active()) << interval;
    }
}

TEST(Timer, FiresAtItsIntervalAndStopsWhenDisabled)
{
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(5);
    timer.SetOnTimer([&] {
        if (++ticks == 3)
            timer.SetEnabled(false);
    });
    RunFor(200);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.Active());
}

TEST(Timer, ChangingTheIntervalStartsTheCountAgain)
{
    TTimer timer;
    QElapsedTimer clock;
    qint64 firedAfter = -1;
    timer.SetInterval(60);
    timer.SetOnTimer([&] {
        firedAfter = clock.elapsed();
        timer.SetEnabled(false);
    });
    clock.start();
    RunFor(40);
    timer.SetInterval(50); // 40 ms of the old interval are forgotten
    const qint64 changedAt = clock.elapsed();
    RunFor(150);
    ASSERT_GE(firedAfter, 0);
    EXPECT_GE(firedAfter, changedAt + 35); // the old count would have ended 20 ms after the change
}

TEST(Timer, AThrowingHandlerIsShownAndTheTimerGoesOn)
{
    FakeUiServices ui;
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(5);
    timer.SetOnTimer([&] {
        if (++ticks == 2)
            timer.SetEnabled(false);
        throw Exception("端口未打开");
    });
    RunFor(150);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"端口未打开.", "端口未打开."}));
}

TEST(Timer, IsOwnedLikeAnyComponent)
{
    auto owner = std::make_unique<TComponent>();
    auto* timer = new TTimer(owner.get());
    timer->SetName("Timer1");
    EXPECT_EQ(owner->FindComponent("timer1"), timer);
    EXPECT_EQ(timer->ClassName(), "TTimer");
    owner.reset(); // destroys the timer; the sanitizer reports it if not
}
