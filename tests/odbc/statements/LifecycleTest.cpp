// THstmt's life: parsing named parameters, settings that are stored or ignored, finding and losing
// its connection, and what closing and terminating keep.
#include "odbc/base/OcihError.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Names(const TStringList& list)
{
    return list.Lines();
}

} // namespace

TEST(StatementText, NamedParametersBecomeMarkers)
{
    struct Case
    {
        const char* name;
        const char* sql;
        const char* parsed;
        std::vector<std::string> params;
    };
    const Case cases[] = {
        {"quoted colon untouched",
         "SELECT * FROM t WHERE a = :a AND b = ':x' AND c = :c_1",
         "SELECT * FROM t WHERE a = ? AND b = ':x' AND c = ?",
         {"a", "c_1"}},
        {"doubled quote stays in the literal",
         "SELECT 'it'':x' FROM t WHERE a = :a",
         "SELECT 'it'':x' FROM t WHERE a = ?",
         {"a"}},
        {"at sign in a name", "SELECT :@num FROM t", "SELECT ? FROM t", {"@num"}},
        {"a name twice is two markers", "WHERE a = :v OR b = :v", "WHERE a = ? OR b = ?", {"v", "v"}},
        {"line breaks kept", " select a\r\n from t where x = :x", " select a\r\n from t where x = ?", {"x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        THstmt s;
        s.SetSQL(c.sql);
        EXPECT_EQ(s.ParseSQL(), c.parsed);
        EXPECT_EQ(Names(s.GetParamNames()), c.params);
    }
    for (const char* bad : {"WHERE a = : b", "WHERE a = :", "SELECT x::int FROM t"}) {
        SCOPED_TRACE(bad);
        THstmt s;
        s.SetSQL(bad);
        try {
            s.ParseSQL();
            FAIL() << "parsed";
        } catch (const RIDIZOrurori& e) {
            EXPECT_STREQ(e.what(), "Invalid parameter token in SQL statement.");
        }
    }
    THstmt s;
    s.SetSQL("WHERE a = :First AND b = :second");
    s.GetParamNames();
    EXPECT_EQ(s.ParamByName("SECOND"), 2);
    try {
        s.ParamByName("third");
        FAIL() << "found";
    } catch (const RIDIZOrurori& e) {
        EXPECT_STREQ(e.what(), "Token THIRD not found in SQL statement.");
    }
}

TEST(StatementSettings, ValuesOutsideTheirRangeAreIgnored)
{
    THstmt s;
    s.SetRowSetSize(0);
    EXPECT_EQ(s.RowSetSize(), 1u);
    s.SetBlobSize(1024);
    EXPECT_EQ(s.BlobSize(), 32768);
    s.SetBlobSize(1025);
    EXPECT_EQ(s.BlobSize(), 1025);
    s.SetParamType(3);
    s.SetBulkSize(0);
    EXPECT_EQ(s.BulkSize(), 0u);
    s.SetBulkSize(5);
    EXPECT_EQ(s.BulkSize(), 5u);
    // Without columns every row and cell is "no row".
    EXPECT_EQ(s.GetRowStatus(0), SQL_ROW_NOROW);
    EXPECT_EQ(s.GetRowStatus(1), SQL_ROW_NOROW);
    EXPECT_EQ(s.GetRowFlag(1), 0);
    EXPECT_EQ(s.RowFlags(1), nullptr);
    EXPECT_FALSE(s.GetRowValid(1));
}

TEST(StatementConnection, FoundOnItsOwnerLostWhenItGoes)
{
    TComponent form;
    auto* connection = new THdbc(&form);
    auto* statement = new THstmt(&form);
    EXPECT_EQ(statement->hDbc(), connection) << "the first connection among the owner's components";

    TComponent other;
    auto* late = new THstmt(&other);
    EXPECT_EQ(late->hDbc(), nullptr);
    auto* placedLater = new THdbc(&other);
    EXPECT_EQ(late->hDbc(), placedLater) << "a connection placed later is found";

    THstmt loose;
    {
        THdbc shortLived;
        loose.SetHdbc(&shortLived);
    }
    EXPECT_EQ(loose.hDbc(), nullptr) << "never keeps a destroyed connection";
    try {
        loose.SetName("Orders");
        loose.Init();
        FAIL() << "initialised without a connection";
    } catch (const RIDIZOrurori& e) {
        EXPECT_STREQ(e.what(), "Property Hdbc of Orders not set.");
    }
}

TEST(StatementConnection, ClosingAndTerminatingKeepTheTextAndStartAgain)
{
    THdbc c;
    UseNewSqlite(c);
    c.Connect();
    ExecSql(c, "CREATE TABLE t (id INTEGER)");
    ExecSql(c, "INSERT INTO t VALUES (7)");
    THstmt s;
    s.SetHdbc(&c);
    s.SetSQL("SELECT id FROM t");
    s.Prepare();
    s.Execute();
    ASSERT_TRUE(s.FetchNext());
    s.SetSQL("SELECT id + 1 FROM t");
    EXPECT_FALSE(s.Prepared());
    EXPECT_FALSE(s.Executed());
    EXPECT_EQ(s.GetColNames().Count(), 0) << "the old columns went with the old text";
    s.Execute();
    ASSERT_TRUE(s.FetchNext());
    EXPECT_EQ(s.GetColInteger(1), 8);

    int terminated = 0;
    s.SetOnTerminate([&](THbase*) { ++terminated; });
    c.Disconnect();
    EXPECT_FALSE(s.Initialized()) << "a closing connection ends its statements";
    EXPECT_EQ(terminated, 1);
    s.Execute();
    ASSERT_TRUE(s.FetchNext()) << "and they start again on their next use";
    EXPECT_EQ(s.GetColInteger(1), 8);

    THdbc other;
    UseNewSqlite(other);
    s.SetHdbc(&other);
    EXPECT_FALSE(s.Initialized()) << "another connection frees the handle";
    EXPECT_EQ(s.SQL(), "SELECT id + 1 FROM t");
}

TEST(StatementStreaming, PublishedPropertiesRoundTripAndTheConnectionIsFoundByName)
{
    TComponent form;
    auto* connection = new THdbc(&form);
    connection->SetName("Hdbc_Access");
    auto* original = new THstmt(&form);
    original->SetName("Orders");
    original->SetSQL("SELECT * FROM orders WHERE id = :id");
    original->SetConcurrencyType(4);
    original->SetCursorType(3);
    original->SetRowSetSize(25);
    original->SetSkipByCursor(true);
    original->SetBlobSize(4096);
    original->SetBlobPlacement(bpByExec);
    original->SetEmptyStringToNull(enIfNullable);
    original->SetStringTrimming(stTrimBoth);
    original->SetRowCountMethod(rcTraverse);

    TMemoryStream stream;
    TWriter(stream).WriteComponent(*original);
    stream.SetPosition(0);
    TComponent other;
    auto* otherConnection = new THdbc(&other);
    otherConnection->SetName("Hdbc_Access");
    auto* decoy = new THdbc(&other);
    decoy->SetName("Decoy");
    auto* copy = new THstmt(&other);
    copy->SetHdbc(decoy);
    TReader(stream).ReadComponent(*copy);

    EXPECT_EQ(copy->Name(), "Orders");
    EXPECT_EQ(copy->hDbc(), otherConnection) << "the connection named in the resource";
    EXPECT_EQ(copy->SQL(), "SELECT * FROM orders WHERE id = :id");
    EXPECT_EQ(copy->ConcurrencyType(), 4u);
    EXPECT_EQ(copy->CursorType(), 3u);
    EXPECT_EQ(copy->RowSetSize(), 25u);
    EXPECT_TRUE(copy->SkipByCursor());
    EXPECT_FALSE(copy->SkipByPosition());
    EXPECT_EQ(copy->BlobSize(), 4096);
    EXPECT_EQ(copy->BlobPlacement(), bpByExec);
    EXPECT_EQ(copy->EmptyStringToNull(), enIfNullable);
    EXPECT_EQ(copy->StringTrimming(), stTrimBoth);
    EXPECT_EQ(copy->RowCountMethod(), rcTraverse);
}
