#pragma once
// Dates and times as the class library keeps them: a double counting days since 1899-12-30, the
// time of day as the fraction. A date before that day is negative and its fraction still counts
// forward into the day (-1.25 is 1899-12-29 06:00). The current time comes from the Clock in
// platform/os, never from here.
#include <cstdint>
#include <string>
#include <string_view>

using TDateTime = double;

inline constexpr int HoursPerDay = 24;
inline constexpr int MinsPerDay = HoursPerDay * 60;
inline constexpr int SecsPerDay = MinsPerDay * 60;
inline constexpr int MSecsPerDay = SecsPerDay * 1000;
// Day number of 1899-12-30 when 0001-01-01 is day 1.
inline constexpr int DateDelta = 693594;

// Raises EConvertError "Invalid argument to date encode" (years 1 to 9999).
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
// Raises EConvertError "Invalid argument to time encode" (hour below 24, and so on).
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& value);
// A date outside years 1 to 9999 decodes as 0, 0, 0.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The library's split form of a date-time, named so to keep it apart from the ODBC library's own
// TTimeStamp (the 16-byte ODBC timestamp structure).
struct TPlatformTimeStamp
{
    int Time = 0; // milliseconds since midnight
    int Date = 0; // days, 0001-01-01 being 1 (so 1899-12-30 is DateDelta)
};

// Rounds to the nearest millisecond.
TPlatformTimeStamp DateTimeToTimeStamp(TDateTime value);
TDateTime TimeStampToDateTime(const TPlatformTimeStamp& stamp);
std::int64_t TimeStampToMSecs(const TPlatformTimeStamp& stamp);
TPlatformTimeStamp MSecsToTimeStamp(std::int64_t msecs);

// Pattern letters, in either case:
//   y, yy: two-digit year; yyy, yyyy: four-digit year; m, mm: month (minutes when the letter
//   before it was h); d, dd: day; h, hh: hour (0-23); n, nn: minute; s, ss: second;
//   z: milliseconds; zzz: milliseconds with three digits.
// One letter gives no leading zero, two give two digits; longer runs of m, d, h, n, s print as
// two. Text in single or double quotes is copied without its quotes; every other character
// (separators, other letters, UTF-8 text such as "年") is copied as it stands.
std::string FormatDateTime(std::string_view pattern, TDateTime value);
