#include "odbc/handles/DriverTraits.h"

#include "platform/core/StringUtils.h"

void TDriverTraits::LearnNames(const std::string& dbmsName, const std::string& driverName)
{
    DbmsName = dbmsName;
    DriverName = driverName;
    const std::string dbms = UpperCase(dbmsName);
    const std::string driver = UpperCase(driverName);
    const bool sqlite = driver.find("SQLITE3ODBC") != std::string::npos;
    RowsetPositioningUnreliable = sqlite;
    PositionedWritesLoseBlobs = sqlite;
    const std::string both = dbms + ";" + driver;
    OwnDescriptionWithoutSizes = both == "DBASE;ODBCJT32.DLL" || both == "FOXPRO;ODBCJT32.DLL";
    ListsTablesUnfiltered = both == "EXCEL;ODBCJT32.DLL";
    StatisticsCrash = dbms == "MDBTOOLS";
    IndexesInTableSchema = dbms.starts_with("SQLITE") || dbms.starts_with("POSTGRESQL");
}

const TDriverTraits& UnknownDriverTraits()
{
    static const TDriverTraits unknown;
    return unknown;
}
