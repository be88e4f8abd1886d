// TSchemaColumn and TSchemaColumns.
#include "odbc/schema/SchemaColumn.h"

void TSchemaColumn::SetPrecision(std::int32_t value)
{
    if (value >= 0)
        precision_ = value;
}

void TSchemaColumn::SetForeignTable(const std::string& value)
{
    if (value == foreignTable_)
        return;
    foreignTable_ = value;
    foreignColumn_.clear();
}

void TSchemaColumn::SetForeignColumn(const std::string& value)
{
    if (!foreignTable_.empty())
        foreignColumn_ = value;
}

std::unique_ptr<TSchemaColumn> TSchemaColumns::NewItem()
{
    return std::unique_ptr<TSchemaColumn>(new TSchemaColumn());
}
