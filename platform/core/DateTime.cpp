#include "platform/core/DateTime.h"

#include "platform/core/Exception.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Days since 0001-01-01 (that day being 0) of a proleptic Gregorian date.
std::int64_t DaysFromCivil(int year, int month, int day)
{
    std::int64_t y = year - 1;
    static const int before[2][12] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
                                      {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};
    return y * 365 + y / 4 - y / 100 + y / 400 + before[IsLeapYear(year) ? 1 : 0][month - 1] + day - 1;
}

// Inverse of DaysFromCivil for days >= 0 (Hinnant's algorithm, shifted to 0001-01-01).
void CivilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    // Days since 0000-03-01, the start of a 400-year era whose leap day falls at the end.
    const std::int64_t z = days + 306;
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

void AppendNumber(std::string& out, int value, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", digits, value);
    out += buf;
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& value)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    value = static_cast<double>(DaysFromCivil(year, month, day) + 1 - DateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime v = 0;
    if (!TryEncodeDate(year, month, day, v))
        throw EConvertError("Invalid argument to date encode");
    return v;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& value)
{
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    value = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime v = 0;
    if (!TryEncodeTime(hour, min, sec, msec, v))
        throw EConvertError("Invalid argument to time encode");
    return v;
}

TPlatformTimeStamp DateTimeToTimeStamp(TDateTime value)
{
    TPlatformTimeStamp ts;
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) // beyond year 9999 either way
        return ts;
    const auto ms = static_cast<std::int64_t>(std::llround(value * MSecsPerDay));
    // The integral part is the day, the fraction's magnitude the time, also before 1899-12-30.
    ts.Date = static_cast<int>(DateDelta + ms / MSecsPerDay);
    ts.Time = static_cast<int>(std::llabs(ms) % MSecsPerDay);
    return ts;
}

TDateTime TimeStampToDateTime(const TPlatformTimeStamp& stamp)
{
    const double date = stamp.Date - DateDelta;
    const double time = static_cast<double>(stamp.Time) / MSecsPerDay;
    return date < 0 ? date - time : date + time;
}

std::int64_t TimeStampToMSecs(const TPlatformTimeStamp& stamp)
{
    return static_cast<std::int64_t>(stamp.Date) * MSecsPerDay + stamp.Time;
}

TPlatformTimeStamp MSecsToTimeStamp(std::int64_t msecs)
{
    TPlatformTimeStamp ts;
    ts.Date = static_cast<int>(msecs / MSecsPerDay);
    ts.Time = static_cast<int>(msecs % MSecsPerDay);
    return ts;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    const TPlatformTimeStamp ts = DateTimeToTimeStamp(value);
    year = month = day = 0;
    if (ts.Date <= 0 || ts.Date > DaysFromCivil(9999, 12, 31) + 1)
        return;
    CivilFromDays(ts.Date - 1, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec)
{
    const int t = DateTimeToTimeStamp(value).Time;
    hour = t / 3600000;
    min = t / 60000 % 60;
    sec = t / 1000 % 60;
    msec = t % 1000;
}

std::string FormatDateTime(std::string_view pattern, TDateTime value)
{
    int year, month, day, hour, min, sec, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, min, sec, msec);

    std::string out;
    char lastLetter = 0;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'' || c == '"') {
            const auto end = pattern.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
            out.append(pattern.substr(i + 1, stop - i - 1));
            i = stop == pattern.size() ? stop : stop + 1;
            continue;
        }
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        if (upper < 'A' || upper > 'Z') {
            out += c;
            ++i;
            continue;
        }
        std::size_t count = 1;
        while (i + count < pattern.size() && (pattern[i + count] == c || pattern[i + count] == (c ^ 0x20)))
            ++count;
        char token = upper;
        // Only letters decide whether "m" means minutes: "hh:mm" gives the minutes.
        if (token == 'M' && lastLetter == 'H')
            token = 'N';
        lastLetter = upper;
        const int width = count >= 2 ? 2 : 1;
        switch (token) {
        case 'Y':
            if (count <= 2)
                AppendNumber(out, year % 100, 2);
            else
                AppendNumber(out, year, 4);
            break;
        case 'M':
            AppendNumber(out, month, width);
            break;
        case 'D':
            AppendNumber(out, day, width);
            break;
        case 'H':
            AppendNumber(out, hour, width);
            break;
        case 'N':
            AppendNumber(out, min, width);
            break;
        case 'S':
            AppendNumber(out, sec, width);
            break;
        case 'Z':
            AppendNumber(out, msec, count >= 3 ? 3 : 1);
            break;
        default:
            out.append(pattern.substr(i, count));
            break;
        }
        i += count;
    }
    return out;
}
