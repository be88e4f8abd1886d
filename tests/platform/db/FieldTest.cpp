#include "DataSetTestSupport.h"
#include "platform/core/DateTime.h"
#include "platform/core/MemoryStream.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/NativeData.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Field, NativeDataSizesMatchTheRecordSlots)
{
    struct Case
    {
        TFieldType type;
        int size;
        int dataSize;
    };
    const Case cases[] = {{ftString, 10, 11}, {ftSmallint, 0, 2}, {ftWord, 0, 2},     {ftBoolean, 0, 2},
                          {ftInteger, 0, 4},  {ftAutoInc, 0, 4},  {ftFloat, 0, 8},    {ftCurrency, 0, 8},
                          {ftDate, 0, 4},     {ftTime, 0, 4},     {ftDateTime, 0, 8}, {ftBytes, 6, 6},
                          {ftBlob, 0, 0},     {ftMemo, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(FieldTypeName(c.type));
        EXPECT_EQ(TField("f", c.type, c.size).DataSize(), c.dataSize);
    }
    EXPECT_EQ(ftMemo, 16);
    EXPECT_EQ(ftBlob, 15);
}

class FieldValues : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.AddColumn("s", ftString, 4);
        ds.AddColumn("i", ftSmallint);
        ds.AddColumn("b", ftBoolean);
        ds.AddColumn("f", ftFloat);
        ds.AddColumn("d", ftDate);
        ds.AddColumn("t", ftTime);
        ds.AddColumn("dt", ftDateTime);
        ds.AddColumn("m", ftMemo);
        ds.AddColumn("y", ftBytes, 3);
        ds.AddRow({});
        ds.Open();
        ds.Edit();
    }
    TField& F(const char* name) { return *ds.FieldByName(name); }
    MemDataSet ds;
};

TEST_F(FieldValues, NullFieldsReadAsDefaults)
{
    for (int i = 0; i < ds.FieldCount(); ++i) {
        TField& f = *ds.Fields(i);
        SCOPED_TRACE(f.FieldName());
        EXPECT_TRUE(f.IsNull());
        EXPECT_EQ(f.AsString(), "");
        EXPECT_TRUE(f.AsVariant().IsNull());
    }
    EXPECT_EQ(F("i").AsInteger(), 0);
    EXPECT_FALSE(F("b").AsBoolean());
    EXPECT_EQ(F("dt").AsDateTime(), 0.0);
}

TEST_F(FieldValues, ValuesRoundTripThroughTheirNativeForms)
{
    const double moment = EncodeDate(2023, 12, 31) + EncodeTime(23, 59, 58, 7);
    F("s").SetAsString("abcdef");
    EXPECT_EQ(F("s").AsString(), "abcd") << "text is cut to the field's size";
    F("s").SetAsString("a\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(F("s").AsString(), "a\xE4\xB8\xAD") << "never inside a character";
    F("i").SetAsString("-12");
    EXPECT_EQ(F("i").AsInteger(), -12);
    F("b").SetAsBoolean(true);
    EXPECT_EQ(F("b").AsString(), "True");
    std::int16_t word = 0;
    ASSERT_TRUE(F("b").GetData(&word));
    EXPECT_EQ(word, 1) << "booleans are stored as 1, not -1";
    F("f").SetAsFloat(0.1);
    EXPECT_EQ(F("f").AsString(), "0.1");
    F("d").SetAsDateTime(moment);
    EXPECT_EQ(F("d").AsDateTime(), EncodeDate(2023, 12, 31)) << "a date field keeps the day";
    std::int32_t dayNumber = 0;
    F("d").GetData(&dayNumber);
    EXPECT_EQ(dayNumber, DateTimeToTimeStamp(moment).Date);
    F("t").SetAsDateTime(moment);
    EXPECT_EQ(F("t").AsString(), "23:59:58.007");
    F("dt").SetAsDateTime(moment);
    EXPECT_EQ(F("dt").AsString(), "2023-12-31 23:59:58.007");
    F("m").SetAsString("long text");
    EXPECT_EQ(F("m").AsString(), "long text");
    F("y").SetAsVariant(Variant::Bytes({1, 2, 3, 4}));
    EXPECT_EQ(F("y").AsVariant().AsBytes(), (std::vector<std::uint8_t>{1, 2, 3}));
    ds.Post();
    EXPECT_EQ(ds.Cell(0, 7).AsString(), "long text") << "the memo reached the row";
    EXPECT_EQ(ds.Cell(0, 6).AsString(), "2023-12-31 23:59:58.007");
}

// AsInteger, AsFloat and AsString take some native forms straight from the record: they must give
// what the variant of the same value gives, at the edges of each form too, and the defaults for null.
TEST(FieldReads, TypedReadsAgreeWithTheVariant)
{
    MemDataSet ds;
    ds.AddColumn("sm", ftSmallint);
    ds.AddColumn("w", ftWord);
    ds.AddColumn("i", ftInteger);
    ds.AddColumn("a", ftAutoInc);
    ds.AddColumn("f", ftFloat);
    ds.AddColumn("c", ftCurrency);
    ds.AddColumn("s", ftString, 6);
    ds.AddRow({Variant(-32768), Variant(65535), Variant(-2147483647 - 1), Variant(2147483647), Variant(-0.1),
               Variant::Currency(1.23456), Variant("ab")});
    ds.AddRow({Variant(32767), Variant(0), Variant(7), Variant(-3), Variant(1e300), Variant::Currency(-2.5),
               Variant("\xE4\xB8\xAD\xE6\x96\x87")});
    ds.AddRow({});
    ds.Open();
    for (int row = 0; row < 3; ++row, ds.Next()) {
        for (int i = 0; i < ds.FieldCount(); ++i) {
            const TField& f = *ds.Fields(i);
            SCOPED_TRACE(f.FieldName() + " row " + std::to_string(row));
            const Variant v = f.AsVariant();
            EXPECT_EQ(f.AsString(), v.AsString());
            if (f.DataType() == ftString)
                continue;
            EXPECT_EQ(f.AsFloat(), v.IsNull() ? 0.0 : v.AsFloat());
            if (f.DataType() != ftFloat && f.DataType() != ftCurrency) {
                EXPECT_EQ(f.AsInteger(), v.IsNull() ? 0 : v.AsInteger());
            }
        }
    }
    ds.First();
    EXPECT_EQ(ds.FieldByName("w")->AsInteger(), 65535) << "a word is unsigned";
    EXPECT_EQ(ds.FieldByName("sm")->AsInteger(), -32768);
}

TEST_F(FieldValues, BadTextRangeAndEmptyText)
{
    EXPECT_THROW(F("i").SetAsString("x1"), EConvertError);
    EXPECT_THROW(F("i").SetAsInteger(40000), EDatabaseError) << "out of the Smallint range";
    EXPECT_THROW(F("d").SetAsString("2024-13-01"), EConvertError);
    F("i").SetAsInteger(3);
    F("i").SetAsString("");
    EXPECT_TRUE(F("i").IsNull()) << "empty text clears a number";
    F("s").SetAsString("");
    EXPECT_FALSE(F("s").IsNull()) << "but is a value for text";
}

TEST_F(FieldValues, EmptyBlobIsAValueAndClearingMakesItNull)
{
    F("m").SetAsString("");
    EXPECT_FALSE(F("m").IsNull());
    F("m").Clear();
    EXPECT_TRUE(F("m").IsNull());
    TMemoryStream in;
    in.Write("abc", 3);
    F("m").LoadFromStream(in);
    TMemoryStream out;
    F("m").SaveToStream(out);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), 3), "abc");
}

