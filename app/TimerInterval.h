#pragma once
// Timer intervals from stored settings. A stored number of seconds times 1000 can leave the range of
// an int; the product is taken in 64 bits and clamped, so a huge value gives the longest interval
// instead of a wrapped (possibly tiny or negative) one.
#include <cstdint>
#include <limits>

inline int ClampInterval(std::int64_t milliseconds)
{
    constexpr std::int64_t lo = std::numeric_limits<int>::min();
    constexpr std::int64_t hi = std::numeric_limits<int>::max();
    return static_cast<int>(milliseconds < lo ? lo : (milliseconds > hi ? hi : milliseconds));
}

inline int SecondsToInterval(std::int64_t seconds)
{
    return ClampInterval(seconds * 1000);
}
