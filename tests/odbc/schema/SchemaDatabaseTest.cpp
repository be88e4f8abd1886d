// TOESchema against SQLite and PostgreSQL (when the test script started a cluster; mdbtools cannot
// make tables): a schema scripted, run, read back through the catalog and dropped, scripts run
// statement by statement, and drops in the form each DBMS takes. On PostgreSQL each test works in a
// schema of its own, which is also the tables' owner.
#include "fakes/FileText.h"
#include "fakes/TempFolder.h"
#include "odbc/base/OcihError.h"
#include "odbc/catalog/OECatalog.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/schema/OESchema.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/EachDatabase.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <sqlext.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>
#include <vector>

namespace {

class SchemaOnDatabase : public EachDatabase
{
protected:
    void SetUp() override
    {
        EachDatabase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ZIRA_REQUIRE(Writable(), "mdbtools opens Access files read-only, so no table can be made");
        if (Postgres()) {
            owner_ = "zs" + std::to_string(getpid());
            ASSERT_TRUE(SQL_SUCCEEDED(ExecSql(connection_, "DROP SCHEMA IF EXISTS " + owner_ + " CASCADE")));
            ASSERT_EQ(ExecSql(connection_, "CREATE SCHEMA " + owner_), SQL_SUCCESS);
        }
        schema_.SetHdbc(&connection_);
    }

    void TearDown() override
    {
        schema_.Terminate();
        if (Postgres() && !owner_.empty())
            ExecSql(connection_, "DROP SCHEMA " + owner_ + " CASCADE");
        EachDatabase::TearDown();
    }

    bool Postgres() const { return Database() == TestDatabase::Postgres; }
    // The qualified name of a table of this test.
    std::string Table(const std::string& name) const { return owner_.empty() ? name : owner_ + "." + name; }
    bool Exists(const std::string& table)
    {
        return SQL_SUCCEEDED(ExecSql(connection_, "SELECT * FROM " + table));
    }

