// The data-definition statements made from a schema description, without a database: the driver's
// type names come from a stand-in.
#include "odbc/base/OcihError.h"
#include "odbc/schema/OESchema.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// The type names a driver might give: INTEGER, and VARCHAR with the length put in.
std::string TypeName(std::int16_t type, std::int32_t precision)
{
    if (type == SQL_INTEGER)
        return "INTEGER";
    if (type == SQL_VARCHAR)
        return "VARCHAR(" + std::to_string(precision) + ")";
    return "";
}

struct ColumnSpec
{
    ColumnSpec(std::string n, std::int16_t t = SQL_INTEGER, std::int32_t p = 0, TColumnConstraints c = 0,
               std::string d = "", std::string ft = "", std::string fc = "")
        : name(std::move(n)), type(t), precision(p), constraints(c), defaultValue(std::move(d)),
          foreignTable(std::move(ft)), foreignColumn(std::move(fc))
    {
    }
    std::string name;
    std::int16_t type;
    std::int32_t precision;
    TColumnConstraints constraints;
    std::string defaultValue, foreignTable, foreignColumn;
};

TSchemaTable& AddTable(TOESchema& schema, const std::string& owner, const std::string& name,
                       const std::vector<ColumnSpec>& columns)
{
    TSchemaTable& table = schema.Tables().GetItem(schema.Tables().AddItem());
    table.SetOwner(owner);
    table.SetName(name);
    for (const ColumnSpec& spec : columns) {
        TSchemaColumn& column = table.Columns().GetItem(table.Columns().AddItem());
        column.SetName(spec.name);
        column.SetDataType(spec.type);
        column.SetPrecision(spec.precision);
        column.SetConstraints(spec.constraints);
        column.SetDefault(spec.defaultValue);
        column.SetForeignTable(spec.foreignTable);
        column.SetForeignColumn(spec.foreignColumn);
    }
    return table;
}

TSchemaIndex& AddIndex(TSchemaTable& table, const std::string& name, bool unique,
                       const std::vector<std::string>& columns)
{
    TSchemaIndex& index = table.Indexes().GetItem(table.Indexes().AddItem());
    index.SetName(name);
    index.SetUnique(unique);
    for (const std::string& column : columns)
        index.Columns().Add(column);
    return index;
}

} // namespace

TEST(SchemaStatements, CreateTable)
{
    struct Case
    {
        const char* name;
        bool nameConstraints;
        std::string owner, table;
        std::vector<ColumnSpec> columns;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"named constraints count up in order; two blanks before a table clause",
         true,
         "",
         "Order Items",
         {{"Id", SQL_INTEGER, 0, ccNotNull | ccPrimaryKey}, {"Item Name", SQL_VARCHAR, 40, 0, "'none'"}},
         "CREATE TABLE \"Order Items\" (Id INTEGER CONSTRAINT Order_ItemsConstraint1 NOT NULL, \"Item Name\" "
         "VARCHAR(40) DEFAULT 'none',  CONSTRAINT Order_ItemsConstraint2 PRIMARY KEY (Id))"},
        {"unnamed constraints, a key of two columns, an owner",
         false,
         "sales",
         "Lines",
         {{"OrderId", SQL_INTEGER, 0, ccPrimaryKey}, {"Line", SQL_INTEGER, 0, ccPrimaryKey | ccUnique}},
         "CREATE TABLE sales.Lines (OrderId INTEGER, Line INTEGER UNIQUE,  PRIMARY KEY (OrderId, Line))"},
        {"a blank default is left out",
         false,
         "",
         "T",
         {{"A", SQL_INTEGER, 0, 0, "   "}},
         "CREATE TABLE T (A INTEGER)"},
        {"referenced tables are quoted like the table itself",
         true,
         "",
         "Order Lines",
         {{"Item", SQL_INTEGER, 0, 0, "", "Order Items", "Id"},
          {"Cust", SQL_INTEGER, 0, 0, "", "my shop.Customer List", "Cust No"}},
         "CREATE TABLE \"Order Lines\" (Item INTEGER, Cust INTEGER,  CONSTRAINT Order_LinesConstraint1 "
         "FOREIGN KEY "
         "(Item) REFERENCES \"Order Items\" (Id),  CONSTRAINT Order_LinesConstraint2 FOREIGN KEY (Cust) "
         "REFERENCES "
         "\"my shop\".\"Customer List\" (\"Cust No\"))"},
        {"a foreign key without its column ends in empty parentheses",
         false,
         "",
         "T",
         {{"Ref", SQL_INTEGER, 0, 0, "", "Other", ""}},
         "CREATE TABLE T (Ref INTEGER,  FOREIGN KEY (Ref) REFERENCES Other ())"},
        {"no name: nothing", false, "", "  ", {{"A"}}, ""},
        {"no columns: nothing", false, "", "Empty", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOESchema schema;
        const TSchemaTable& table = AddTable(schema, c.owner, c.table, c.columns);
        EXPECT_EQ(CreateTableStatement(table, c.nameConstraints, TypeName), c.expected);
    }
}

