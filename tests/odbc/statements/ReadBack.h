#pragma once
// ReadBack: what a table holds, read with direct driver calls (not through the statement class under
// test), whole however long it is.
#include "odbc/handles/Hdbc.h"

#include <optional>
#include <string>
#include <vector>

// The first column of every row of sql, as text (SQL_C_CHAR) or bytes (SQL_C_BINARY); NULL gives
// an empty optional.
std::vector<std::optional<std::string>> ReadColumn(THdbc& c, const std::string& sql, short cType = 1);
// The first column of the first row; an empty optional for NULL or no row.
std::optional<std::string> ReadValue(THdbc& c, const std::string& sql, short cType = 1);
// A binary column's SQL type name on the test's database ("BYTEA" on PostgreSQL, else "LONGVARBINARY").
std::string BinaryType(THdbc& c);
