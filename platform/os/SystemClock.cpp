#include "platform/os/SystemClock.h"

#include <cerrno>
#include <ctime>

namespace {

// Days from the date-time origin 1899-12-30 to the Unix epoch 1970-01-01.
constexpr double UnixEpochAsDateTime = 25569.0;
constexpr double SecondsPerDay = 86400.0;

} // namespace

std::uint64_t SystemClock::TickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
}

std::int64_t SystemClock::CalendarSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec);
}

double SystemClock::Now()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    // The local wall time is the UTC time moved by the zone's offset at that moment (daylight
    // saving included).
    const double localSeconds = static_cast<double>(now.tv_sec + local.tm_gmtoff) +
                                static_cast<double>(now.tv_nsec / 1'000'000) / 1000.0;
    return UnixEpochAsDateTime + localSeconds / SecondsPerDay;
}

void SystemClock::Sleep(unsigned milliseconds)
{
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1'000'000L};
    // A signal cuts the wait short; sleep for the rest of it.
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}
