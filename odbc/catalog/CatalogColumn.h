#pragma once
// TCatalogColumn and TCatalogColumns: one column of a table or one parameter or result column of a
// stored procedure as the driver's catalog reports it, and a list of them.
#include "odbc/catalog/CatalogList.h"

#include <cstdint>
#include <string>
#include <string_view>

class TStringList;

struct TCatalogColumn
{
    std::string Name;
    // For a procedure: SQL_PARAM_INPUT 1, SQL_PARAM_INPUT_OUTPUT 2, SQL_RESULT_COL 3,
    // SQL_PARAM_OUTPUT 4, SQL_RETURN_VALUE 5, 0 unknown. Every table column is 3.
    std::int16_t ColumnType = 0;
    std::int16_t DataType = 0;  // ODBC SQL type
    std::string TypeName;       // the driver's name of the type
    std::int32_t Precision = 0; // column size
    std::int16_t Scale = 0;     // decimal digits
    std::int16_t Radix = 0;
    std::int16_t Nullable = 0; // SQL_NO_NULLS 0, SQL_NULLABLE 1, SQL_NULLABLE_UNKNOWN 2
    std::string Default;
    std::string Remarks;
};

class TCatalogColumns : public TCatalogList<TCatalogColumn>
{
public:
    TCatalogColumn* AddItem() { return Append(std::make_unique<TCatalogColumn>()); }
    // The columns' names in list order, into names (emptied first).
    void Names(TStringList& names) const;
    // The first column whose name equals name (trimmed), without regard to ASCII case; nullptr if none.
    TCatalogColumn* ByName(std::string_view name) const;
};
