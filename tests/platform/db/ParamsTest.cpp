#include "platform/db/Params.h"
#include "fakes/MemDataSet.h"
#include "platform/core/DateTime.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::uint8_t> NativeOf(const TParam& p)
{
    std::vector<std::uint8_t> data(p.GetDataSize() + 8, 0xAA);
    p.GetData(data.data());
    data.resize(p.GetDataSize());
    return data;
}

template <typename T> std::vector<std::uint8_t> Bytes(T v)
{
    std::vector<std::uint8_t> b(sizeof v);
    std::memcpy(b.data(), &v, sizeof v);
    return b;
}

} // namespace

TEST(Params, NativeDataOfEveryFieldTypeAndBack)
{
    const double day = EncodeDate(2024, 3, 1);
    const double moment = day + EncodeTime(13, 5, 7, 250);
    struct Case
    {
        const char* what;
        TFieldType type;
        Variant value;
        std::vector<std::uint8_t> native;
    };
    const Case cases[] = {
        {"string with zero byte", ftString, Variant("ab"), {'a', 'b', 0}},
        {"memo with zero byte", ftMemo, Variant("xyz"), {'x', 'y', 'z', 0}},
        {"empty string is one zero byte", ftString, Variant(""), {0}},
        {"smallint", ftSmallint, Variant(-2), Bytes<std::int16_t>(-2)},
        {"word", ftWord, Variant(65535), Bytes<std::uint16_t>(65535)},
        {"integer", ftInteger, Variant(123456), Bytes<std::int32_t>(123456)},
        {"autoinc", ftAutoInc, Variant(7), Bytes<std::int32_t>(7)},
        {"boolean true is one byte 1", ftBoolean, Variant(true), {1}},
        {"boolean false is one byte 0", ftBoolean, Variant(false), {0}},
        {"float", ftFloat, Variant(1.5), Bytes<double>(1.5)},
        {"currency", ftCurrency, Variant::Currency(2.25), Bytes<double>(2.25)},
        {"date: day number", ftDate, Variant::Date(day), Bytes<std::int32_t>(DateTimeToTimeStamp(day).Date)},
        {"time: milliseconds", ftTime, Variant::Date(EncodeTime(13, 5, 7, 250)),
         Bytes<std::int32_t>(((13 * 60 + 5) * 60 + 7) * 1000 + 250)},
        {"date-time: time-stamp milliseconds", ftDateTime, Variant::Date(moment),
         Bytes<double>(static_cast<double>(TimeStampToMSecs(DateTimeToTimeStamp(moment))))},
        {"bytes: their length", ftBytes, Variant::Bytes({1, 0, 2}), {1, 0, 2}},
        {"blob: its length", ftBlob, Variant::Bytes({9, 8}), {9, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TParam p("p", c.type, ptInput);
        p.SetValue(c.value);
        EXPECT_EQ(p.GetDataSize(), c.native.size());
        EXPECT_EQ(NativeOf(p), c.native);

        TParam back("q", c.type, ptOutput);
        back.SetData(c.native.data(), c.native.size());
        EXPECT_TRUE(back.Value() == c.value || back.Value().AsString() == c.value.AsString())
            << back.Value().AsString() << " vs " << c.value.AsString();
        EXPECT_TRUE(back.Bound());
    }
}

TEST(Params, NullParameterWritesZerosAndTextStopsAtTheZeroByte)
{
    TParam p("p", ftInteger, ptInput);
    p.SetAsInteger(5);
    p.Clear();
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.DataType(), ftInteger) << "clearing keeps the type";
    EXPECT_EQ(NativeOf(p), Bytes<std::int32_t>(0));

    TParam s("s", ftString, ptOutput);
    const char buffer[] = {'a', 'b', 0, 'c'};
    s.SetData(buffer, sizeof buffer);
    EXPECT_EQ(s.AsString(), "ab");
    TParam b("b", ftBytes, ptOutput);
    EXPECT_THROW(b.SetData(buffer), EDatabaseError) << "bytes need their size";
}

TEST(Params, TypedSettersSetTheTypeAndUnknownTakesTheValuesType)
{
    TParam p;
    p.SetAsSmallInt(3);
    EXPECT_EQ(p.DataType(), ftSmallint);
    p.SetAsDate(EncodeDate(2000, 1, 1));
    EXPECT_EQ(p.DataType(), ftDate);
    TParam u;
    u.SetValue(Variant("x"));
    EXPECT_EQ(u.DataType(), ftString);
    EXPECT_TRUE(u.Bound());
    TParam e;
    e.SetValue(Variant());
    EXPECT_FALSE(e.Bound()) << "an Empty value does not bind";
}

TEST(Params, CollectionFindsByNameWithoutCaseAndCopies)
{
    TParams params;
    params.CreateParam(ftInteger, "Id", ptInput)->SetValue(Variant(1));
    params.CreateParam(ftString, "Name", ptInput)->SetValue(Variant("a"));
    EXPECT_EQ(params.Count(), 2);
    EXPECT_EQ(params.ParamByName("ID")->AsInteger(), 1);
    EXPECT_EQ(params.FindParam("nope"), nullptr);
    try {
        params.ParamByName("nope");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Parameter 'nope' not found");
    }
    EXPECT_THROW(params.Items(2), EListError);

    TParams other;
    other.CreateParam(ftString, "name", ptInput)->SetValue(Variant("b"));
    other.CreateParam(ftString, "extra", ptInput)->SetValue(Variant("c"));
    params.AssignValues(other);
    EXPECT_EQ(params.Count(), 2) << "only parameters of the same name take values";
    EXPECT_EQ(params.ParamByName("Name")->AsString(), "b");

    TParams copy;
    copy.Assign(params);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Items(1)->AsString(), "b");
    params.RemoveParam(params.Items(0));
    EXPECT_EQ(params.Count(), 1);
    EXPECT_EQ(copy.Count(), 2) << "a copy is independent";
}

