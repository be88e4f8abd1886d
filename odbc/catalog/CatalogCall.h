#pragma once
// The catalog's way of running one ODBC catalog function: on a newly allocated statement handle, its
// return code checked like every call of the library, its rows then read through the statement's
// fetch and typed cells. For the catalog's own files.
#include <cstdint>
#include <functional>
#include <string>

class TCatalogColumns;
class THdbc;
class THstmt;
class TOECatalog;

namespace CatalogCall {

// Frees the statement's handle (a reused handle keeps columns of the last result on some drivers),
// allocates a new one and runs call on it. Raises EODBC when the function fails; false when it
// failed without raising (a vetoed or suppressed failure): the caller then changes nothing.
bool Run(THstmt& statement, const std::function<std::int16_t(void* handle)>& call);

// name for a pattern argument (the schema and table of SQLColumns, the schema and procedure of
// SQLProcedureColumns) so that it matches only itself: "_" and "%" are literal characters in names.
// Drivers that have no escape character get the name as it is; their rows are then sifted by the
// caller.
std::string LiteralPattern(THdbc& connection, const std::string& name);

// A name argument of a catalog function: an empty text is no argument at all (a null pointer with
// length 0), never an empty name.
unsigned char* Arg(const std::string& text);
short ArgLength(const std::string& text);

// A row of a listing belongs to the object asked for: the names are equal, and so are the owners
// when one was asked for.
bool SameObject(const std::string& owner, const std::string& name, const std::string& rowOwner,
                const std::string& rowName);

// A procedure's name as the catalog keeps it: some drivers add ";<number>" (the procedure's group),
// which is cut off; then trimmed.
std::string ProcedureName(const std::string& reported);

// The columns of the table owner.name (SQLColumns) or the parameters and result columns of the
// procedure owner.name (SQLProcedureColumns), read through the catalog's statement; they replace those
// in columns once every row is read, and a failed call leaves columns as they were.
void RetrieveColumns(TOECatalog& catalog, const std::string& owner, const std::string& name, bool procedure,
                     TCatalogColumns& columns);

} // namespace CatalogCall
