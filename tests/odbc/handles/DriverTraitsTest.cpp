// The driver traits that follow from a driver's names, for drivers named as they name themselves,
// including the desktop-database driver's modes that no driver here can show.
#include "odbc/handles/DriverTraits.h"

#include <gtest/gtest.h>

TEST(DriverTraits, NamesTellWhatDiffers)
{
    const struct
    {
        const char* dbms;
        const char* driver;
        bool rowsetPositioningUnreliable; // also the positioned writes that lose blobs
        bool ownDescriptionWithoutSizes;
        bool listsTablesUnfiltered;
        bool statisticsCrash;
        bool indexesInTableSchema;
    } cases[] = {
        {"SQLite", "libsqlite3odbc-0.9998.so", true, false, false, false, true},
        {"PostgreSQL", "psqlodbca.so", false, false, false, false, true},
        {"MDBTOOLS", "", false, false, false, true, false},
        {"dBase", "odbcjt32.dll", false, true, false, false, false},
        {"FOXPRO", "ODBCJT32.DLL", false, true, false, false, false},
        {"EXCEL", "odbcjt32.dll", false, false, true, false, false},
        {"ACCESS", "odbcjt32.dll", false, false, false, false, false},
        {"", "", false, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.dbms) + ";" + c.driver);
        TDriverTraits traits;
        traits.LearnNames(c.dbms, c.driver);
        EXPECT_EQ(traits.DbmsName, c.dbms);
        EXPECT_EQ(traits.DriverName, c.driver);
        EXPECT_EQ(traits.RowsetPositioningUnreliable, c.rowsetPositioningUnreliable);
        EXPECT_EQ(traits.PositionedWritesLoseBlobs, c.rowsetPositioningUnreliable);
        EXPECT_EQ(traits.OwnDescriptionWithoutSizes, c.ownDescriptionWithoutSizes);
        EXPECT_EQ(traits.ListsTablesUnfiltered, c.listsTablesUnfiltered);
        EXPECT_EQ(traits.StatisticsCrash, c.statisticsCrash);
        EXPECT_EQ(traits.IndexesInTableSchema, c.indexesInTableSchema);
    }
}