TEST(Params, AssignFieldTakesNameTypeValueAndBinds)
{
    MemDataSet ds;
    ds.AddColumn("id", ftSmallint);
    ds.AddColumn("note", ftString, 5);
    ds.AddRow({Variant(7), Variant::Null()});
    ds.Open();
    TParam p("x", ftString, ptInput);
    p.SetBound(false);
    p.AssignField(*ds.FieldByName("id"));
    EXPECT_EQ(p.Name(), "id");
    EXPECT_EQ(p.DataType(), ftSmallint);
    EXPECT_EQ(p.AsInteger(), 7);
    EXPECT_TRUE(p.Bound());
    TParam n("n", ftInteger, ptInput);
    n.SetAsInteger(1);
    n.AssignField(*ds.FieldByName("note"));
    EXPECT_TRUE(n.IsNull()) << "a null field clears the parameter";
    EXPECT_EQ(n.DataType(), ftString);
}

TEST(Params, CollectionGoesIntoAFormResourceAndComesBackWithNamesTypesDirectionsAndValues)
{
    const double moment = EncodeDate(2024, 3, 1) + EncodeTime(13, 5, 7, 250);
    TParams out;
    out.CreateParam(ftString, "name", ptInput)->SetValue(Variant("张三"));
    out.CreateParam(ftSmallint, "small", ptInput)->SetValue(Variant(-7));
    out.CreateParam(ftInteger, "lo", ptInputOutput)->SetValue(Variant(100000));
    out.CreateParam(ftLargeint, "big", ptOutput)->SetValue(Variant(std::int64_t{1} << 40));
    out.CreateParam(ftBoolean, "flag", ptInput)->SetValue(Variant(true));
    out.CreateParam(ftFloat, "ratio", ptInput)->SetValue(Variant(0.1));
    out.CreateParam(ftCurrency, "price", ptInput)->SetValue(Variant::Currency(12.3456));
    out.CreateParam(ftDate, "day", ptInput)->SetValue(Variant::Date(EncodeDate(2024, 3, 1)));
    out.CreateParam(ftTime, "at", ptInput)->SetValue(Variant::Date(EncodeTime(13, 5, 7, 250)));
    out.CreateParam(ftDateTime, "when", ptResult)->SetValue(Variant::Date(moment));
    out.CreateParam(ftBlob, "photo", ptInput)->SetValue(Variant::Bytes({0, 1, 0xFF, 0}));
    out.CreateParam(ftMemo, "note", ptInput)->SetValue(Variant("two\r\nlines"));
    out.CreateParam(ftBCD, "amount", ptInput)->SetValue(Variant("12.50"));
    // Null but bound (cleared after a value), and a value a master gave without binding it.
    out.CreateParam(ftInteger, "cleared", ptInput)->SetValue(Variant(1));
    out.ParamByName("cleared")->Clear();
    out.CreateParam(ftString, "fromMaster", ptInput)->SetValue(Variant("m"));
    out.ParamByName("fromMaster")->SetBound(false);
    out.CreateParam(ftUnknown, "untouched", ptUnknown);

    TMemoryStream stream;
    {
        TWriter writer(stream);
        out.WriteCollection(writer);
    }
    stream.SetPosition(0);
    TParams in;
    in.CreateParam(ftString, "stale", ptInput);
    TReader reader(stream);
    in.ReadCollection(reader);
    EXPECT_EQ(stream.Position(), stream.Size());

    ASSERT_EQ(in.Count(), out.Count()) << "the parameters read replace those there were";
    for (int i = 0; i < out.Count(); ++i) {
        const TParam& o = *out.Items(i);
        const TParam& p = *in.Items(i);
        SCOPED_TRACE(o.Name());
        EXPECT_EQ(p.Name(), o.Name());
        EXPECT_EQ(p.DataType(), o.DataType());
        EXPECT_EQ(p.ParamType(), o.ParamType());
        EXPECT_EQ(p.IsNull(), o.IsNull());
        EXPECT_EQ(p.Bound(), o.Bound());
        EXPECT_EQ(NativeOf(p), NativeOf(o)) << "the value as it is bound";
    }
    EXPECT_EQ(in.ParamByName("photo")->Value().AsBytes(), (std::vector<std::uint8_t>{0, 1, 0xFF, 0}));
    EXPECT_EQ(in.ParamByName("amount")->AsString(), "12.50");
}

