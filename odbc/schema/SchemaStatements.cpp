// The data-definition statements of the schema description.
#include "odbc/schema/SchemaStatements.h"

#include "odbc/base/OcihError.h"
#include "odbc/base/OcihText.h"
#include "odbc/schema/SchemaIndex.h"
#include "odbc/schema/SchemaTable.h"
#include "odbc/schema/SchemaView.h"
#include "platform/core/StringUtils.h"

#include <algorithm>

namespace {

bool Blank(std::string_view text)
{
    return Trim(text).empty();
}

bool EndsWith(std::string_view text, std::string_view ending)
{
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

// A foreign table as written may carry its owner ("sales.Orders"): each part is quoted as the
// table's own name is. A name already holding a double quote is taken as written.
std::string ReferencedTable(const std::string& table)
{
    const std::size_t dot = table.find('.');
    if (dot == std::string::npos || table.find('"') != std::string::npos)
        return Quoted(table);
    return SchemaPrefix(std::string_view(table).substr(0, dot), std::string_view(table).substr(dot + 1));
}

std::string IndexColumn(const std::string& entry)
{
    std::string name;
    std::string order;
    SplitColumn(entry, name, order);
    // The order follows the quoted name, or "Last Name DESC" would become one quoted name.
    return Quoted(name) + (order == "1" ? " ASC" : order == "2" ? " DESC" : "");
}

} // namespace

std::string SchemaPrefix(std::string_view owner, std::string_view name)
{
    if (owner.empty())
        return Quoted(name);
    return Quoted(owner) + "." + Quoted(name);
}

void SplitColumn(std::string_view text, std::string& name, std::string& order)
{
    const std::string entry = TrimRight(text);
    name = entry;
    order = "0";
    if (entry.size() > 4 && EndsWith(entry, " ASC")) {
        name = TrimRight(std::string_view(entry).substr(0, entry.size() - 4));
        order = "1";
    } else if (entry.size() > 5 && EndsWith(entry, " DESC")) {
        name = TrimRight(std::string_view(entry).substr(0, entry.size() - 5));
        order = "2";
    }
}

std::string CreateTableStatement(const TSchemaTable& table, bool nameConstraints, const TTypeNamer& typeName)
{
    const TSchemaColumns& columns = table.Columns();
    if (Blank(table.Name()) || columns.GetCount() == 0)
        return {};
    std::string base = table.Name();
    std::replace(base.begin(), base.end(), ' ', '_');
    base += "Constraint";
    int counter = 0;
    std::string s = "CREATE TABLE " + SchemaPrefix(table.Owner(), table.Name()) + " (";
    const auto nameNext = [&] {
        if (nameConstraints)
            s += " CONSTRAINT " + base + std::to_string(++counter);
    };

    for (int c = 0; c < columns.GetCount(); ++c) {
        const TSchemaColumn& column = columns.GetItem(c);
        const std::string type = typeName(column.DataType(), column.Precision());
        if (Blank(type))
            throw RIDIZOrurori("Data type for column \"" + column.Name() + "\" in table \"" + table.Name() +
                               "\" not supported.");
        s += Quoted(column.Name()) + " " + type;
        if (!Blank(column.Default()))
            s += " DEFAULT " + column.Default();
        if (column.Has(ccNotNull)) {
            nameNext();
            s += " NOT NULL";
        }
        if (column.Has(ccUnique)) {
            nameNext();
            s += " UNIQUE";
        }
        s += ", ";
    }

    bool anyKey = false;
    for (int c = 0; c < columns.GetCount(); ++c) {
        const TSchemaColumn& column = columns.GetItem(c);
        if (!column.Has(ccPrimaryKey))
            continue;
        if (!anyKey) {
            nameNext();
            s += " PRIMARY KEY (" + Quoted(column.Name());
            anyKey = true;
        } else {
            s += ", " + Quoted(column.Name());
        }
    }
    if (anyKey)
        s += "), ";

    for (int c = 0; c < columns.GetCount(); ++c) {
        const TSchemaColumn& column = columns.GetItem(c);
        if (column.ForeignTable().empty())
            continue;
        nameNext();
        s += " FOREIGN KEY (" + Quoted(column.Name()) + ") REFERENCES " +
             ReferencedTable(column.ForeignTable()) + " (" + Quoted(column.ForeignColumn()) + "), ";
    }

    s.resize(s.size() - 2);
    return s + ")";
}

std::string CreateIndexStatement(const TSchemaIndex& index)
{
    const TSchemaTable& table = index.Indexes().Table();
    if (Blank(table.Name()) || Blank(index.Name()))
        return {};
    std::string s = index.Unique() ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
    s += Quoted(index.Name()) + " ON " + SchemaPrefix(table.Owner(), table.Name()) + " (";
    const std::vector<std::string>& entries = index.Columns().Lines();
    for (std::size_t i = 0; i < entries.size(); ++i)
        s += (i > 0 ? ", " : "") + IndexColumn(entries[i]);
    return s + ")";
}

std::string CreateViewStatement(const TSchemaView& view)
{
    if (Blank(view.Name()))
        return {};
    std::string s = "CREATE VIEW " + SchemaPrefix(view.Owner(), view.Name());
    const std::vector<std::string>& names = view.Columns().Lines();
    if (!names.empty() && !Blank(names.front())) {
        s += " (";
        for (std::size_t i = 0; i < names.size(); ++i)
            s += (i > 0 ? ", " : "") + Quoted(names[i]);
        s += ")";
    }
    return s + " AS " + view.SQL();
}

std::string DropIndexStatement(const TSchemaIndex& index, TDropIndexForm form)
{
    if (index.Name().empty())
        return {};
    const TSchemaTable& table = index.Indexes().Table();
    if (form == TDropIndexForm::InSchema)
        return "DROP INDEX " + SchemaPrefix(table.Owner(), index.Name());
    return "DROP INDEX " + SchemaPrefix(table.Owner(), table.Name()) + "." + Quoted(index.Name());
}

std::string DropTableStatement(const TSchemaTable& table)
{
    if (table.Name().empty())
        return {};
    return "DROP TABLE " + SchemaPrefix(table.Owner(), table.Name());
}

std::string DropViewStatement(const TSchemaView& view)
{
    if (Blank(view.Name()))
        return {};
    return "DROP VIEW " + SchemaPrefix(view.Owner(), view.Name());
}
