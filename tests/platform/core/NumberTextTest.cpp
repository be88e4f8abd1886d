#include "platform/core/NumberText.h"
#include "platform/core/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

TEST(NumberText, StrToIntFollowsThePlatformRules)
{
    struct Case
    {
        const char* text;
        std::optional<int> value; // nullopt: not a valid integer
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"+7", 7},
        {"-7", -7},
        {"007", 7},
        {"  12", 12},          // blanks in front are skipped
        {"12 ", std::nullopt}, // but nothing may follow the digits
        {"1 2", std::nullopt},
        {"\t12", std::nullopt}, // only the blank itself is skipped
        {"", std::nullopt},
        {" ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"1.0", std::nullopt},
        {"1e3", std::nullopt},
        {"abc", std::nullopt},
        {"2147483647", 2147483647},
        {"2147483648", std::nullopt},
        {"-2147483648", std::numeric_limits<int>::min()},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$1F", 31},
        {"$ff", 255},
        {"0x10", 16},
        {"0X10", 16},
        {"-$10", -16},
        {"$7FFFFFFF", 2147483647},
        {"$FFFFFFFF", -1}, // hex may use the sign bit
        {"$100000000", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"$G", std::nullopt},
        {"12abc", std::nullopt},
        {"１２", std::nullopt}, // full-width digits are not digits
    };
    for (const auto& c : cases) {
        int v = -12345;
        const bool ok = TryStrToInt(c.text, v);
        EXPECT_EQ(ok, c.value.has_value()) << '"' << c.text << '"';
        if (c.value) {
            EXPECT_EQ(v, *c.value) << '"' << c.text << '"';
            EXPECT_EQ(StrToInt(c.text), *c.value);
        } else {
            EXPECT_EQ(v, -12345) << "a failed parse changed the value for \"" << c.text << '"';
            EXPECT_EQ(StrToIntDef(c.text, 99), 99);
        }
    }
}

TEST(NumberText, InvalidIntegerMessageQuotesTheText)
{
    try {
        StrToInt("12 ");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12 ' is not a valid integer value");
    }
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
}

TEST(NumberText, Int64RangeAndText)
{
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
    EXPECT_EQ(StrToInt64Def("x", 5), 5);
    EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToStr(std::int64_t(1) << 40), "1099511627776");
}

TEST(NumberText, FloatTextRoundTripsWithAPoint)
{
    struct Case
    {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {1.5, "1.5"},
        {-2.25, "-2.25"},
        {0.1, "0.1"},
        {1e20, "1E20"},
        {1.5e-7, "1.5E-7"},
        {100.0, "100"},
        {123456789.125, "123456789.125"},
        {1.0 / 3, "0.3333333333333333"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FloatToStr(c.value), c.text);
        EXPECT_EQ(StrToFloat(c.text), c.value) << c.text;
    }
    EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
    EXPECT_EQ(FloatToStr(-HUGE_VAL), "-INF");

    EXPECT_EQ(StrToFloat(" +3.5 "), 3.5);
    EXPECT_EQ(StrToFloat(".5"), 0.5);
    EXPECT_EQ(StrToFloat("-1e3"), -1000.0);
    for (const char* bad : {"", "abc", "1,5", "inf", "nan", "1.2.3", "--1", "+-1", "0x10"}) {
        double v = 0;
        EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    }
    try {
        StrToFloat("1,5");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'1,5' is not a valid floating point value");
    }
}