TEST(Params, AnEmptyCollectionReadsAsNoParametersAndAValueOfTheWrongKindIsRefused)
{
    TMemoryStream stream;
    {
        TWriter writer(stream);
        TParams().WriteCollection(writer);
    }
    stream.SetPosition(0);
    TParams in;
    in.CreateParam(ftString, "stale", ptInput);
    {
        TReader reader(stream);
        in.ReadCollection(reader);
    }
    EXPECT_EQ(in.Count(), 0);

    // An item whose value is a list: no parameter holds one.
    class Item : public TPersistent
    {
    public:
        void DefineProperties(TFiler& filer) override
        {
            filer.DefineProperty(
                "Name", {}, [](TWriter& w) { w.WriteString("x"); }, true);
            filer.DefineProperty(
                "DataType", {}, [](TWriter& w) { w.WriteInteger(ftInteger); }, true);
            filer.DefineProperty(
                "Value", {},
                [](TWriter& w) {
                    w.WriteListBegin();
                    w.WriteListEnd();
                },
                true);
        }
    } item;
    TMemoryStream bad;
    {
        TWriter w(bad);
        w.WriteCollection({&item});
    }
    bad.SetPosition(0);
    TReader reader(bad);
    try {
        in.ReadCollection(reader);
        FAIL() << "a list was taken for a value";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Error reading Value: Invalid property value");
    }
}
