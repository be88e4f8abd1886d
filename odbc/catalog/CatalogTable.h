#pragma once
// TCatalogTable and TCatalogTables: a table (or view) of the catalog with its columns, primary-key
// columns, foreign keys and indexes, each read from the driver on first use; and the catalog's list
// of tables.
#include "odbc/catalog/CatalogColumn.h"
#include "odbc/catalog/CatalogList.h"
#include "odbc/catalog/TableType.h"
#include "platform/core/StringList.h"

#include <memory>
#include <string>
#include <string_view>

class TOECatalog;
class TCatalogTables;

class TCatalogTable
{
public:
    TOECatalog& Catalog() const { return catalog_; }
    // The schema; empty where the driver has none.
    const std::string& Owner() const { return owner_; }
    void SetOwner(const std::string& value) { owner_ = value; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    TTableType TableType() const { return tableType_; }
    void SetTableType(TTableType value) { tableType_ = value; }
    const std::string& Remarks() const { return remarks_; }
    void SetRemarks(const std::string& value) { remarks_ = value; }

    // Each list is read on first use and kept until Refresh.
    TCatalogColumns& GetColumns();
    TCatalogColumns& Columns() { return GetColumns(); }
    const TStringList& GetColumnNames();
    const TStringList& ColumnNames() { return GetColumnNames(); }
    // One column name per entry, in the driver's order.
    const TStringList& GetPrimaryKeys();
    const TStringList& PrimaryKeys() { return GetPrimaryKeys(); }
    // "column;referenced table;referenced column", the table as "schema.name" where the driver
    // reports a schema.
    const TStringList& GetForeignKeys();
    const TStringList& ForeignKeys() { return GetForeignKeys(); }
    // "name;U;col1,col2" for a unique index, "name;N;..." otherwise.
    const TStringList& GetIndexes();
    const TStringList& Indexes() { return GetIndexes(); }
    // The first column whose name equals name (trimmed), without regard to ASCII case; nullptr if none.
    TCatalogColumn* ColumnByName(std::string_view name);
    // Every list is read again on its next use.
    void Refresh();

private:
    friend class TCatalogTables;
    explicit TCatalogTable(TOECatalog& catalog) : catalog_(catalog) {}

    void RetrieveColumns();
    void RetrievePrimaryKeys();
    void RetrieveForeignKeys();
    void RetrieveIndexes();

    TOECatalog& catalog_;
    std::string owner_;
    std::string name_;
    TTableType tableType_ = ttTable;
    std::string remarks_;
    TCatalogColumns columns_;
    TStringList columnNames_;
    TStringList primaryKeys_;
    TStringList foreignKeys_;
    TStringList indexes_;
    bool readColumns_ = true;
    bool readPrimaryKeys_ = true;
    bool readForeignKeys_ = true;
    bool readIndexes_ = true;
};

class TCatalogTables : public TCatalogList<TCatalogTable>
{
public:
    explicit TCatalogTables(TOECatalog& catalog) : catalog_(catalog) {}
    TOECatalog& Catalog() const { return catalog_; }
    // A new table of this list's catalog at the end.
    TCatalogTable* AddItem() { return Append(std::unique_ptr<TCatalogTable>(new TCatalogTable(catalog_))); }

private:
    TOECatalog& catalog_;
};
