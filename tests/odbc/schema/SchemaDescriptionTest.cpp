// The schema description: its lists, the column rules, the component's properties and the stored
// form of tables and views.
#include "odbc/handles/Hdbc.h"
#include "odbc/schema/OESchema.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> TableNames(TOESchema& schema)
{
    std::vector<std::string> names;
    for (int i = 0; i < schema.Tables().GetCount(); ++i)
        names.push_back(schema.Tables().GetItem(i).Name());
    return names;
}

} // namespace

TEST(SchemaDescription, ListsMakeMoveAndFreeTheirItems)
{
    TOESchema schema;
    TSchemaTables& tables = schema.Tables();
    for (const char* name : {"A", "B", "C"})
        tables.GetItem(tables.AddItem()).SetName(name);
    tables.InsertItem(1);
    tables.GetItem(1).SetName("new");
    EXPECT_EQ(TableNames(schema), (std::vector<std::string>{"A", "new", "B", "C"}));
    tables.MoveItem(0, 3);
    EXPECT_EQ(TableNames(schema), (std::vector<std::string>{"new", "B", "C", "A"}));
    tables.ExchangeItems(0, 2);
    EXPECT_EQ(TableNames(schema), (std::vector<std::string>{"C", "B", "new", "A"}));
    tables.DeleteItem(1);
    EXPECT_EQ(TableNames(schema), (std::vector<std::string>{"C", "new", "A"}));
    EXPECT_THROW(tables.GetItem(3), EListError);
    EXPECT_THROW(tables.InsertItem(4), EListError);
    EXPECT_THROW(tables.MoveItem(0, 3), EListError);

    // Items are linked to the lists that made them.
    TSchemaTable& table = tables.GetItem(0);
    EXPECT_EQ(&table.Tables(), &tables);
    EXPECT_EQ(&tables.Schema(), &schema);
    TSchemaIndex& index = table.Indexes().GetItem(table.Indexes().AddItem());
    EXPECT_EQ(&index.Indexes().Table(), &table);
    TSchemaView& view = schema.Views().GetItem(schema.Views().AddItem());
    EXPECT_EQ(&view.Views().Schema(), &schema);

    schema.Clear();
    EXPECT_EQ(schema.Tables().GetCount(), 0);
    EXPECT_EQ(schema.Views().GetCount(), 0);
}

TEST(SchemaDescription, ColumnRules)
{
    TOESchema schema;
    TSchemaTable& table = schema.Tables().GetItem(schema.Tables().AddItem());
    TSchemaColumn& column = table.Columns().GetItem(table.Columns().AddItem());
    EXPECT_EQ(column.DataType(), 1);
    EXPECT_EQ(column.Precision(), 0);
    EXPECT_EQ(column.Constraints(), 0u);
    column.SetPrecision(20);
    column.SetPrecision(-1);
    EXPECT_EQ(column.Precision(), 20);
    column.SetForeignColumn("Id");
    EXPECT_EQ(column.ForeignColumn(), "") << "no foreign table yet";
    column.SetForeignTable("Orders");
    column.SetForeignColumn("Id");
    column.SetForeignTable("Orders");
    EXPECT_EQ(column.ForeignColumn(), "Id") << "the same table keeps the column";
    column.SetForeignTable("Invoices");
    EXPECT_EQ(column.ForeignColumn(), "");
}

TEST(SchemaDescription, ExecMarkerIsTrimmedAndNeverBlank)
{
    TOESchema schema;
    EXPECT_EQ(schema.ExecMarker(), "go");
    schema.SetExecMarker("  ;;  ");
    EXPECT_EQ(schema.ExecMarker(), ";;");
    schema.SetExecMarker("   ");
    EXPECT_EQ(schema.ExecMarker(), ";;");
    EXPECT_FALSE(schema.NameConstraints());
    EXPECT_FALSE(schema.ScriptMode());
}

TEST(SchemaDescription, FindsItsConnectionAmongTheOwnersComponentsAndForgetsItWhenItGoes)
{
    TComponent form;
    auto* before = new TOESchema(&form);
    EXPECT_EQ(before->hDbc(), nullptr);
    auto* connection = new THdbc(&form);
    EXPECT_EQ(before->hDbc(), connection) << "a connection added later is taken";
    auto* after = new TOESchema(&form);
    EXPECT_EQ(after->hDbc(), connection);
    EXPECT_EQ(after->Statement().hDbc(), connection);

    TComponent elsewhere;
    auto* foreign = new THdbc(&elsewhere);
    after->SetHdbc(foreign);
    delete foreign;
    EXPECT_EQ(after->hDbc(), nullptr) << "a connection of another owner is followed too";
    EXPECT_EQ(after->Statement().hDbc(), nullptr);
    delete connection;
    EXPECT_EQ(before->hDbc(), nullptr);
}

