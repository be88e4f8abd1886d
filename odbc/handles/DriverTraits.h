#pragma once
// What differs between the ODBC drivers a connection can reach, in one record: learned once per
// connection (THdbc::Traits) from what the driver says of itself, so that the code that depends on a
// difference asks the record, never the driver's name and never the driver again.
#include <string>
#include <vector>

struct TDriverTraits
{
    // SQL_DBMS_NAME and SQL_DRIVER_NAME as the driver gives them ("SQLite", "libsqlite3odbc.so").
    std::string DbmsName;
    std::string DriverName;

    // ---- Positioning --------------------------------------------------------------------------------

    // NOTE: the SQLite driver's SQLSetPos moves from its own row pointer (the last row fetched)
    // instead of going to the row asked for, so in a rowset of several rows it reads, writes or
    // deletes another row. There, rows of a rowset are taken as not positionable.
    bool RowsetPositioningUnreliable = false;
    // NOTE: the SQLite driver's SQLSetPos update and SQLBulkOperations add take long columns from
    // the bindings the fetch had: a blob column bound only for the write is written empty, and
    // SQL_COLUMN_IGNORE leaves none alone either. Rows with blob columns go by generated statements.
    bool PositionedWritesLoseBlobs = false;

    // ---- Markers ------------------------------------------------------------------------------------

    // The driver describes markers (SQLDescribeParam); THdbc::Core starts as the opposite.
    bool DescribesMarkers = false;
    // The desktop-database driver in dBase or FoxPro mode: a marker the library describes itself
    // gets no size and no digits.
    bool OwnDescriptionWithoutSizes = false;
    // A long value sent at execution needs its length told beforehand (SQL_NEED_LONG_DATA_LEN "Y").
    bool NeedsLongDataLength = false;
    // NOTE: psqlODBC describes a marker by preparing the statement on the server, and then sends
    // every row of an array on its own (several times slower than its batches); preparing the text
    // again gives the batches back. No driver tells whether its description does so: every one is
    // taken to, and an array's text described since its prepare is prepared again.
    bool PrepareArraysAgainAfterDescribe = true;

    // ---- Indicators ---------------------------------------------------------------------------------

    // NOTE: mdbtools writes lengths, indicators and row counts 32 bits wide into the SQLLEN it is
    // given. No answer tells it: a statement finds it at its first fetch that brings a row, and from
    // then on every statement of the connection takes the low halves (harmless where they are wide).
    bool NarrowIndicators = false;

    // ---- Catalog and schema -------------------------------------------------------------------------

    // The desktop-database driver in spreadsheet mode lists its tables without a type filter.
    bool ListsTablesUnfiltered = false;
    // NOTE: mdbtools answers SQLStatistics, and the fetch after it crashes the process.
    bool StatisticsCrash = false;
    // NOTE: SQLite and PostgreSQL read "DROP INDEX a.b.c" as a database or schema a and refuse it;
    // their indexes are named in the table's schema.
    bool IndexesInTableSchema = false;

    // ---- Lost connections ---------------------------------------------------------------------------

    // The states besides class "08" (ODBC's own) that say the connection is gone. PostgreSQL's
    // server also ends sessions on its side (an administrator's pg_terminate_backend, a crash of
    // another backend, a shutdown, an idle or idle-in-transaction time-out), and psqlODBC passes on
    // the server's state for that at the next call, with "The connection has been lost"; only after
    // that does it answer 08S01. A cancelled query (57014) leaves the session alive. The states are
    // the server's, whichever driver passes them on, so every driver's record holds them.
    std::vector<std::string> LostConnectionStates = {"57P01", "57P02", "57P05", "25P03"};

    // Sets the names and what follows from them.
    void LearnNames(const std::string& dbmsName, const std::string& driverName);
};

// The record of a driver not known (yet): what holds where no connection is at hand.
const TDriverTraits& UnknownDriverTraits();
