// TOEQuery: the statement text as a list of lines (each change closes the query and hands the whole
// text over), the naming properties over the statement options, and the query in a form resource.
#include "DataSetFixture.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

namespace {

class Query : public DataSetTest
{
protected:
    TOEQuery* NewQuery()
    {
        auto* q = new TOEQuery(form.get());
        q->SetHdbc(&c);
        return q;
    }
};

TEST_P(Query, EachChangeOfTheLinesClosesAndTheNextOpenRunsTheNewText)
{
    ZIRA_REQUIRE(Writable(), "the program's database has its own test of the lookup statements");
    const std::string table = People(3);
    TOEQuery* q = NewQuery();
    q->SQL().Add("SELECT id FROM " + table);
    q->SQL().Add("WHERE id >= 2 ORDER BY id");
    EXPECT_EQ(q->Hstmt().SQL(), "SELECT id FROM " + table + "\r\nWHERE id >= 2 ORDER BY id\r\n");
    q->Open();
    EXPECT_EQ(IdsToEof(*q), (std::vector<int>{2, 3}));

    q->SQL().Clear();
    EXPECT_FALSE(q->Active()) << "a change of the lines closes the query";
    q->SQL().Add("SELECT id FROM " + table + " WHERE id = 1");
    q->Open();
    EXPECT_EQ(IdsToEof(*q), std::vector<int>{1});
    q->SQL().Add(" AND id = 2");
    EXPECT_FALSE(q->Active());
    q->Open();
    EXPECT_TRUE(q->Eof());

    TStringList lines;
    lines.Add("SELECT id FROM " + table + " ORDER BY id DESC");
    q->SetSQL(lines);
    q->Open();
    EXPECT_EQ(IdsToEof(*q), (std::vector<int>{3, 2, 1}));
}

TEST_P(Query, TableAndProcedureNamesAreTheDataSetsAndTheTextEmptiesThem)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "naming does not depend on the database");
    TOEQuery* q = NewQuery();
    q->SetTableName("people");
    EXPECT_EQ(q->Table(), "people");
    q->SetStoredProcName("p");
    EXPECT_EQ(q->StoredProc(), "p");
    EXPECT_TRUE(q->TableName().empty());
    q->SQL().Add("SELECT 1");
    EXPECT_TRUE(q->StoredProcName().empty());
    EXPECT_TRUE(q->TableName().empty());
}

TEST_P(Query, NamingPropertiesMapOntoTheStatementOptions)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "the options are the statement's own");
    TOEQuery* q = NewQuery();
    TDataSetHstmt& h = q->hStmt();

    const struct
    {
        std::uint32_t concurrency;
        bool live;
        std::uint32_t after;
    } live[] = {{1, true, 4}, {2, true, 2}, {3, true, 3}, {4, false, 1}, {1, false, 1}};
    for (const auto& c : live) {
        h.SetConcurrencyType(c.concurrency);
        EXPECT_EQ(q->RequestLive(), c.concurrency != 1);
        q->SetRequestLive(c.live);
        EXPECT_EQ(h.ConcurrencyType(), c.after) << c.concurrency << " " << c.live;
        EXPECT_EQ(q->Editable(), c.live);
    }

    const struct
    {
        std::uint32_t cursorLib;
        std::uint32_t cursor;
        bool uni;
        std::uint32_t after;
    } uni[] = {{2, 3, true, 0}, {2, 0, false, 1}, {1, 0, false, 3}, {0, 0, false, 3}, {1, 2, false, 2}};
    for (const auto& u : uni) {
        c.SetCursorLib(u.cursorLib);
        h.SetCursorType(u.cursor);
        EXPECT_EQ(q->UniDirectional(), u.cursor == 0);
        q->SetUniDirectional(u.uni);
        EXPECT_EQ(h.CursorType(), u.after) << u.cursorLib << " " << u.cursor << " " << u.uni;
    }

    EXPECT_TRUE(q->CacheBlobs());
    q->SetCacheBlobs(false);
    EXPECT_TRUE(h.BlobDeferral());
    EXPECT_EQ(q->ParamBindMode(), pbByNumber);
    q->SetParamBindMode(pbByName);
    EXPECT_TRUE(h.BindByName());
    EXPECT_EQ(q->ParamBindMode(), pbByName);
}