TEST(SchemaStatements, ATypeTheDriverCannotNameStopsTheTable)
{
    TOESchema schema;
    const TSchemaTable& table =
        AddTable(schema, "", "Order Items", {{"Id"}, {"Picture", SQL_LONGVARBINARY}, {"After"}});
    try {
        CreateTableStatement(table, false, TypeName);
        FAIL() << "no error";
    } catch (const RIDIZOrurori& e) {
        EXPECT_EQ(e.Message(), "Data type for column \"Picture\" in table \"Order Items\" not supported.");
    }
}

TEST(SchemaStatements, IndexColumnsKeepTheirOrderOutsideTheQuotes)
{
    struct Case
    {
        const char* name;
        std::string owner, table, index;
        bool unique;
        std::vector<std::string> columns;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"plain", "", "People", "ByName", false, {"Name"}, "CREATE INDEX ByName ON People (Name)"},
        {"orders split before quoting",
         "",
         "People",
         "By Last",
         true,
         {"Last Name DESC", "First Name ASC", "Age", "Town  DESC"},
         "CREATE UNIQUE INDEX \"By Last\" ON People (\"Last Name\" DESC, \"First Name\" ASC, Age, Town "
         "DESC)"},
        {"lower-case endings belong to the name",
         "",
         "T",
         "I",
         false,
         {"Name asc"},
         "CREATE INDEX I ON T (\"Name asc\")"},
        {"owner", "hr", "Staff", "ByNo", false, {"No"}, "CREATE INDEX ByNo ON hr.Staff (No)"},
        {"no index name: nothing", "", "T", " ", false, {"A"}, ""},
        {"no table name: nothing", "", "", "I", false, {"A"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOESchema schema;
        TSchemaTable& table = AddTable(schema, c.owner, c.table, {{"A"}});
        EXPECT_EQ(CreateIndexStatement(AddIndex(table, c.index, c.unique, c.columns)), c.expected);
    }
}

TEST(SchemaStatements, SplitColumn)
{
    struct Case
    {
        const char *text, *name, *order;
    };
    for (const Case c :
         {Case{"Name", "Name", "0"}, Case{"Name  ", "Name", "0"}, Case{"Name ASC", "Name", "1"},
          Case{"Name DESC", "Name", "2"}, Case{"Last Name  DESC", "Last Name", "2"},
          Case{"Name DESC ", "Name", "2"}, Case{" ASC", " ASC", "0"}, Case{" DESC", " DESC", "0"},
          Case{"Name desc", "Name desc", "0"}, Case{"ASCENDING", "ASCENDING", "0"}}) {
        SCOPED_TRACE(c.text);
        std::string name, order;
        TOESchema::SplitColumn(c.text, name, order);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(order, c.order);
    }
}

TEST(SchemaStatements, ViewsAndDrops)
{
    TOESchema schema;
    TSchemaView& view = schema.Views().GetItem(schema.Views().AddItem());
    view.SetName("Big Orders");
    view.SetSQL("SELECT Id, Total FROM Orders WHERE Total > 100");
    EXPECT_EQ(CreateViewStatement(view),
              "CREATE VIEW \"Big Orders\" AS SELECT Id, Total FROM Orders WHERE Total > 100");
    view.SetOwner("sales");
    view.Columns().Add("Order No");
    view.Columns().Add("Total");
    EXPECT_EQ(CreateViewStatement(view), "CREATE VIEW sales.\"Big Orders\" (\"Order No\", Total) AS SELECT "
                                         "Id, Total FROM Orders WHERE Total > 100");
    view.Columns().SetStrings(0, " ");
    EXPECT_EQ(CreateViewStatement(view),
              "CREATE VIEW sales.\"Big Orders\" AS SELECT Id, Total FROM Orders WHERE "
              "Total > 100")
        << "a blank first column name leaves the list out";
    EXPECT_EQ(DropViewStatement(view), "DROP VIEW sales.\"Big Orders\"");

    TSchemaTable& table = AddTable(schema, "sales", "Order Items", {{"A"}});
    TSchemaIndex& index = AddIndex(table, "By Item", false, {"A"});
    EXPECT_EQ(DropIndexStatement(index, TDropIndexForm::AfterTable),
              "DROP INDEX sales.\"Order Items\".\"By Item\"");
    EXPECT_EQ(DropIndexStatement(index, TDropIndexForm::InSchema), "DROP INDEX sales.\"By Item\"");
    EXPECT_EQ(DropTableStatement(table), "DROP TABLE sales.\"Order Items\"");
    table.SetOwner("");
    EXPECT_EQ(DropIndexStatement(index, TDropIndexForm::InSchema), "DROP INDEX \"By Item\"");
    index.SetName("");
    EXPECT_EQ(DropIndexStatement(index, TDropIndexForm::AfterTable), "");
    view.SetName("  ");
    EXPECT_EQ(DropViewStatement(view), "");
    EXPECT_EQ(CreateViewStatement(view), "");
}
