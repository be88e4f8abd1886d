#include "platform/core/Variant.h"
#include "platform/core/DateTime.h"

#include <gtest/gtest.h>

TEST(Variant, ConvertsBetweenKindsAsTheClassLibraryDoes)
{
    struct Case
    {
        const char* what;
        Variant value;
        std::string text;
        double number;
    };
    const Case cases[] = {
        {"empty is zero and empty text", Variant(), "", 0},
        {"true is -1", Variant(true), "True", -1},
        {"int", Variant(std::int32_t{42}), "42", 42},
        {"int64", Variant(std::int64_t{1} << 40), "1099511627776", 1099511627776.0},
        {"double", Variant(2.5), "2.5", 2.5},
        {"currency keeps four decimals", Variant::Currency(1.23456), "1.2346", 1.2346},
        {"numeric text", Variant(" 12.5 "), " 12.5 ", 12.5},
        {"date", Variant::Date(EncodeDate(2024, 3, 1) + EncodeTime(13, 5, 7, 0)), "2024-03-01 13:05:07",
         EncodeDate(2024, 3, 1) + EncodeTime(13, 5, 7, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.AsString(), c.text);
        EXPECT_DOUBLE_EQ(c.value.AsFloat(), c.number);
    }
}

TEST(Variant, NullIsEmptyTextButNoNumberAndBadTextRaises)
{
    EXPECT_EQ(Variant::Null().AsString(), "");
    EXPECT_THROW(Variant::Null().AsInteger(), EVariantError);
    EXPECT_THROW(Variant("abc").AsInteger(), EConvertError);
    EXPECT_THROW(Variant("2024-02-30").AsDateTime(), EVariantError);
    EXPECT_THROW(Variant(3e10).AsInteger(), EVariantError);
    EXPECT_THROW(Variant::Array({}).AsString(), EVariantError) << "arrays have no text";
}

TEST(Variant, RoundsHalfToEvenAndReadsBooleansAndDatesFromText)
{
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant("1.5").AsInteger(), 2);
    EXPECT_TRUE(Variant("TRUE").AsBoolean());
    EXPECT_FALSE(Variant("false").AsBoolean());
    EXPECT_TRUE(Variant("7").AsBoolean());
    EXPECT_DOUBLE_EQ(Variant("2024-03-01").AsDateTime(), EncodeDate(2024, 3, 1));
    EXPECT_DOUBLE_EQ(Variant("13:05").AsDateTime(), EncodeTime(13, 5, 0, 0));
    EXPECT_EQ(Variant::Date(EncodeTime(1, 2, 3, 4)).AsString(), "01:02:03.004");
}

TEST(Variant, ArraysAndEquality)
{
    Variant a = Variant::Array({Variant(1), Variant("x"), Variant::Null()});
    ASSERT_EQ(a.ArrayCount(), 3);
    EXPECT_EQ(a[1].AsString(), "x");
    EXPECT_TRUE(a[2].IsNull());
    EXPECT_THROW(a[3], EVariantError);
    EXPECT_TRUE(Variant(1) == Variant(1.0)) << "numbers compare by value";
    EXPECT_TRUE(Variant::Null() == Variant::Null());
    EXPECT_FALSE(Variant::Null() == Variant());
    EXPECT_FALSE(Variant("1") == Variant(1));
    EXPECT_EQ(Variant::Bytes({1, 0, 2}).AsString(), std::string("\x01\x00\x02", 3));
}
