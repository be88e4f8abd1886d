// TCatalogProcedure: its parameters and result columns, read from the driver.
#include "odbc/catalog/CatalogProcedure.h"

#include "odbc/base/OcihText.h"
#include "odbc/catalog/CatalogCall.h"
#include "odbc/catalog/OECatalog.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/RunningCall.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/StringUtils.h"

#include <vector>

using CatalogCall::Arg;
using CatalogCall::ArgLength;

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
    TCatalogColumns& columns = GetColumns();
    columnNames_.Clear();
    for (int i = 0; i < columns.GetCount(); ++i)
        columnNames_.Add(columns.GetItem(i)->Name);
    return columnNames_;
}

TCatalogColumn* TCatalogProcedure::ColumnByName(std::string_view name)
{
    const std::string wanted = UpperCase(Trim(name));
    TCatalogColumns& columns = GetColumns();
    for (int i = 0; i < columns.GetCount(); ++i) {
        if (UpperCase(columns.GetItem(i)->Name) == wanted)
            return columns.GetItem(i);
    }
    return nullptr;
}

void TCatalogProcedure::RetrieveColumns()
{
    Log(2, "TCatalogProcedure.RetrieveColumns");
    RunningCall running;
    catalog_.CheckHdbc();
    THdbc& connection = *catalog_.hDbc();
    THstmt& statement = catalog_.Statement();
    connection.Connect();
    // The owner and name are patterns to SQLProcedureColumns, as for a table's columns.
    const std::string owner = CatalogCall::LiteralPattern(connection, owner_);
    const std::string name = CatalogCall::LiteralPattern(connection, name_);
    if (!CatalogCall::Run(statement, [&](void* handle) {
            return Oci::SQLProcedureColumns(handle, nullptr, 0, Arg(owner), ArgLength(owner), Arg(name),
                                            ArgLength(name), nullptr, 0);
        }))
        return;
    std::vector<TCatalogColumn> rows;
    while (statement.FetchNext()) {
        if (!CatalogCall::SameObject(owner_, name_, statement.GetColString(2),
                                     CatalogCall::ProcedureName(statement.GetColString(3))))
            continue;
        TCatalogColumn& column = rows.emplace_back();
        column.ColumnType = statement.GetColSmallint(5);
        CatalogCall::ReadColumn(statement, 6, column);
    }
    columns_.FreeItems();
    for (TCatalogColumn& row : rows)
        *columns_.AddItem() = std::move(row);
}
