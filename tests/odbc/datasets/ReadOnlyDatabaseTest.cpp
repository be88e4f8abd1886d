// Writing back to the program's DataBase.mdb, which the mdbtools driver opens read-only: every write
// is refused with the driver's error, and nothing is shown or counted as written.
#include "DataSetFixture.h"

#include "odbc/base/OcihError.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/handles/OdbcError.h"

namespace {

const char* const kDictionary = "SELECT di_dfid, di_selno, di_mnemonic, di_cvalue FROM dictionary";

std::string Value(TDataSet& ds)
{
    return ds.FieldByName("di_cvalue")->AsString();
}

} // namespace

class ReadOnlyDatabase : public DataSetTest
{
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Database() == TestDatabase::Access, "the program database's own case");
        // The driver manager's cursor library scrolls for the driver.
        c.Disconnect();
        c.SetCursorLib(1);
        c.Connect();
    }

    TOEDataSet* Dictionary(bool cached, bool cachedUpdates)
    {
        TOEDataSet* ds = NewDataSet(kDictionary);
        ds->SetCached(cached);
        ds->SetCachedUpdates(cachedUpdates);
        ds->SetEditable(true);
        ds->hStmt().Target().SetTarget("dictionary", "di_dfid;di_selno;", "");
        ds->Open();
        return ds;
    }
};

TEST_P(ReadOnlyDatabase, EveryWriteIsRefusedAndNeverShownAsWritten)
{
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "through the cursor");
        TOEDataSet* ds = Dictionary(cached, false);
        const std::string before = Value(*ds);
        const int rows = ds->RecordCount();

        // The driver says every column is read-only: the edit is refused before any statement.
        ds->Edit();
        ds->FieldByName("di_cvalue")->SetAsString("changed");
        EXPECT_THROW(ds->Post(), RIDIZOrurori);
        EXPECT_EQ(ds->State(), dsEdit);
        ds->Cancel();
        EXPECT_EQ(Value(*ds), before);

        // An insert and a delete go as far as the driver, which refuses them.
        ds->Insert();
        ds->FieldByName("di_dfid")->SetAsInteger(99);
        ds->FieldByName("di_selno")->SetAsString("x");
        try {
            ds->Post();
            ADD_FAILURE() << "an insert into a read-only database passed";
        } catch (const EODBC& e) {
            ASSERT_GT(e.Count(), 0);
            EXPECT_FALSE(e.Errors().front().Message.empty());
        }
        EXPECT_EQ(ds->State(), dsInsert);
        ds->Cancel();
        EXPECT_EQ(Value(*ds), before);
        EXPECT_THROW(ds->Delete(), EODBC);
        EXPECT_EQ(Value(*ds), before);

        ds->Next();
        ds->Prior();
        EXPECT_EQ(Value(*ds), before);
        EXPECT_EQ(ds->RecordCount(), rows);
        ds->Close();
        ds->Open();
        EXPECT_EQ(Value(*ds), before);
        EXPECT_EQ(ds->RecordCount(), rows);
        ds->Close();
    }
}

TEST_P(ReadOnlyDatabase, CachedUpdatesThatCannotBeWrittenStayPending)
{
    TOEDataSet* ds = Dictionary(true, true);
    const std::string before = Value(*ds);
    ds->Edit();
    ds->FieldByName("di_cvalue")->SetAsString("changed");
    ds->Post();
    EXPECT_TRUE(ds->UpdatesPending());
    EXPECT_THROW(ds->ApplyUpdates(), RIDIZOrurori);
    EXPECT_TRUE(ds->UpdatesPending());
    ds->First();
    EXPECT_EQ(ds->UpdateStatus(), usModified);
    EXPECT_EQ(Value(*ds), "changed");
    ds->CancelUpdates();
    EXPECT_EQ(Value(*ds), before);
    EXPECT_FALSE(ds->UpdatesPending());
}

ZIRA_ON_EACH_DATABASE(ReadOnlyDatabase);
