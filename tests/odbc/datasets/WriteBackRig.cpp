// The write-back tests' rig: datasets opened for each way of writing rows back, and the table's rows.
#include "WriteBackRig.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/statements/Hstmt.h"

#include <sql.h>
#include <sqlext.h>

std::string WriteModeName(WriteMode mode)
{
    switch (mode) {
    case WriteMode::Cursor:
        return "through the cursor";
    case WriteMode::Generated:
        return "through generated statements";
    case WriteMode::Cached:
        return "cached, written at once";
    case WriteMode::CachedUpdates:
        return "cached updates";
    }
    return "?";
}

void WriteBackTest::SetUp()
{
    DataSetTest::SetUp();
    if (IsSkipped())
        return;
    ZIRA_REQUIRE(Writable(), "mdbtools opens Access files read-only (DataBaseMdbWrites has that case)");
}

TOEDataSet* WriteBackTest::OpenPeople(const std::string& table, WriteMode mode)
{
    TOEDataSet* ds = NewDataSet("SELECT id, name, amount FROM " + table + " ORDER BY id");
    switch (mode) {
    case WriteMode::Cursor:
        ds->hStmt().SetCursorType(SQL_CURSOR_STATIC);
        break;
    case WriteMode::Generated:
        ds->hStmt().SetCursorType(SQL_CURSOR_STATIC);
        ds->hStmt().SetSkipByPosition(true);
        ds->hStmt().SetSkipByCursor(true);
        break;
    case WriteMode::Cached:
        ds->SetCached(true);
        break;
    case WriteMode::CachedUpdates:
        ds->SetCachedUpdates(true);
        break;
    }
    ds->SetEditable(true);
    // The key is named here; a key found without its name has a test of its own.
    ds->hStmt().Target().SetTarget(table, "id;", "");
    ds->Open();
    return ds;
}

std::string WriteBackTest::RowsOn(THdbc& connection, const std::string& table)
{
    return RowsAsText(connection, "SELECT id, name FROM " + table + " ORDER BY id");
}

std::string Current(TDataSet& ds)
{
    TField* name = ds.FieldByName("name");
    return std::to_string(ds.FieldByName("id")->AsInteger()) + " " +
           (name->IsNull() ? "-" : name->AsString());
}

std::string Shown(TDataSet& ds)
{
    std::string rows;
    ds.First();
    while (!ds.Eof()) {
        if (!rows.empty())
            rows += "|";
        rows += Current(ds);
        ds.Next();
    }
    return rows;
}

void GoTo(TDataSet& ds, int id)
{
    ASSERT_TRUE(ds.Locate("id", Variant(id), 0)) << "no record " << id;
}

std::string Seen(TCustomOEDataSet& ds, TUpdateKind kind)
{
    return std::to_string(kind) + ":" + Current(ds) + "<" + ds.FieldByName("name")->OldValue().AsString();
}

void Rename(TDataSet& ds, int id, const std::string& name)
{
    GoTo(ds, id);
    ds.Edit();
    ds.FieldByName("name")->SetAsString(name);
    ds.Post();
}

void Rekey(TDataSet& ds, int id, int newId, const std::optional<std::string>& name)
{
    GoTo(ds, id);
    ds.Edit();
    ds.FieldByName("id")->SetAsInteger(newId);
    if (name)
        ds.FieldByName("name")->SetAsString(*name);
    ds.Post();
}

void InsertAt(TDataSet& ds, int before, int id, const std::string& name)
{
    GoTo(ds, before);
    ds.Insert();
    ds.FieldByName("id")->SetAsInteger(id);
    ds.FieldByName("name")->SetAsString(name);
    ds.Post();
}

void AppendRow(TDataSet& ds, int id, const std::optional<std::string>& name)
{
    ds.Append();
    ds.FieldByName("id")->SetAsInteger(id);
    if (name)
        ds.FieldByName("name")->SetAsString(*name);
    ds.Post();
}

void Remove(TDataSet& ds, int id)
{
    GoTo(ds, id);
    ds.Delete();
}