TEST_P(Query, RoundTripsThroughAFormResource)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "streaming does not depend on the database");
    const std::string table = People(2);
    c.SetName("Hdbc_Access");
    TOEQuery* out = NewQuery();
    out->SetName("Table1");
    out->hStmt().SetCursorType(3);
    out->hStmt().SetRowCountMethod(rcCustom);
    out->SQL().Add("SELECT id FROM " + table);
    out->SQL().Add("ORDER BY id");
    out->SetRequestLive(true);
    out->SetCacheBlobs(false);
    out->SetParamBindMode(pbByName);
    out->Open();

    TMemoryStream s;
    TWriter(s).WriteComponent(*out);
    s.SetPosition(0);
    Form other;
    auto* connection = new THdbc(&other);
    connection->SetName("Hdbc_Access");
    connection->SetDriver(c.Driver());
    connection->SetAttributes(c.Attributes());
    auto* in = new TOEQuery(&other);
    TReader(s).ReadComponent(*in);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(in->hDbc(), connection);
    EXPECT_EQ(in->SQL().Lines(), out->SQL().Lines());
    EXPECT_EQ(in->hStmt().CursorType(), 3u);
    EXPECT_EQ(in->hStmt().RowCountMethod(), rcCustom);
    EXPECT_TRUE(in->RequestLive());
    EXPECT_FALSE(in->CacheBlobs());
    EXPECT_EQ(in->ParamBindMode(), pbByName);
    EXPECT_TRUE(in->Active()) << "opened once loading ended";
    EXPECT_EQ(IdsToEof(*in), (std::vector<int>{1, 2}));
}

TEST_P(Query, ParametersAreReadFromAFormResource)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "streaming does not depend on the database");
    // As earlier versions stored them: a version tag and the items, each with a value of its type,
    // whether it is bound, whether it is null and a number nothing reads.
    const auto params = [](TWriter& w) {
        w.WriteListBegin();
        w.WriteString("OE5.02");
        w.WriteListBegin();
        w.WriteString("name");
        w.WriteInteger(ptInput);
        w.WriteInteger(ftString);
        w.WriteString("张三");
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteInteger(0);
        w.WriteString("count");
        w.WriteInteger(ptInputOutput);
        w.WriteInteger(ftInteger);
        w.WriteInteger(42);
        w.WriteBoolean(false);
        w.WriteBoolean(true); // null after all
        w.WriteInteger(7);
        w.WriteString("when");
        w.WriteInteger(ptOutput);
        w.WriteInteger(ftDateTime);
        w.WriteFloat(45000.5);
        w.WriteBoolean(false);
        w.WriteBoolean(false);
        w.WriteInteger(0);
        w.WriteListEnd();
        w.WriteListEnd();
    };
    class Raw : public TPersistent
    {
    public:
        explicit Raw(TWriterProc write) : write_(std::move(write)) {}
        void DefineProperties(TFiler& filer) override
        {
            filer.DefineProperty(
                "SQL", {},
                [](TWriter& w) {
                    w.WriteListBegin();
                    w.WriteString("SELECT :name, :count, :when");
                    w.WriteListEnd();
                },
                true);
            filer.DefineProperty("Params", {}, write_, true);
        }

    private:
        TWriterProc write_;
    } raw(params);
    TMemoryStream s;
    TWriter(s).WriteProperties(raw);
    s.SetPosition(0);
    TOEQuery* q = NewQuery();
    TReader(s).ReadComponent(*q);
    EXPECT_EQ(s.Position(), s.Size());
    ASSERT_EQ(q->ParamCount(), 3);
    EXPECT_EQ(q->ParamByName("name")->AsString(), "张三");
    EXPECT_TRUE(q->ParamByName("name")->Bound());
    EXPECT_EQ(q->ParamByName("count")->ParamType(), ptInputOutput);
    EXPECT_EQ(q->ParamByName("count")->DataType(), ftInteger);
    EXPECT_TRUE(q->ParamByName("count")->IsNull());
    EXPECT_EQ(q->ParamByName("when")->DataType(), ftDateTime);
    EXPECT_EQ(q->ParamByName("when")->AsDateTime(), 45000.5);
}

ZIRA_ON_EACH_DATABASE(Query);

} // namespace
