#pragma once
// What the write-back tests share: the ways a dataset writes its rows back, a dataset opened for one
// of them over a table of people, and the table's rows as the database holds them.
#include "DataSetFixture.h"

#include <optional>
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
// What an update handler sees of the record being written: "kind:id name<old name".
std::string Seen(TCustomOEDataSet& ds, TUpdateKind kind);

// Edits of one record, each posted: found by id, given a new name, or a new key (and name).
void Rename(TDataSet& ds, int id, const std::string& name);
void Rekey(TDataSet& ds, int id, int newId, const std::optional<std::string>& name = std::nullopt);
// A new record inserted before the one with id before, or appended, and posted; with no name given
// its name stays NULL.
void InsertAt(TDataSet& ds, int before, int id, const std::string& name);
void AppendRow(TDataSet& ds, int id, const std::optional<std::string>& name = std::nullopt);
// Deletes the record with that id.
void Remove(TDataSet& ds, int id);
