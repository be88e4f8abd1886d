#pragma once
// TCatalogProcedure and TCatalogProcedures: a stored procedure of the catalog with its parameters
// and result columns, read from the driver on first use; and the catalog's list of procedures.
#include "odbc/catalog/CatalogColumn.h"
#include "odbc/catalog/CatalogList.h"
#include "platform/core/StringList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TOECatalog;

class TCatalogProcedure
{
public:
    TOECatalog& Catalog() const { return catalog_; }
    const std::string& Owner() const { return owner_; }
    void SetOwner(const std::string& value) { owner_ = value; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    // SQL_PT_UNKNOWN 0, SQL_PT_PROCEDURE 1, SQL_PT_FUNCTION 2.
    std::int16_t ProcedureType() const { return procedureType_; }
    void SetProcedureType(std::int16_t value) { procedureType_ = value; }
    const std::string& Remarks() const { return remarks_; }
    void SetRemarks(const std::string& value) { remarks_ = value; }

    // Parameters and result columns, read on first use and kept until Refresh.
    TCatalogColumns& GetColumns();
    TCatalogColumns& Columns() { return GetColumns(); }
    const TStringList& GetColumnNames();
    const TStringList& ColumnNames() { return GetColumnNames(); }
    TCatalogColumn* ColumnByName(std::string_view name);
    void Refresh() { readColumns_ = true; }

private:
    friend class TCatalogProcedures;
    explicit TCatalogProcedure(TOECatalog& catalog) : catalog_(catalog) {}

    void RetrieveColumns();

    TOECatalog& catalog_;
    std::string owner_;
    std::string name_;
    std::int16_t procedureType_ = 0;
    std::string remarks_;
    TCatalogColumns columns_;
    TStringList columnNames_;
    bool readColumns_ = true;
};

class TCatalogProcedures : public TCatalogList<TCatalogProcedure>
{
public:
    explicit TCatalogProcedures(TOECatalog& catalog) : catalog_(catalog) {}
    TOECatalog& Catalog() const { return catalog_; }
    TCatalogProcedure* AddItem()
    {
        return Append(std::unique_ptr<TCatalogProcedure>(new TCatalogProcedure(catalog_)));
    }

private:
    TOECatalog& catalog_;
};
