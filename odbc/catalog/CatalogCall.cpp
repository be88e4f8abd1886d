// The catalog's way of running one ODBC catalog function.
#include "odbc/catalog/CatalogCall.h"

#include "odbc/catalog/CatalogColumn.h"
#include "odbc/catalog/OECatalog.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Check.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/RunningCall.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/StringUtils.h"

#include <sqlext.h>

#include <vector>

namespace {

// Reads a column (or procedure parameter) from the current row of a SQLColumns or SQLProcedureColumns
// result: the name in column 4, the data type in column dataTypeCol and the other fields after it in
// the order both results share.
void ReadColumn(THstmt& statement, std::uint16_t dataTypeCol, TCatalogColumn& column)
{
    // SQLColumns:          4 name, 5 type, 6 type name, 7 size, 9 digits, 10 radix, 11 nullable,
    //                      12 remarks, 13 default
    // SQLProcedureColumns: 4 name, 5 kind, then the same one column further on
    const auto at = [&](std::uint16_t tableCol) {
        return static_cast<std::uint16_t>(tableCol + dataTypeCol - 5);
    };
    column.Name = statement.GetColString(4);
    column.DataType = statement.GetColSmallint(at(5));
    column.TypeName = statement.GetColString(at(6));
    column.Precision = statement.GetColInteger(at(7));
    column.Scale = statement.GetColSmallint(at(9));
    column.Radix = statement.GetColSmallint(at(10));
    column.Nullable = statement.GetColSmallint(at(11));
    column.Remarks = statement.GetColString(at(12));
    column.Default = statement.GetColString(at(13));
}

} // namespace

namespace CatalogCall {

bool Run(THstmt& statement, const std::function<std::int16_t(void* handle)>& call)
{
    statement.Terminate();
    void* handle = statement.GetHandle();
    if (handle == nullptr)
        return false;
    return CheckCall(statement, call(handle)) && statement.Initialized();
}

unsigned char* Arg(const std::string& text)
{
    return text.empty() ? nullptr : reinterpret_cast<unsigned char*>(const_cast<char*>(text.c_str()));
}

short ArgLength(const std::string& text)
{
    return static_cast<short>(text.size());
}

std::string LiteralPattern(THdbc& connection, const std::string& name)
{
    const std::string escape = connection.GetInfoString(SQL_SEARCH_PATTERN_ESCAPE);
    if (escape.empty())
        return name;
    // The escape is one character (ODBC names it a string, drivers give one).
    const char e = escape[0];
    std::string pattern;
    pattern.reserve(name.size() * 2);
    for (const char c : name) {
        if (c == '_' || c == '%' || c == e)
            pattern += e;
        pattern += c;
    }
    return pattern;
}

bool SameObject(const std::string& owner, const std::string& name, const std::string& rowOwner,
                const std::string& rowName)
{
    return rowName == name && (owner.empty() || rowOwner == owner);
}

std::string ProcedureName(const std::string& reported)
{
    return Trim(std::string_view(reported).substr(0, reported.find(';')));
}

void RetrieveColumns(TOECatalog& catalog, const std::string& owner, const std::string& name, bool procedure,
                     TCatalogColumns& columns)
{
    RunningCall running;
    catalog.CheckHdbc();
    THdbc& connection = *catalog.hDbc();
    THstmt& statement = catalog.Statement();
    connection.Connect();
    // The owner and name are patterns to both functions: a "_" in a name would also match others.
    const std::string ownerPattern = LiteralPattern(connection, owner);
    const std::string namePattern = LiteralPattern(connection, name);
    if (!Run(statement, [&](void* handle) {
            return procedure ? Oci::SQLProcedureColumns(handle, nullptr, 0, Arg(ownerPattern),
                                                        ArgLength(ownerPattern), Arg(namePattern),
                                                        ArgLength(namePattern), nullptr, 0)
                             : Oci::SQLColumns(handle, nullptr, 0, Arg(ownerPattern), ArgLength(ownerPattern),
                                               Arg(namePattern), ArgLength(namePattern), nullptr, 0);
        }))
        return;
    std::vector<TCatalogColumn> rows;
    while (statement.FetchNext()) {
        const std::string rowName = statement.GetColString(3);
        if (!SameObject(owner, name, statement.GetColString(2), procedure ? ProcedureName(rowName) : rowName))
            continue;
        TCatalogColumn& column = rows.emplace_back();
        // A procedure's parameter says its kind in column 5; every table column is a result column.
        column.ColumnType =
            procedure ? statement.GetColSmallint(5) : static_cast<std::int16_t>(SQL_RESULT_COL);
        ReadColumn(statement, procedure ? 6 : 5, column);
    }
    columns.FreeItems();
    for (TCatalogColumn& row : rows)
        *columns.AddItem() = std::move(row);
}

} // namespace CatalogCall
