// TCatalogProcedure: its parameters and result columns, read from the driver.
#include "odbc/catalog/CatalogProcedure.h"

#include "odbc/base/OcihText.h"
#include "odbc/catalog/CatalogCall.h"

TCatalogColumns& TCatalogProcedure::GetColumns()
{
    if (readColumns_) {
        RetrieveColumns();
        readColumns_ = false;
    }
    return columns_;
}

const TStringList& TCatalogProcedure::GetColumnNames()
{
    GetColumns().Names(columnNames_);
    return columnNames_;
}

TCatalogColumn* TCatalogProcedure::ColumnByName(std::string_view name)
{
    return GetColumns().ByName(name);
}

void TCatalogProcedure::RetrieveColumns()
{
    Log(2, "TCatalogProcedure.RetrieveColumns");
    CatalogCall::RetrieveColumns(catalog_, owner_, name_, true, columns_);
}
