// A query with parameters in a form resource: its parameters travel with it (names, types,
// directions, values), a query stored open opens again with them, and once loading has ended the
// parameter list follows the statement text that was read.
#include "DataSetFixture.h"

#include "odbc/datasets/OEQuery.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/support/RawProperties.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

#include <cstdint>
#include <vector>

namespace {

std::vector<std::uint8_t> BytesOf(TMemoryStream& stream)
{
    return std::vector<std::uint8_t>(stream.Memory(), stream.Memory() + stream.Size());
}

class QueryStreaming : public DataSetTest
{
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ZIRA_REQUIRE(Writable(), "the query reads a table of its own");
        c.SetName("Hdbc1");
        table = People(4);
    }
    // A form to read into: a connection of another name first, then one of the name written, on
    // this test's database.
    std::unique_ptr<Form> SecondForm()
    {
        auto other = std::make_unique<Form>();
        (new THdbc(other.get()))->SetName("Other");
        auto* same = new THdbc(other.get());
        same->SetName("Hdbc1");
        same->SetDriver(c.Driver());
        same->SetAttributes(c.Attributes());
        return other;
    }
    TOEQuery* ReadInto(Form& into, TMemoryStream& s)
    {
        s.SetPosition(0);
        auto* in = new TOEQuery(&into);
        TReader(s).ReadComponent(*in);
        EXPECT_EQ(s.Position(), s.Size());
        return in;
    }
    std::string table;
};

TEST_P(QueryStreaming, AParameterTravelsWithTheQueryStoredClosedAndStoredOpen)
{
    for (const bool open : {false, true}) {
        SCOPED_TRACE(open ? "stored open" : "stored closed");
        auto* out = new TOEQuery(form.get());
        out->SetHdbc(&c);
        out->SQL().Add("SELECT id FROM " + table);
        out->SQL().Add("WHERE id >= :lo ORDER BY id");
        out->ParamByName("lo")->SetAsInteger(3);
        if (open)
            out->Open();
        TMemoryStream s;
        TWriter(s).WriteComponent(*out);

        auto other = SecondForm();
        TOEQuery* in = ReadInto(*other, s);
        EXPECT_EQ(in->Active(), open);
        ASSERT_EQ(in->ParamCount(), 1);
        const TParam& lo = *in->ParamByName("lo");
        EXPECT_EQ(lo.DataType(), ftInteger);
        EXPECT_EQ(lo.ParamType(), ptInput);
        EXPECT_EQ(lo.AsInteger(), 3);
        EXPECT_TRUE(lo.Bound());
        in->Open();
        EXPECT_EQ(IdsToEof(*in), (std::vector<int>{3, 4}));

        // Bound afresh after loading: a new value is what the next open sends.
        in->Close();
        in->ParamByName("lo")->SetAsInteger(2);
        in->Open();
        EXPECT_EQ(IdsToEof(*in), (std::vector<int>{2, 3, 4}));
        delete out;
    }
}

TEST_P(QueryStreaming, OnceLoadedTheParametersAreThoseOfTheTextReadAndKeepTheirValues)
{
    // A resource as earlier versions wrote it, stored open: its parameters name one marker the
    // text has (lo) and one it no longer has (gone); the text has a marker with no parameter (hi).
    RawProperties raw;
    raw.properties = {
        {"Name", [](TWriter& w) { w.WriteString("Query1"); }},
        {"hDbc", [](TWriter& w) { w.WriteString("Hdbc1"); }},
        {"SQL",
         [this](TWriter& w) {
             w.WriteListBegin();
             w.WriteString("SELECT id FROM " + table);
             w.WriteString("WHERE id >= :lo AND id <= :hi ORDER BY id");
             w.WriteListEnd();
         }},
        {"Params",
         [](TWriter& w) {
             w.WriteListBegin();
             w.WriteString("OE5.02");
             w.WriteListBegin();
             for (const auto& [name, value] : {std::pair{"lo", 2}, std::pair{"gone", 5}}) {
                 w.WriteString(name);
                 w.WriteInteger(ptInput);
                 w.WriteInteger(ftInteger);
                 w.WriteInteger(value);
                 w.WriteBoolean(true);
                 w.WriteBoolean(false);
                 w.WriteInteger(0);
             }
             w.WriteListEnd();
             w.WriteListEnd();
         }},
        {"Active", [](TWriter& w) { w.WriteBoolean(true); }},
    };
    TMemoryStream s;
    TWriter(s).WriteProperties(raw);

    auto other = SecondForm();
    TOEQuery* in = ReadInto(*other, s);
    ASSERT_TRUE(in->Active());
    EXPECT_TRUE(in->Eof()) << "hi is null, so no row is at most hi";
    EXPECT_EQ(in->GetParamNames().Lines(), (std::vector<std::string>{"lo", "hi"}));
    EXPECT_EQ(in->ParamByName("lo")->AsInteger(), 2) << "a parameter the text names keeps its value";
    EXPECT_TRUE(in->ParamByName("hi")->IsNull());

    in->Close();
    in->ParamByName("hi")->SetAsInteger(3);
    in->Open();
    EXPECT_EQ(IdsToEof(*in), (std::vector<int>{2, 3}));
}

