#include "platform/os/SystemClock.h"

#include <QDateTime>
#include <cmath>
#include <ctime>
#include <gtest/gtest.h>

TEST(SystemClock, SleepWaitsAndTicksAreMonotonicMilliseconds)
{
    SystemClock clock;
    const std::uint64_t before = clock.TickCount();
    clock.Sleep(30);
    const std::uint64_t after = clock.TickCount();
    EXPECT_GE(after - before, 30u);
    EXPECT_LT(after - before, 2000u);
    clock.Sleep(0);
    EXPECT_GE(clock.TickCount(), after);
}

TEST(SystemClock, CalendarSecondsAreUnixTime)
{
    SystemClock clock;
    EXPECT_LE(std::llabs(clock.CalendarSeconds() - static_cast<std::int64_t>(std::time(nullptr))), 1);
}

TEST(SystemClock, NowIsLocalTimeAsDaysSince18991230)
{
    SystemClock clock;
    const QDateTime local = QDateTime::currentDateTime();
    const double expected = static_cast<double>(QDate(1899, 12, 30).daysTo(local.date())) +
                            local.time().msecsSinceStartOfDay() / 86'400'000.0;
    EXPECT_NEAR(clock.Now(), expected, 2.0 / 86400.0); // within two seconds
}
