#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"

#include <gtest/gtest.h>

TEST(DateTime, EncodeDecodeAroundTheOriginAndTheCalendarEdges)
{
    struct Case
    {
        int y, m, d;
        double serial;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},   {1899, 12, 31, 1},   {1900, 1, 1, 2},
        {1899, 12, 29, -1},  {1970, 1, 1, 25569}, {2000, 2, 29, 36585},
        {2024, 3, 1, 45352}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        int y, m, d;
        // The time of day is added to the day's number, away from zero before the origin.
        DecodeDate(c.serial < 0 ? c.serial - 0.75 : c.serial + 0.75, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << c.serial;
    }
    TDateTime v = 0;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, v));
    EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);

    int h, n, s, ms;
    DecodeTime(EncodeDate(2026, 12, 10) + EncodeTime(23, 59, 59, 999), h, n, s, ms);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
    // Before the origin the fraction still counts forward into the day.
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(h, 6);
}

TEST(DateTime, TimeStampsUseDayOneAtYearOne)
{
    const TDateTime noon = EncodeDate(1899, 12, 30) + 0.5;
    TPlatformTimeStamp ts = DateTimeToTimeStamp(noon);
    EXPECT_EQ(ts.Date, 693594);
    EXPECT_EQ(ts.Time, 43200000);
    EXPECT_EQ(TimeStampToDateTime(ts), noon);

    ts = DateTimeToTimeStamp(-1.25);
    EXPECT_EQ(ts.Date, 693593);
    EXPECT_EQ(ts.Time, 6 * 3600000);
    EXPECT_EQ(TimeStampToDateTime(ts), -1.25);

    ts = DateTimeToTimeStamp(EncodeDate(1, 1, 1));
    EXPECT_EQ(ts.Date, 1);

    const std::int64_t ms = TimeStampToMSecs({1234, 693594});
    EXPECT_EQ(ms, 693594LL * 86400000 + 1234);
    const TPlatformTimeStamp back = MSecsToTimeStamp(ms);
    EXPECT_EQ(back.Date, 693594);
    EXPECT_EQ(back.Time, 1234);
}

TEST(DateTime, FormatDateTimePatterns)
{
    const TDateTime t = EncodeDate(2026, 3, 7) + EncodeTime(9, 5, 4, 32);
    struct Case
    {
        const char* pattern;
        const char* text;
    };
    const Case cases[] = {
        {"yyyymmdd", "20260307"},
        {"yyyy年M月d日", "2026年3月7日"},
        {"YYYY-MM-DD", "2026-03-07"},
        {"yy/m/d", "26/3/7"},
        {"y", "26"},
        {"hh:nn:ss.zzz", "09:05:04.032"},
        {"h:n:s z", "9:5:4 32"},
        {"hh:mm", "09:05"}, // m after h is the minute
        {"h时m分", "9时5分"},
        {"hh yyyy mm", "09 2026 03"}, // ... only right after h
        {"mm hh", "03 09"},
        {"dddd", "07"},
        {"'yyyy' \"mm\" x", "yyyy mm x"},
        {"号码: yyyy", "号码: 2026"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.pattern, t), c.text) << c.pattern;

    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 999)),
              "1999-12-31 23:59:59");
}
