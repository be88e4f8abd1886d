// TCatalogTable: its columns, primary-key columns, foreign keys and indexes, read from the driver.
#include "odbc/catalog/CatalogTable.h"

#include "odbc/base/OcihText.h"
#include "odbc/catalog/CatalogCall.h"
#include "odbc/catalog/OECatalog.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/RunningCall.h"
#include "odbc/statements/Hstmt.h"

#include <optional>

using CatalogCall::Arg;
using CatalogCall::ArgLength;

TCatalogColumns& TCatalogTable::GetColumns()
{
    if (readColumns_) {
        RetrieveColumns();
        readColumns_ = false;
    }
    return columns_;
}

const TStringList& TCatalogTable::GetColumnNames()
{
    GetColumns().Names(columnNames_);
    return columnNames_;
}

const TStringList& TCatalogTable::GetPrimaryKeys()
{
    if (readPrimaryKeys_) {
        RetrievePrimaryKeys();
        readPrimaryKeys_ = false;
    }
    return primaryKeys_;
}

const TStringList& TCatalogTable::GetForeignKeys()
{
    if (readForeignKeys_) {
        RetrieveForeignKeys();
        readForeignKeys_ = false;
    }
    return foreignKeys_;
}

const TStringList& TCatalogTable::GetIndexes()
{
    if (readIndexes_) {
        RetrieveIndexes();
        readIndexes_ = false;
    }
    return indexes_;
}

TCatalogColumn* TCatalogTable::ColumnByName(std::string_view name)
{
    return GetColumns().ByName(name);
}

void TCatalogTable::Refresh()
{
    readColumns_ = true;
    readPrimaryKeys_ = true;
    readForeignKeys_ = true;
    readIndexes_ = true;
}

void TCatalogTable::RetrieveColumns()
{
    Log(2, "TCatalogTable.RetrieveColumns");
    CatalogCall::RetrieveColumns(catalog_, owner_, name_, false, columns_);
}

void TCatalogTable::RetrievePrimaryKeys()
{
    Log(2, "TCatalogTable.RetrievePrimaryKeys");
    RunningCall running;
    catalog_.CheckHdbc();
    THstmt& statement = catalog_.Statement();
    if (!CatalogCall::Run(statement, [&](void* handle) {
            return Oci::SQLPrimaryKeys(handle, nullptr, 0, Arg(owner_), ArgLength(owner_), Arg(name_),
                                       ArgLength(name_));
        }))
        return;
    TStringList keys;
    while (statement.FetchNext()) {
        if (CatalogCall::SameObject(owner_, name_, statement.GetColString(2), statement.GetColString(3)))
            keys.Add(statement.GetColString(4));
    }
    primaryKeys_.Assign(keys);
}

void TCatalogTable::RetrieveForeignKeys()
{
    Log(2, "TCatalogTable.RetrieveForeignKeys");
    RunningCall running;
    catalog_.CheckHdbc();
    THstmt& statement = catalog_.Statement();
    if (!CatalogCall::Run(statement, [&](void* handle) {
            return Oci::SQLForeignKeys(handle, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, Arg(owner_),
                                       ArgLength(owner_), Arg(name_), ArgLength(name_));
        }))
        return;
    TStringList keys;
    while (statement.FetchNext()) {
        // Columns 6 and 7 name the table that holds the key: this one.
        if (!CatalogCall::SameObject(owner_, name_, statement.GetColString(6), statement.GetColString(7)))
            continue;
        const std::string schema = statement.GetColString(2);
        keys.Add(statement.GetColString(8) + ";" + (schema.empty() ? "" : schema + ".") +
                 statement.GetColString(3) + ";" + statement.GetColString(4));
    }
    foreignKeys_.Assign(keys);
}

void TCatalogTable::RetrieveIndexes()
{
    Log(2, "TCatalogTable.RetrieveIndexes");
    RunningCall running;
    catalog_.CheckHdbc();
    THdbc& connection = *catalog_.hDbc();
    THstmt& statement = catalog_.Statement();
    connection.Connect();
    if (connection.Traits().StatisticsCrash) {
        // No index can be read there; the list stays empty rather than the program ending.
        indexes_.Clear();
        return;
    }
    if (!CatalogCall::Run(statement, [&](void* handle) {
            return Oci::SQLStatistics(handle, nullptr, 0, Arg(owner_), ArgLength(owner_), Arg(name_),
                                      ArgLength(name_), SQL_INDEX_ALL, SQL_ENSURE);
        }))
        return;
    TStringList indexes;
    // The index whose columns are being gathered.
    struct Entry
    {
        std::string name;
        bool unique = false;
        std::string columns;
    };
    std::optional<Entry> entry;
    const auto add = [&] {
        if (entry)
            indexes.Add(entry->name + (entry->unique ? ";U;" : ";N;") + entry->columns);
    };
    while (statement.FetchNext()) {
        if (!CatalogCall::SameObject(owner_, name_, statement.GetColString(2), statement.GetColString(3)))
            continue;
        if (statement.GetColSmallint(7) == SQL_TABLE_STAT)
            continue;
        if (statement.GetColSmallint(8) == 1) {
            add();
            entry =
                Entry{statement.GetColString(6), statement.GetColSmallint(4) == 0, statement.GetColString(9)};
        } else if (entry) {
            entry->columns += "," + statement.GetColString(9);
        }
    }
    add();
    indexes_.Assign(indexes);
}