ZIRA_ON_EACH_DATABASE(QueryStreaming);

// The resource of a closed query on a form, byte by byte: its name, its connection's name, the
// write-back target, the text, and the parameter collection.
TEST(QueryResource, AQueryWithAParameterIsStoredAsTheseBytes)
{
    Form form;
    auto* query = new TOEQuery(&form);
    query->SetName("Query1");
    query->SQL().Add("SELECT id FROM t WHERE id >= :lo");
    query->ParamByName("lo")->SetAsInteger(3);
    (new THdbc(&form))->SetName("Hdbc1"); // the query takes the connection placed after it

    // clang-format off
    const std::vector<std::uint8_t> expected = {
        4, 0, 0, 0, 'N', 'a', 'm', 'e',
            6, 6, 0, 0, 0, 'Q', 'u', 'e', 'r', 'y', '1',
        4, 0, 0, 0, 'h', 'D', 'b', 'c',
            6, 5, 0, 0, 0, 'H', 'd', 'b', 'c', '1',
        19, 0, 0, 0, 'h', 'S', 't', 'm', 't', '.', 'T', 'a', 'r', 'g', 'e', 't', '.',
                     'T', 'a', 'r', 'g', 'e', 't',
            1,  6, 6, 0, 0, 0, 'O', 'E', '5', '.', '0', '2',  6, 0, 0, 0, 0,  6, 0, 0, 0, 0,
                6, 0, 0, 0, 0,  0,
        3, 0, 0, 0, 'S', 'Q', 'L',
            1,  6, 32, 0, 0, 0, 'S', 'E', 'L', 'E', 'C', 'T', ' ', 'i', 'd', ' ', 'F', 'R', 'O', 'M',
                ' ', 't', ' ', 'W', 'H', 'E', 'R', 'E', ' ', 'i', 'd', ' ', '>', '=', ' ', ':', 'l', 'o',
                0,
        6, 0, 0, 0, 'P', 'a', 'r', 'a', 'm', 's',
            14,  1,
                4, 0, 0, 0, 'N', 'a', 'm', 'e',  6, 2, 0, 0, 0, 'l', 'o',
                8, 0, 0, 0, 'D', 'a', 't', 'a', 'T', 'y', 'p', 'e',  2, ftInteger,
                9, 0, 0, 0, 'P', 'a', 'r', 'a', 'm', 'T', 'y', 'p', 'e',  2, ptInput,
                5, 0, 0, 0, 'V', 'a', 'l', 'u', 'e',  2, 3,
                5, 0, 0, 0, 'B', 'o', 'u', 'n', 'd',  9,
            0,  0,
        0,
    };
    // clang-format on
    TMemoryStream s;
    TWriter(s).WriteComponent(*query);
    EXPECT_EQ(BytesOf(s), expected);

    Form other;
    (new THdbc(&other))->SetName("Hdbc1");
    auto* in = new TOEQuery(&other);
    s.SetPosition(0);
    TReader(s).ReadComponent(*in);
    EXPECT_EQ(in->ParamByName("lo")->AsInteger(), 3);
    TMemoryStream again;
    TWriter(again).WriteComponent(*in);
    EXPECT_EQ(BytesOf(again), expected) << "what is read is written again as it was";
}

} // namespace
