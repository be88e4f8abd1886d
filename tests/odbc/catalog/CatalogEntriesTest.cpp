// TOECatalog without a database: table-type names, the entry parsers and the lists.
#include "odbc/base/OcihError.h"
#include "odbc/catalog/OECatalog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

TEST(CatalogTableType, NamesBothWays)
{
    EXPECT_EQ(TableTypeToString(ttTable), "TABLE");
    EXPECT_EQ(TableTypeToString(ttView), "VIEW");
    EXPECT_EQ(TableTypeToString(ttSystem), "SYSTEM TABLE");
    const struct
    {
        const char* text;
        TTableType type;
    } cases[] = {
        {"TABLE", ttTable}, {" view ", ttView},       {"System Table", ttSystem},    {"SYNONYM", ttTable},
        {"", ttTable},      {"SYSTEM VIEW", ttTable}, {"GLOBAL TEMPORARY", ttTable},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringToTableType(c.text), c.type) << "'" << c.text << "'";
}

TEST(CatalogEntries, ForeignKeysSplitIntoTheirFourParts)
{
    const struct
    {
        const char* entry;
        const char* column;
        const char* owner;
        const char* table;
        const char* foreignColumn;
    } cases[] = {
        {"CustomerId;sales.Customers;Id", "CustomerId", "sales", "Customers", "Id"},
        {"CustId;Customers;Id", "CustId", "", "Customers", "Id"},
        {" a ; s . t ; b ", "a", "s", " t", "b"}, // the table after the "." keeps its blanks
        {"a;s.t.u;b", "a", "s", "t.u", "b"},
    };
    for (const auto& c : cases) {
        std::string column = "x", owner = "x", table = "x", foreignColumn = "x";
        TOECatalog::ParseForeignKey(c.entry, column, owner, table, foreignColumn);
        EXPECT_EQ(column, c.column) << c.entry;
        EXPECT_EQ(owner, c.owner) << c.entry;
        EXPECT_EQ(table, c.table) << c.entry;
        EXPECT_EQ(foreignColumn, c.foreignColumn) << c.entry;
    }
    for (const char* bad : {"a;b;c;d", "a;b", "ab", ""}) {
        std::string column, owner, table, foreignColumn;
        try {
            TOECatalog::ParseForeignKey(bad, column, owner, table, foreignColumn);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const RIDIZOrurori& e) {
            EXPECT_STREQ(e.what(), "Invalid foreign key format.") << bad;
        }
    }
}

TEST(CatalogEntries, IndexesSplitIntoNameFlagAndColumns)
{
    const struct
    {
        const char* entry;
        const char* name;
        bool unique;
        std::vector<std::string> columns;
    } cases[] = {
        {"PK_Orders;U;OrderId,LineNo", "PK_Orders", true, {"OrderId", "LineNo"}},
        {"ix;N;a", "ix", false, {"a"}},
        {"PK;u;Id", "PK", false, {"Id"}},               // the flag is compared with its case
        {" ix ; U ; a , b ", "ix", true, {"a ", " b"}}, // the pieces keep their blanks
        {"ix;N;", "ix", false, {""}},
    };
    for (const auto& c : cases) {
        std::string name;
        bool unique = !c.unique;
        TStringList columns;
        columns.Add("left over");
        TOECatalog::ParseIndex(c.entry, name, unique, columns);
        EXPECT_EQ(name, c.name) << c.entry;
        EXPECT_EQ(unique, c.unique) << c.entry;
        EXPECT_EQ(columns.Lines(), c.columns) << c.entry;
    }
    for (const char* bad : {"ix;U;a;b", "ix;U", "ix", ""}) {
        std::string name;
        bool unique = false;
        TStringList columns;
        try {
            TOECatalog::ParseIndex(bad, name, unique, columns);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const RIDIZOrurori& e) {
            EXPECT_STREQ(e.what(), "Invalid index format.") << bad;
        }
    }
}

TEST(CatalogLists, OwnTheirItemsAndRefuseBadIndexes)
{
    TOECatalog catalog;
    TCatalogTables tables(catalog);
    TCatalogTable* first = tables.AddItem();
    first->SetName("a");
    tables.AddItem()->SetName("b");
    EXPECT_EQ(tables.GetCount(), 2);
    EXPECT_EQ(&first->Catalog(), &catalog);
    EXPECT_EQ(first->TableType(), ttTable);
    EXPECT_EQ(tables.GetItem(1)->Name(), "b");
    tables.SetItem(0, nullptr); // does nothing
    EXPECT_EQ(tables.GetItem(0), first);
    EXPECT_THROW(tables.GetItem(2), EListError);
    EXPECT_THROW(tables.GetItem(-1), EListError);
    tables.FreeItems();
    EXPECT_EQ(tables.GetCount(), 0);

    TCatalogColumns columns;
    const TCatalogColumn* column = columns.AddItem();
    EXPECT_TRUE(column->Name.empty());
    EXPECT_EQ(column->ColumnType, 0);
    EXPECT_EQ(column->Precision, 0);
}

TEST(CatalogComponent, DefaultsAndMissingConnection)
{
    TComponent form;
    auto* catalog = new TOECatalog(&form);
    catalog->SetName("Catalog1");
    EXPECT_EQ(catalog->hDbc(), nullptr);
    EXPECT_EQ(catalog->TableName(), "%");
    EXPECT_EQ(catalog->ProcedureName(), "%");
    EXPECT_TRUE(catalog->TableOwner().empty());
    EXPECT_EQ(catalog->TableType(), (TTableTypeSet{ttTable, ttView}));
    for (const auto& read : {std::function<void()>([&] { catalog->GetTables(); }),
                             std::function<void()>([&] { catalog->GetProcedureNames(); })}) {
        try {
            read();
            ADD_FAILURE() << "no error without a connection";
        } catch (const RIDIZOrurori& e) {
            EXPECT_STREQ(e.what(), "Property Hdbc of Catalog1 not set.");
        }
    }
}

} // namespace
