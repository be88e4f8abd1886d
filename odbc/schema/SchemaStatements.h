#pragma once
// The data-definition statements made from the schema description: CREATE and DROP for tables,
// indexes and views. Each gives the empty text where the description names nothing to create or
// drop.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TSchemaIndex;
class TSchemaTable;
class TSchemaView;

// The qualified name every statement uses: Quoted(owner) + "." + Quoted(name), or Quoted(name)
// without an owner.
std::string SchemaPrefix(std::string_view owner, std::string_view name);

// Splits an index column entry into the name and its order: "0" none, "1" ascending (the entry ends
// in " ASC"), "2" descending (" DESC"); the endings are matched in upper case only.
void SplitColumn(std::string_view text, std::string& name, std::string& order);

// The driver's type name for an SQL type code and length or precision; empty when it has none.
using TTypeNamer = std::function<std::string(std::int16_t dataType, std::int32_t precision)>;

// CREATE TABLE with the columns' types, defaults and NOT NULL / UNIQUE constraints, then the primary
// key and the foreign keys; constraints are named <table>Constraint<n> when nameConstraints is set.
// RIDIZOrurori "Data type for column "<c>" in table "<t>" not supported." when the driver names no
// type for a column.
std::string CreateTableStatement(const TSchemaTable& table, bool nameConstraints, const TTypeNamer& typeName);
std::string CreateIndexStatement(const TSchemaIndex& index);
std::string CreateViewStatement(const TSchemaView& view);

// How a DBMS names the index to drop: after its table ("DROP INDEX owner.table.index", as the
// original form has it and Access and SQL Server take it), or in its schema ("DROP INDEX
// owner.index", as SQLite and PostgreSQL take it, where indexes live beside tables).
enum class TDropIndexForm
{
    AfterTable,
    InSchema,
};
std::string DropIndexStatement(const TSchemaIndex& index, TDropIndexForm form);
std::string DropTableStatement(const TSchemaTable& table);
std::string DropViewStatement(const TSchemaView& view);
