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

// Lets the event loop run until done() holds or the time is up; false when the time ran out.
template <class Done> bool RunUntil(Done done, int milliseconds = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        RunFor(1);
    return done();
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
    EXPECT_TRUE(RunUntil([&] { return ticks == 3; }));
    RunFor(30);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.Active());
}

TEST(Timer, ChangingTheIntervalStartsTheCountAgain)
{
    TTimer timer;
    QElapsedTimer clock;
    qint64 firedAfter = -1;
    timer.SetInterval(300);
    timer.SetOnTimer([&] {
        firedAfter = clock.elapsed();
        timer.SetEnabled(false);
    });
    clock.start();
    RunFor(150);
    const qint64 changedAt = clock.elapsed();
    if (firedAfter >= 0 || changedAt >= 280)
        GTEST_SKIP() << "the machine is too busy to time this";
    timer.SetInterval(250); // the 150 ms already counted are forgotten
    EXPECT_TRUE(RunUntil([&] { return firedAfter >= 0; }));
    // The old count would have ended 150 ms after the change.
    EXPECT_GE(firedAfter, changedAt + 225);
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
    EXPECT_TRUE(RunUntil([&] { return ticks == 2; }));
    RunFor(30);
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
