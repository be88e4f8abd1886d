// A TOEDataSet in a form resource: its properties, its statement options and its write-back target
// round-trip; it finds its connection by name and opens once loading has ended. The target is pushed
// into the statement by name.
#include "DataSetFixture.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/RawProperties.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

class DataSetStreaming : public DataSetTest
{
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "streaming does not depend on the database");
        c.SetName("Hdbc_Access");
        table = People(4);
    }
    // A second form like the first: a connection of another name first, then one of the same name
    // on the same database.
    std::unique_ptr<Form> SecondForm()
    {
        auto other = std::make_unique<Form>();
        (new THdbc(other.get()))->SetName("Other");
        auto* same = new THdbc(other.get());
        same->SetName("Hdbc_Access");
        same->SetDriver(c.Driver());
        same->SetAttributes(c.Attributes());
        return other;
    }
    std::string table;
};

TEST_P(DataSetStreaming, PropertiesOptionsAndTargetRoundTripAndTheDataSetOpensAfterLoading)
{
    TOEDataSet* out = NewDataSet("SELECT id, name, amount FROM " + table + " ORDER BY id");
    out->SetName("Table1");
    out->hStmt().SetCursorType(3);
    out->hStmt().SetBlobSize(65536);
    out->hStmt().SetStringTrimming(stTrimBoth);
    out->hStmt().SetRowCountMethod(rcCustom);
    out->hStmt().SetBlobDeferral(true);
    out->hStmt().Target().SetTarget(table, "id;", "amount;");
    out->SetLocateOption(loSubString);
    out->SetLocateInsert(true);
    out->SetAutoCalcFields(false);
    out->Open();

    TMemoryStream s;
    TWriter(s).WriteComponent(*out);
    s.SetPosition(0);

    auto other = SecondForm();
    auto* in = new TOEDataSet(other.get());
    TReader(s).ReadComponent(*in);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(in->Name(), "Table1");
    ASSERT_NE(in->hDbc(), nullptr);
    EXPECT_EQ(in->hDbc()->Name(), "Hdbc_Access") << "the connection the stream names, not the first one";
    EXPECT_EQ(in->SQL(), out->SQL());
    EXPECT_EQ(in->hStmt().CursorType(), 3u);
    EXPECT_EQ(in->hStmt().BlobSize(), 65536);
    EXPECT_EQ(in->hStmt().StringTrimming(), stTrimBoth);
    EXPECT_EQ(in->hStmt().RowCountMethod(), rcCustom);
    EXPECT_TRUE(in->hStmt().BlobDeferral());
    EXPECT_EQ(in->hStmt().ConcurrencyType(), 1u);
    EXPECT_EQ(in->hStmt().Target().TargetTable(), table);
    EXPECT_EQ(in->hStmt().Target().GetPrimaryCols(), "id;");
    EXPECT_EQ(in->hStmt().Target().GetIgnoreCols(), "amount;");
    EXPECT_EQ(in->LocateOption(), loSubString);
    EXPECT_TRUE(in->LocateInsert());
    EXPECT_FALSE(in->AutoCalcFields());
    EXPECT_FALSE(in->Cached());
    EXPECT_TRUE(in->Active()) << "opened once loading ended";
    EXPECT_EQ(IdsToEof(*in), (std::vector<int>{1, 2, 3, 4}));
}

TEST_P(DataSetStreaming, ActiveReadBeforeTheOptionsOpensWithThem)
{
    // Written by hand: Active first, then options whose setters close the dataset.
    RawProperties raw;
    raw.properties = {
        {"Name", [](TWriter& w) { w.WriteString("Table1"); }},
        {"Active", [](TWriter& w) { w.WriteBoolean(true); }},
        {"hDbc", [](TWriter& w) { w.WriteString("Hdbc_Access"); }},
        {"hStmt.CursorType", [](TWriter& w) { w.WriteInteger(3); }},
        {"hStmt.RowSetSize", [](TWriter& w) { w.WriteInteger(5); }},
        {"SQL", [this](TWriter& w) { w.WriteString("SELECT id FROM " + table + " ORDER BY id"); }},
        {"hStmt.Target.Target",
         [this](TWriter& w) {
             w.WriteListBegin();
             for (const std::string& v : {std::string("OE5.02"), table, std::string("id;"), std::string()})
                 w.WriteString(v);
             w.WriteListEnd();
         }},
    };
    TMemoryStream s;
    TWriter(s).WriteProperties(raw);
    s.SetPosition(0);

    auto other = SecondForm();
    auto* in = new TOEDataSet(other.get());
    TReader(s).ReadComponent(*in);
    EXPECT_TRUE(in->Active());
    EXPECT_TRUE(in->Cached()) << "a row set of five rows made it cached";
    EXPECT_EQ(in->hStmt().RowSetSize(), 5u);
    EXPECT_EQ(in->hStmt().Target().GetPrimaryCols(), "id;");
    EXPECT_EQ(IdsToEof(*in), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(in->RecordCount(), 4);
}

TEST_P(DataSetStreaming, TargetMarksKeyAndIgnoredColumnsByNameAndStopsAtAnUnknownOne)
{
    TOEDataSet* ds = NewDataSet("SELECT id, name, amount FROM " + table);
    ds->Open();
    THstmt& st = ds->Hstmt();
    TTarget& target = ds->hStmt().Target();
    target.SetTarget("people", "ID;", "Amount;");
    target.SetProperties();
    EXPECT_EQ(st.TargetTable(), "people");
    EXPECT_TRUE(st.GetColPrimary(1)) << "names compare without case";
    EXPECT_TRUE(st.GetColIgnore(3));
    EXPECT_FALSE(st.GetColIgnore(2));

    ds->Close();
    ds->Open();
    target.SetTarget("people", "id;nosuch;", "name;");
    try {
        target.SetProperties();
        FAIL() << "an unknown column was accepted";
    } catch (const RIDIZOrurori& e) {
        EXPECT_STREQ(e.what(), "Identifier nosuch not found in result set.");
    }
    EXPECT_TRUE(st.GetColPrimary(1));
    EXPECT_FALSE(st.GetColIgnore(2)) << "the ignored columns come after the failure and stay unmarked";
}

// Only where it means something: see SetUp.
INSTANTIATE_TEST_SUITE_P(Databases, DataSetStreaming, ::testing::Values(TestDatabase::Sqlite),
                         [](const ::testing::TestParamInfo<TestDatabase>& info) {
                             return DatabaseName(info.param);
                         });
