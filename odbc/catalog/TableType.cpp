// TTableType: the ODBC names of the table kinds.
#include "odbc/catalog/TableType.h"

#include "platform/core/StringUtils.h"

std::string TableTypeToString(TTableType type)
{
    switch (type) {
    case ttView:
        return "VIEW";
    case ttSystem:
        return "SYSTEM TABLE";
    case ttTable:
        break;
    }
    return "TABLE";
}

TTableType StringToTableType(std::string_view text)
{
    const std::string name = UpperCase(Trim(text));
    if (name == "VIEW")
        return ttView;
    if (name == "SYSTEM TABLE")
        return ttSystem;
    return ttTable;
}