TEST(FieldWrites, OnlyInAWriteStateAndNotReadOnly)
{
    MemDataSet ds;
    FillPeople(ds, 1);
    ds.Open();
    try {
        ds.FieldByName("id")->SetAsInteger(2);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
    ds.FieldByName("id")->SetReadOnly(true);
    ds.Edit();
    EXPECT_THROW(ds.FieldByName("id")->SetAsInteger(2), EDatabaseError);
    ds.FieldByName("name")->SetAsString("ok");
    EXPECT_TRUE(ds.Modified());
    ds.Post();
    EXPECT_EQ(ds.Cell(0, 0).AsInteger(), 1);
    EXPECT_EQ(ds.Cell(0, 1).AsString(), "ok");

    MemDataSet ro;
    FillPeople(ro, 1);
    ro.SetReadOnly(true);
    ro.Open();
    EXPECT_THROW(ro.Edit(), EDatabaseError);
    EXPECT_FALSE(ro.FieldByName("id")->CanModify());
}

TEST(FieldWrites, OnValidateSeesTheNewValueAndCanRefuseIt)
{
    MemDataSet ds;
    FillPeople(ds, 1);
    ds.Open();
    std::vector<std::string> seen;
    ds.FieldByName("name")->SetOnValidate([&](TField* f) {
        seen.push_back(f->AsString());
        if (f->AsString() == "bad")
            throw EDatabaseError("refused");
    });
    std::vector<std::string> changes;
    ds.FieldByName("name")->SetOnChange([&](TField* f) { changes.push_back(f->AsString()); });
    ds.Edit();
    ds.FieldByName("name")->SetAsString("good");
    EXPECT_THROW(ds.FieldByName("name")->SetAsString("bad"), EDatabaseError);
    EXPECT_EQ(ds.FieldByName("name")->AsString(), "good") << "a refused value is not stored";
    EXPECT_EQ(seen, (std::vector<std::string>{"good", "bad"}));
    EXPECT_EQ(changes, (std::vector<std::string>{"good"}));
}

TEST(FieldBinding, CreateFieldsSkipsUnknownAndBindingChecksTypes)
{
    MemDataSet ds;
    ds.AddColumn("a", ftInteger);
    ds.AddColumn("w", ftUnknown);
    ds.AddColumn("b", ftString, 3);
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 2);
    EXPECT_EQ(ds.Fields(1)->FieldName(), "b");
    EXPECT_EQ(ds.Fields(1)->FieldNo(), 3) << "the column number, not the field index";
    EXPECT_TRUE(ds.DefaultFields());
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 0) << "default fields go with the cursor";

    MemDataSet typed;
    typed.AddColumn("a", ftInteger);
    typed.AddField(std::make_unique<TField>("a", ftString, 5));
    try {
        typed.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Type mismatch for field 'a', expecting: String actual: Integer");
    }
    EXPECT_FALSE(typed.Active());
    EXPECT_EQ(typed.LiveBuffers(), 0) << "a failed open gives every buffer back";

    MemDataSet missing;
    missing.AddColumn("a", ftInteger);
    missing.AddField(std::make_unique<TField>("zz", ftInteger));
    EXPECT_THROW(missing.Open(), EDatabaseError);
}