    std::string Script(const std::string& text)
    {
        const std::string path = folder_.Path() + "script" + std::to_string(++scripts_) + ".sql";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    TSchemaTable& AddTable(const std::string& name, const std::vector<std::string>& indexes)
    {
        TSchemaTable& table = schema_.Tables().GetItem(schema_.Tables().AddItem());
        table.SetOwner(owner_);
        table.SetName(name);
        table.Columns().AddItem();
        for (const std::string& indexName : indexes) {
            TSchemaIndex& index = table.Indexes().GetItem(table.Indexes().AddItem());
            index.SetName(indexName);
            index.Columns().Add("A");
        }
        return table;
    }

    THdbc& connection_ = c;
    TOESchema schema_;
    std::string owner_;
    TempFolder folder_;
    int scripts_ = 0;
};

} // namespace

TEST_P(SchemaOnDatabase, RunScriptRunsEachStatementBetweenMarkerLines)
{
    const std::string t = Table("Numbers");
    const std::string script = "CREATE TABLE " + t +
                               " (A INTEGER, B VARCHAR(20))\r\n"
                               "GO\r\n"
                               "INSERT INTO " +
                               t +
                               " (A, B) VALUES (4, 'two\r\n"
                               "lines')\r\n"
                               "GO\r\n"
                               "-- a comment line ends with its line\n"
                               "INSERT INTO " +
                               t +
                               " (A, B) -- and so does this one\n"
                               "  VALUES (1, 'one')\n"
                               "  go  \n"
                               "INSERT INTO " +
                               t +
                               " (A, B) VALUES (2, 'two')\n"
                               "Go\n"
                               "\n"
                               "go\n"
                               "INSERT INTO " +
                               t + " (A, B) VALUES (3, 'three')";
    schema_.RunScript(Script(script));
    EXPECT_EQ(QueryLong(connection_, "SELECT COUNT(*) FROM " + t), 4);
    EXPECT_EQ(QueryLong(connection_, "SELECT SUM(A) FROM " + t), 10);
    EXPECT_EQ(QueryText(connection_, "SELECT B FROM " + t + " WHERE A = 1"), "one");
    // Lines are joined with a line break, the carriage returns of CR LF line ends dropped.
    EXPECT_EQ(QueryText(connection_, "SELECT B FROM " + t + " WHERE A = 4"), "two\nlines");
}

TEST_P(SchemaOnDatabase, AScriptWithoutMarkersIsOneStatementAndOnlyAnExactGoEndsOneUnderAnotherMarker)
{
    const std::string t = Table("Words");
    schema_.RunScript(Script("CREATE TABLE " + t + "\n(\n  W VARCHAR(10)\n)\n"));
    EXPECT_TRUE(Exists(t));

    schema_.SetExecMarker(";;");
    schema_.RunScript(Script("INSERT INTO " + t + " VALUES ('a')\n ;; \nINSERT INTO " + t +
                             " VALUES ('b')\ngo\nINSERT INTO " + t + " VALUES ('c')\n"));
    EXPECT_EQ(QueryLong(connection_, "SELECT COUNT(*) FROM " + t), 3);
}

TEST_P(SchemaOnDatabase, AFailingStatementNamesItsLineAndStopsTheScript)
{
    const std::string t = Table("Lines");
    const std::string script = "CREATE TABLE " + t +
                               " (A INTEGER)\n"
                               "go\n"
                               "\n"
                               "INSERT INTO " +
                               t +
                               "\n"
                               "  VALUES (1)\n"
                               "go\n"
                               "\n"
                               "INSERT INTO " +
                               Table("NoSuchTable") +
                               " VALUES (2)\n"
                               "go\n"
                               "INSERT INTO " +
                               t + " VALUES (3)\n";
    try {
        schema_.RunScript(Script(script));
        FAIL() << "no error";
    } catch (const EODBC& e) {
        // The text every handler of Exception shows; the records keep the driver's own.
        const std::string shown = static_cast<const Exception&>(e).Message();
        EXPECT_NE(shown.find("(script line 8)"), std::string::npos) << shown;
        EXPECT_EQ(e.Errors().front().Message.find("script line"), std::string::npos);
        EXPECT_GE(e.Count(), 1) << "the records stay with the error";
    }
    EXPECT_EQ(QueryLong(connection_, "SELECT SUM(A) FROM " + t), 1);
}

TEST_P(SchemaOnDatabase, DropTablesDropsIndexesInTheFormTheDbmsTakes)
{
    const std::string one = Table("One"), two = Table("Two");
    for (const std::string& sql :
         {"CREATE TABLE " + one + " (A INTEGER)", "CREATE INDEX IxOne ON " + one + " (A)",
          "CREATE TABLE " + two + " (A INTEGER)", "CREATE INDEX IxTwo ON " + two + " (A)"})
        ASSERT_EQ(ExecSql(connection_, sql), SQL_SUCCESS) << sql;
    AddTable("One", {"IxOne"});
    TSchemaTable& second = AddTable("Two", {"IxTwo"});
    // The form of the original is refused here: it reads the table as a schema or database.
    EXPECT_EQ(
        ExecSql(connection_, DropIndexStatement(second.Indexes().GetItem(0), TDropIndexForm::AfterTable)),
        SQL_ERROR);

    schema_.DropTables(false);
    EXPECT_FALSE(Exists(one));
    EXPECT_FALSE(Exists(two));
}

TEST_P(SchemaOnDatabase, DropTablesPassesOverMissingIndexesOnlyWhenAskedTo)
{
    const std::string one = Table("One"), two = Table("Two");
    for (const std::string& sql :
         {"CREATE TABLE " + one + " (A INTEGER)", "CREATE INDEX IxOne ON " + one + " (A)",
          "CREATE TABLE " + two + " (A INTEGER)"})
        ASSERT_EQ(ExecSql(connection_, sql), SQL_SUCCESS) << sql;
    AddTable("One", {"IxOne"});
    AddTable("Two", {"IxTwoNeverMade"});

    EXPECT_THROW(schema_.DropTables(false), EODBC);
    EXPECT_TRUE(Exists(one) && Exists(two)) << "the walk stops at the first failure";

    schema_.DropTables(true);
    EXPECT_FALSE(Exists(one));
    EXPECT_FALSE(Exists(two));
}

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A catalog list as lower-case text (PostgreSQL folds unquoted names to lower case), sorted where the
// driver's order means nothing.
std::vector<std::string> Lower(const TStringList& list, bool sorted = false)
{
    std::vector<std::string> lines;
    for (const std::string& line : list.Lines())
        lines.push_back(Lower(line));
    if (sorted)
        std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

// A form with two connections, Hdbc1 on a SQLite database of its own and Hdbc2 on this test's
// database, and the schema on Hdbc2: read back onto a form like it, the schema is on that form's
// Hdbc2 (not on the first connection it would take by itself), and its tables are made there.
TEST_P(SchemaOnDatabase, ASchemaOnTheSecondOfTwoConnectionsComesBackOnIt)
{
    const auto place = [this](TComponent& form) {
        auto* first = new THdbc(&form);
        first->SetName("Hdbc1");
        UseNewSqlite(*first);
        auto* second = new THdbc(&form);
        second->SetName("Hdbc2");
        second->SetDriver(connection_.Driver());
        second->SetAttributes(connection_.Attributes());
        return std::pair{first, second};
    };
    TComponent form;
    const auto [first, second] = place(form);
    auto* out = new TOESchema(&form);
    out->SetName("Schema1");
    ASSERT_EQ(out->hDbc(), first);
    out->SetHdbc(second);
    TSchemaTable& table = out->Tables().GetItem(out->Tables().AddItem());
    table.SetOwner(owner_);
    table.SetName("Streamed");
    TSchemaColumn& column = table.Columns().GetItem(table.Columns().AddItem());
    column.SetName("A");
    column.SetDataType(SQL_INTEGER);
    TMemoryStream s;
    TWriter(s).WriteComponent(*out);

    TComponent other;
    const auto [otherFirst, otherSecond] = place(other);
    auto* in = new TOESchema(&other);
    s.SetPosition(0);
    TReader(s).ReadComponent(*in);
    EXPECT_EQ(in->hDbc(), otherSecond);
    EXPECT_EQ(in->Statement().hDbc(), otherSecond);
    ASSERT_EQ(in->Tables().GetCount(), 1);

    in->LoadTables();
    EXPECT_TRUE(Exists(Table("Streamed"))) << "made on the connection the schema was on";
    EXPECT_FALSE(SQL_SUCCEEDED(ExecSql(*otherFirst, "SELECT * FROM " + Table("Streamed"))));
    in->DropTables(false);
    in->Terminate();
    out->Terminate();
}

ZIRA_ON_EACH_DATABASE(SchemaOnDatabase);

// The schema the tests below script, run, read back and drop: two tables (keys, a foreign key, a
// default, a unique index with orders) and a view.
class ShopSchemaOnDatabase : public SchemaOnDatabase
{
protected:
    void SetUp() override
    {
        SchemaOnDatabase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        schema_.SetNameConstraints(true);
        TSchemaTable& customers = AddTable("Customers", {});
        customers.Columns().Clear();
        Column(customers, "Id", SQL_INTEGER, 0, ccNotNull | ccPrimaryKey);
        Column(customers, "Full Name", SQL_VARCHAR, 40, ccNotNull);
        Column(customers, "Town", SQL_VARCHAR, 30, 0).SetDefault("'Wuhan'");
        Column(customers, "Born", SQL_TYPE_DATE, 0, 0);
        TSchemaIndex& byName = customers.Indexes().GetItem(customers.Indexes().AddItem());
        byName.SetName("By Name");
        byName.SetUnique(true);
        byName.Columns().Add("Full Name DESC");
        byName.Columns().Add("Town ASC");
        TSchemaTable& orders = AddTable("Orders", {});
        orders.Columns().Clear();
        Column(orders, "No", SQL_INTEGER, 0, ccPrimaryKey);
        TSchemaColumn& customer = Column(orders, "Customer", SQL_INTEGER, 0, 0);
        customer.SetForeignTable(Table("Customers"));
        customer.SetForeignColumn("Id");
        Column(orders, "Amount", SQL_DOUBLE, 0, 0);
        TSchemaView& view = schema_.Views().GetItem(schema_.Views().AddItem());
        view.SetOwner(owner_);
        view.SetName("Big Orders");
        view.Columns().Add("Order No");
        view.Columns().Add("Amount");
        view.SetSQL("SELECT No, Amount FROM " + Table("Orders") + " WHERE Amount > 100");
    }

    static TSchemaColumn& Column(TSchemaTable& table, const std::string& name, std::int16_t type,
                                 std::int32_t size, TColumnConstraints constraints)
    {
        TSchemaColumn& c = table.Columns().GetItem(table.Columns().AddItem());
        c.SetName(name);
        c.SetDataType(type);
        c.SetPrecision(size);
        c.SetConstraints(constraints);
        return c;
    }

    // The script expected, in the connected driver's names of the types used (SQLGetTypeInfo).
    std::string ExpectedScript() const
    {
        const std::string integer = Postgres() ? "int4" : "integer";
        const std::string dbl = Postgres() ? "float8" : "double";
        const std::string p = owner_.empty() ? "" : owner_ + ".";
        return "CREATE TABLE " + p + "Customers (Id " + integer +
               " CONSTRAINT CustomersConstraint1 NOT NULL, \"Full Name\" varchar(40) "
               "CONSTRAINT CustomersConstraint2 NOT "
               "NULL, Town varchar(30) DEFAULT 'Wuhan', Born date,  CONSTRAINT "
               "CustomersConstraint3 PRIMARY KEY (Id))\n"
               "go\n"
               "CREATE UNIQUE INDEX \"By Name\" ON " +
               p +
               "Customers (\"Full Name\" DESC, Town ASC)\n"
               "go\n"
               "CREATE TABLE " +
               p + "Orders (No " + integer + ", Customer " + integer + ", Amount " + dbl +
               ",  CONSTRAINT OrdersConstraint1 PRIMARY KEY (No),  CONSTRAINT "
               "OrdersConstraint2 FOREIGN KEY (Customer) "
               "REFERENCES " +
               p +
               "Customers (Id))\n"
               "go\n"
               "CREATE VIEW " +
               p + "\"Big Orders\" (\"Order No\", Amount) AS SELECT No, Amount FROM " + p +
               "Orders WHERE Amount > 100\n"
               "go\n"
               "DROP VIEW " +
               p +
               "\"Big Orders\"\n"
               "go\n"
               "DROP TABLE " +
               p +
               "Orders\n"
               "go\n"
               "DROP INDEX " +
               p +
               "\"By Name\"\n"
               "go\n"
               "DROP TABLE " +
               p +
               "Customers\n"
               "go\n";
    }

    // The schema's script, written to a file and read back.
    std::string GenScript()
    {
        const std::string scriptFile = folder_.Path() + "schema.sql";
        schema_.GenScript(scriptFile);
        return ReadAll(scriptFile);
    }

    // Runs the script's CREATE half (what stands before its first DROP); returns the DROP half.
    std::string RunCreateHalf()
    {
        const std::string script = GenScript();
        const std::size_t drops = script.find("DROP ");
        schema_.RunScript(Script(script.substr(0, drops)));
        return script.substr(drops);
    }

    // A catalog of this test's tables. PostgreSQL keeps them in the test's schema; SQLite has no
    // schemas, and an empty owner is any.
    void OnThisTestsTables(TOECatalog& catalog)
    {
        catalog.SetHdbc(&connection_);
        catalog.SetTableOwner(owner_);
    }
};

TEST_P(ShopSchemaOnDatabase, TheScriptIsWrittenInTheDriversTypeNamesAndRunsNothing)
{
    const std::string script = GenScript();
    EXPECT_FALSE(schema_.ScriptMode());
    ASSERT_EQ(script, ExpectedScript());
    EXPECT_FALSE(Exists(Table("Customers"))) << "scripting runs nothing";
}

TEST_P(ShopSchemaOnDatabase, TheCreateHalfMakesTheTablesColumnsAndViewTheCatalogReadsBack)
{
    RunCreateHalf();
    TOECatalog catalog;
    OnThisTestsTables(catalog);
    EXPECT_EQ(Lower(catalog.GetTableNames(), true),
              (std::vector<std::string>{"big orders", "customers", "orders"}));
    TCatalogTable* const customersTable = catalog.TableByName(owner_, "Customers");
    ASSERT_NE(customersTable, nullptr);
    ASSERT_NE(catalog.TableByName(owner_, "Orders"), nullptr);
    EXPECT_EQ(customersTable->TableType(), ttTable);
    ASSERT_NE(catalog.TableByName(owner_, "Big Orders"), nullptr);
    EXPECT_EQ(catalog.TableByName(owner_, "Big Orders")->TableType(), ttView);

    // Name, type, text width and nullability; the drivers differ in the sizes of other types.
    std::vector<std::string> columns;
    for (int i = 0; i < customersTable->GetColumns().GetCount(); ++i) {
        const TCatalogColumn& read = *customersTable->GetColumns().GetItem(i);
        columns.push_back(Lower(read.Name) + " " + std::to_string(read.DataType) +
                          (read.DataType == SQL_VARCHAR ? "(" + std::to_string(read.Precision) + ")" : "") +
                          (read.Nullable == SQL_NO_NULLS ? " not null" : " null"));
    }
    const std::string varchar = std::to_string(SQL_VARCHAR);
    EXPECT_EQ(columns, (std::vector<std::string>{"id " + std::to_string(SQL_INTEGER) + " not null",
                                                 "full name " + varchar + "(40) not null",
                                                 "town " + varchar + "(30) null",
                                                 "born " + std::to_string(SQL_TYPE_DATE) + " null"}));
    const TCatalogColumn* const town = customersTable->ColumnByName("Town");
    ASSERT_NE(town, nullptr);
    EXPECT_NE(town->Default.find("Wuhan"), std::string::npos) << town->Default;

    catalog.SetTableType({ttView});
    EXPECT_EQ(Lower(catalog.GetTableNames()), std::vector<std::string>{"big orders"});
}

TEST_P(ShopSchemaOnDatabase, TheCreateHalfMakesTheKeysAndTheIndexWithItsOrders)
{
    RunCreateHalf();
    TOECatalog catalog;
    OnThisTestsTables(catalog);
    TCatalogTable* const customersTable = catalog.TableByName(owner_, "Customers");
    TCatalogTable* const ordersTable = catalog.TableByName(owner_, "Orders");
    ASSERT_NE(customersTable, nullptr);
    ASSERT_NE(ordersTable, nullptr);
    EXPECT_EQ(Lower(ordersTable->GetPrimaryKeys()), std::vector<std::string>{"no"});
    EXPECT_EQ(Lower(customersTable->GetPrimaryKeys()), std::vector<std::string>{"id"});
    ASSERT_EQ(ordersTable->GetForeignKeys().Count(), 1);
    std::string keyColumn, foreignOwner, foreignTable, foreignColumn;
    TOECatalog::ParseForeignKey(ordersTable->GetForeignKeys()[0], keyColumn, foreignOwner, foreignTable,
                                foreignColumn);
    EXPECT_EQ(Lower(keyColumn + ";" + foreignOwner + ";" + foreignTable + ";" + foreignColumn),
              Lower("customer;" + owner_ + ";customers;id"));

    // The primary key has a unique index of its own: only ours is compared.
    std::vector<std::string> byNameColumns;
    for (const std::string& entry : customersTable->GetIndexes().Lines()) {
        std::string name;
        bool unique = false;
        TStringList indexColumns;
        TOECatalog::ParseIndex(entry, name, unique, indexColumns);
        if (Lower(name) == "by name") {
            byNameColumns = Lower(indexColumns);
            EXPECT_TRUE(unique);
        }
    }
    EXPECT_EQ(byNameColumns, (std::vector<std::string>{"full name", "town"}));
    // The catalog lists an index's columns without their order: each DBMS's own record of the index
    // shows it.
    if (Postgres()) {
        EXPECT_NE(QueryText(connection_, "SELECT indexdef FROM pg_indexes WHERE schemaname = '" + owner_ +
                                             "' AND indexname = 'By Name'")
                      .find("(\"Full Name\" DESC, town)"),
                  std::string::npos);
    } else {
        EXPECT_NE(QueryText(connection_, "SELECT sql FROM sqlite_master WHERE name = 'By Name'")
                      .find("(\"Full Name\" DESC, Town ASC)"),
                  std::string::npos);
    }
}

TEST_P(ShopSchemaOnDatabase, TheCreatedDefaultsKeysAndViewWorkAsDescribed)
{
    RunCreateHalf();
    ASSERT_EQ(ExecSql(connection_,
                      "INSERT INTO " + Table("Customers") + " (Id, \"Full Name\") VALUES (1, 'Li Lei')"),
              SQL_SUCCESS);
    ASSERT_EQ(ExecSql(connection_, "INSERT INTO " + Table("Orders") + " VALUES (10, 1, 250.5)"), SQL_SUCCESS);
    ASSERT_EQ(ExecSql(connection_, "INSERT INTO " + Table("Orders") + " VALUES (11, 1, 20)"), SQL_SUCCESS);
    EXPECT_EQ(QueryText(connection_, "SELECT Town FROM " + Table("Customers")), "Wuhan");
    EXPECT_EQ(QueryLong(connection_, "SELECT \"Order No\" FROM " + Table("\"Big Orders\"")), 10);
    EXPECT_NE(ExecSql(connection_,
                      "INSERT INTO " + Table("Customers") + " (Id, \"Full Name\") VALUES (1, 'Again')"),
              SQL_SUCCESS)
        << "the primary key holds";
}

TEST_P(ShopSchemaOnDatabase, TheDropHalfDropsWhatTheCreateHalfMade)
{
    const std::string drops = RunCreateHalf();
    // Read before the drops, so that the catalog is seen to read its tables again.
    TOECatalog catalog;
    OnThisTestsTables(catalog);
    EXPECT_EQ(catalog.GetTableNames().Count(), 3);

    schema_.RunScript(Script(drops));
    EXPECT_FALSE(Exists(Table("\"Big Orders\"")));
    EXPECT_FALSE(Exists(Table("Orders")));
    EXPECT_FALSE(Exists(Table("Customers")));
    catalog.SetTableType({ttTable, ttView});
    catalog.Refresh();
    EXPECT_EQ(catalog.GetTableNames().Count(), 0);
}

TEST_P(ShopSchemaOnDatabase, TheSchemaIsMadeAndDroppedDirectlyWithoutAScript)
{
    schema_.LoadTables();
    schema_.LoadViews();
    EXPECT_TRUE(Exists(Table("\"Big Orders\"")));
    schema_.DropViews(false);
    schema_.DropTables(false);
    EXPECT_FALSE(Exists(Table("Orders")));
    EXPECT_FALSE(Exists(Table("Customers")));
}

ZIRA_ON_EACH_DATABASE(ShopSchemaOnDatabase);