TEST(SchemaDescription, TablesAndViewsGoIntoTheFormResourceAndComeBack)
{
    TOESchema schema;
    schema.SetName("Schema1");
    schema.SetExecMarker("GO;");
    schema.SetNameConstraints(true);
    TSchemaTable& table = schema.Tables().GetItem(schema.Tables().AddItem());
    table.SetOwner("sales");
    table.SetName("Order Items");
    TSchemaColumn& column = table.Columns().GetItem(table.Columns().AddItem());
    column.SetName("Item");
    column.SetDataType(12);
    column.SetPrecision(40);
    column.SetConstraints(ccNotNull | ccUnique);
    column.SetDefault("'x'");
    column.SetForeignTable("Items");
    column.SetForeignColumn("Id");
    TSchemaIndex& index = table.Indexes().GetItem(table.Indexes().AddItem());
    index.SetName("ByItem");
    index.SetUnique(true);
    index.Columns().Add("Item DESC");
    schema.Tables().AddItem(); // an empty table stays an entry
    TSchemaView& view = schema.Views().GetItem(schema.Views().AddItem());
    view.SetName("V");
    view.Columns().Add("A");
    view.SetSQL("SELECT 1");

    TMemoryStream stream;
    TWriter(stream).WriteComponent(schema);
    stream.SetPosition(0);
    TOESchema read;
    TReader(stream).ReadComponent(read);

    EXPECT_EQ(read.Name(), "Schema1");
    EXPECT_EQ(read.ExecMarker(), "GO;");
    EXPECT_TRUE(read.NameConstraints());
    ASSERT_EQ(read.Tables().GetCount(), 2);
    const TSchemaTable& t = read.Tables().GetItem(0);
    EXPECT_EQ(t.Owner(), "sales");
    EXPECT_EQ(t.Name(), "Order Items");
    ASSERT_EQ(t.Columns().GetCount(), 1);
    const TSchemaColumn& c = t.Columns().GetItem(0);
    EXPECT_EQ(c.Name(), "Item");
    EXPECT_EQ(c.DataType(), 12);
    EXPECT_EQ(c.Precision(), 40);
    EXPECT_EQ(c.Constraints(), ccNotNull | ccUnique);
    EXPECT_EQ(c.Default(), "'x'");
    EXPECT_EQ(c.ForeignTable(), "Items");
    EXPECT_EQ(c.ForeignColumn(), "Id");
    ASSERT_EQ(t.Indexes().GetCount(), 1);
    EXPECT_EQ(t.Indexes().GetItem(0).Name(), "ByItem");
    EXPECT_TRUE(t.Indexes().GetItem(0).Unique());
    EXPECT_EQ(t.Indexes().GetItem(0).Columns().Lines(), std::vector<std::string>{"Item DESC"});
    EXPECT_EQ(read.Tables().GetItem(1).Columns().GetCount(), 0);
    ASSERT_EQ(read.Views().GetCount(), 1);
    EXPECT_EQ(read.Views().GetItem(0).Name(), "V");
    EXPECT_EQ(read.Views().GetItem(0).Columns().Lines(), std::vector<std::string>{"A"});
    EXPECT_EQ(read.Views().GetItem(0).SQL(), "SELECT 1");
}

// A stored form written elsewhere: the setters' rules apply while it is read.
TEST(SchemaDescription, ReadingAppliesTheColumnRules)
{
    TMemoryStream stream;
    {
        TWriter w(stream);
        w.WriteListBegin();
        w.WriteString("OE5.02");
        w.WriteListBegin();
        w.WriteString("");
        w.WriteString("T");
        w.WriteListBegin();
        w.WriteString("A");
        w.WriteInteger(4);
        w.WriteInteger(-7); // a negative precision
        w.WriteInteger(0);
        w.WriteString("");
        w.WriteString("");   // no foreign table ...
        w.WriteString("Id"); // ... so its column is dropped
        w.WriteListEnd();
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
    }
    stream.SetPosition(0);
    TOESchema schema;
    TReader reader(stream);
    // The property's value is read by the routine the schema declared for "Tables".
    struct Capture : TFiler
    {
        using TFiler::TFiler;
        TReaderProc read;
        void DefineProperty(const std::string& name, const TReaderProc& r, const TWriterProc&, bool) override
        {
            if (name == "Tables")
                read = r;
        }
    } capture(stream);
    schema.Tables().DefineProperties(capture);
    ASSERT_TRUE(capture.read);
    capture.read(reader);
    ASSERT_EQ(schema.Tables().GetCount(), 1);
    const TSchemaColumn& column = schema.Tables().GetItem(0).Columns().GetItem(0);
    EXPECT_EQ(column.Precision(), 0);
    EXPECT_EQ(column.ForeignColumn(), "");
}
