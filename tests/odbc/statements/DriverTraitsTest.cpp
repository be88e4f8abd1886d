// The driver traits a connection learns (odbc/handles/DriverTraits.h) on each database here: what
// each driver is known for, forgotten with the connection, and the indicator width that one
// statement's fetch finds and the connection's other statements then take.
#include "StatementDatabase.h"

#include "odbc/handles/LostConnection.h"
#include "platform/core/StringUtils.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include <string>

namespace {

class DriverTraitsOnEach : public StatementDatabase
{
protected:
    bool IsSqlite() const { return Database() == TestDatabase::Sqlite; }

    // A text query whose first row holds a text that is not empty.
    std::string OneTextRow()
    {
        if (IsMdb())
            return "SELECT di_cvalue FROM dictionary";
        const std::string t = NewTable("(s VARCHAR(20))");
        Exec("INSERT INTO " + t + " (s) VALUES ('traits')");
        return "SELECT s FROM " + t;
    }
};

} // namespace

TEST_P(DriverTraitsOnEach, EachDriverIsKnownForItsOwnDifferences)
{
    const TDriverTraits& traits = c.Traits();
    EXPECT_EQ(UpperCase(traits.DbmsName), UpperCase(c.GetInfoString(SQL_DBMS_NAME)));
    EXPECT_EQ(traits.DriverName, c.GetInfoString(SQL_DRIVER_NAME));
    EXPECT_EQ(traits.RowsetPositioningUnreliable, IsSqlite());
    EXPECT_EQ(traits.PositionedWritesLoseBlobs, IsSqlite());
    EXPECT_EQ(traits.StatisticsCrash, IsMdb());
    EXPECT_EQ(traits.IndexesInTableSchema, IsSqlite() || IsPostgres());
    EXPECT_FALSE(traits.OwnDescriptionWithoutSizes);
    EXPECT_FALSE(traits.ListsTablesUnfiltered);
    if (IsSqlite()) {
        EXPECT_TRUE(traits.NeedsLongDataLength);
    }
    EXPECT_EQ(traits.DescribesMarkers, c.GetFunction(SQL_API_SQLDESCRIBEPARAM));
    EXPECT_EQ(c.Core(), !traits.DescribesMarkers);
    // The server's states for a session it ended hold whatever the driver.
    EXPECT_TRUE(MeansLostConnection(TErrorRec{"57P01", 0, "gone"}, traits));
    EXPECT_FALSE(MeansLostConnection(TErrorRec{"57014", 0, "cancelled"}, traits));
}

TEST_P(DriverTraitsOnEach, AreForgottenWithTheConnectionAndLearnedAgain)
{
    const std::string dbms = c.Traits().DbmsName;
    ASSERT_FALSE(dbms.empty());
    c.Disconnect();
    EXPECT_TRUE(c.Traits().DbmsName.empty()) << "a closed connection has no driver to tell";
    EXPECT_FALSE(c.Traits().StatisticsCrash || c.Traits().RowsetPositioningUnreliable);
    c.Connect();
    EXPECT_EQ(c.Traits().DbmsName, dbms);
    EXPECT_EQ(c.Traits().StatisticsCrash, IsMdb());
}

// mdbtools writes its indicators 32 bits wide: the first statement's fetch finds it, and a statement
// opened after that reads its lengths as the driver meant them without finding it again.
TEST_P(DriverTraitsOnEach, OneFetchFindsTheIndicatorWidthForEveryStatement)
{
    const std::string sql = OneTextRow();
    EXPECT_FALSE(c.Traits().NarrowIndicators) << "nothing was fetched yet";
    std::string value;
    {
        THstmt first;
        first.SetHdbc(&c);
        first.SetSQL(sql);
        first.Execute();
        ASSERT_TRUE(first.FetchNext());
        value = first.GetCellString(1, 1);
        ASSERT_FALSE(value.empty());
    }
    EXPECT_EQ(c.Traits().NarrowIndicators, IsMdb());

    THstmt second;
    second.SetHdbc(&c);
    second.SetSQL(sql);
    second.Execute();
    ASSERT_TRUE(second.FetchNext());
    EXPECT_EQ(second.GetCellString(1, 1), value);
    ASSERT_FALSE(second.Cols().empty());
    EXPECT_EQ(second.Cols()[0]->Ind[0], static_cast<SqlLen>(value.size()));
}

ZIRA_ON_EACH_DATABASE(DriverTraitsOnEach);
