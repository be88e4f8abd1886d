#pragma once
// What the write-back tests share: the ways a dataset writes its rows back, a dataset opened for one
// of them over a table of people, and the table's rows as the database holds them.
#include "DataSetFixture.h"

#include <string>
#include <vector>

enum class WriteMode
{
    Cursor,        // uncached, a static cursor: SQLSetPos and SQLBulkOperations where offered
    Generated,     // uncached, generated INSERT, UPDATE, DELETE and SELECT statements
    Cached,        // the row cache, every change written at once
    CachedUpdates, // the row cache, changes written by ApplyUpdates
};

std::string WriteModeName(WriteMode mode);

class WriteBackTest : public DataSetTest
{
protected:
    void SetUp() override;

    // An editable dataset over "SELECT id, name, amount FROM table ORDER BY id" writing back to
    // table (key id) in mode; opened.
    TOEDataSet* OpenPeople(const std::string& table, WriteMode mode);
    // The table's rows in key order, as "id name" joined by "|" (NULL names as "-").
    std::string Rows(const std::string& table) { return RowsOn(c, table); }
    static std::string RowsOn(THdbc& connection, const std::string& table);
};

// "id name" of each record from the first to EOF, joined by "|"; the dataset ends at EOF.
std::string Shown(TDataSet& ds);
// "id name" of the current record.
std::string Current(TDataSet& ds);
// Moves to the record with that id; fails the test when there is none.
void GoTo(TDataSet& ds, int id);
