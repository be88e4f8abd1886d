// Master and detail: the detail's parameters take the master's values, the detail follows the
// master's record, its statement runs once per reopening; the next result set of a statement.
#include "DataSetFixture.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/statements/Hstmt.h"
#include "platform/db/DataSource.h"

#include <cstring>

namespace {

int Id(TDataSet& ds, const char* field = "id")
{
    return ds.FieldByName(field)->AsInteger();
}

std::vector<std::string> Items(TDataSet& ds)
{
    std::vector<std::string> items;
    while (!ds.Eof()) {
        items.push_back(ds.FieldByName("item")->AsString());
        ds.Next();
    }
    return items;
}

} // namespace

// Opens ds, or skips the test while the statement layer cannot bind parameters yet.
#define OPEN_OR_SKIP(ds)                                                                                     \
    try {                                                                                                    \
        (ds)->Open();                                                                                        \
    } catch (const RIDIZOrurori& e) {                                                                        \
        if (std::strstr(e.what(), "is not built yet") == nullptr)                                            \
            throw;                                                                                           \
        GTEST_SKIP() << "the statement layer cannot do this yet: " << e.what();                              \
    }

class MasterDetail : public DataSetTest
{
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Writable(), "the mdbtools driver has no parameter markers");
        people = People(3);
        orders = NewTable("(no INTEGER PRIMARY KEY, person INTEGER, item VARCHAR(10))");
        Exec("INSERT INTO " + orders +
             " VALUES (1, 1, 'apple'), (2, 2, 'bread'), (3, 1, 'cheese'), (4, 2, 'dates')");
        master = NewDataSet("SELECT id, name FROM " + people + " ORDER BY id");
        detail = NewDataSet("SELECT no, person, item FROM " + orders + " WHERE person = :id ORDER BY no");
        source.SetDataSet(master);
        detail->SetDataSource(&source);
    }
    void TearDown() override
    {
        if (detail != nullptr)
            detail->SetDataSource(nullptr);
        source.SetDataSet(nullptr);
        DataSetTest::TearDown();
    }
    // The orders table's rows in key order, as "no person item" joined by "|".
    std::string RowsOf(const std::string& table)
    {
        return RowsAsText(c, "SELECT no, person, item FROM " + table + " ORDER BY no");
    }
    std::string people, orders;
    TOEDataSet* master = nullptr;
    TOEDataSet* detail = nullptr;
    TDataSource source;
};

TEST_P(MasterDetail, DetailFollowsTheMastersRecordExecutingOncePerRecord)
{
    int executions = 0;
    detail->Hstmt().SetAfterExecute([&](THstmt*) { ++executions; });
    master->Open();
    OPEN_OR_SKIP(detail);
    EXPECT_EQ(executions, 1) << "opened with the master's values, executed once";
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"apple", "cheese"}));
    EXPECT_FALSE(detail->ParamByName("id")->Bound()) << "a parameter filled from the master stays unbound";

    master->Next();
    EXPECT_EQ(executions, 2);
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"bread", "dates"}));
    master->Next();
    EXPECT_TRUE(detail->IsEmpty());
    master->First();
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"apple", "cheese"}));
    EXPECT_EQ(executions, 4);

    std::vector<TField*> masterFields, detailFields;
    detail->GetDetailLinkFields(masterFields, detailFields);
    ASSERT_EQ(masterFields.size(), 1u);
    EXPECT_EQ(masterFields[0], master->FieldByName("id"));
    EXPECT_TRUE(detailFields.empty()) << "the detail has no field named id";

    // A value the program bound itself is kept.
    detail->ParamByName("id")->SetAsInteger(2);
    detail->RefreshParams();
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"bread", "dates"}));
}

TEST_P(MasterDetail, ADetailsCachedUpdatesStayWhileTheMasterMovesAndItFollowsOnceTheyAreDone)
{
    detail->SetCachedUpdates(true);
    detail->SetEditable(true);
    detail->hStmt().Target().SetTarget(orders, "no;", "");
    master->Open();
    OPEN_OR_SKIP(detail);
    detail->Edit();
    detail->FieldByName("item")->SetAsString("apricot");
    detail->Post();
    // Still open when the master moves: posted into the cache first.
    detail->Append();
    detail->FieldByName("no")->SetAsInteger(5);
    detail->FieldByName("person")->SetAsInteger(1);
    detail->FieldByName("item")->SetAsString("eggs");

    master->Next();
    EXPECT_EQ(Id(*master), 2);
    EXPECT_EQ(detail->State(), dsBrowse);
    EXPECT_TRUE(detail->UpdatesPending());
    // The detail keeps the records its changes belong to until they are applied.
    detail->First();
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"apricot", "cheese", "eggs"}));
    master->Next();
    EXPECT_TRUE(detail->UpdatesPending());

    detail->ApplyUpdates();
    EXPECT_FALSE(detail->UpdatesPending());
    EXPECT_EQ(RowsOf(orders), "1 1 apricot|2 2 bread|3 1 cheese|4 2 dates|5 1 eggs");
    // Nothing waits: the detail shows the master's record again, and follows it.
    EXPECT_TRUE(detail->IsEmpty());
    master->First();
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"apricot", "cheese", "eggs"}));

    // Cancelled instead of applied: the same.
    detail->First();
    detail->Edit();
    detail->FieldByName("item")->SetAsString("avocado");
    master->Next();
    detail->First();
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"avocado", "cheese", "eggs"}));
    detail->CancelUpdates();
    EXPECT_FALSE(detail->UpdatesPending());
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"bread", "dates"}));
    EXPECT_EQ(RowsOf(orders), "1 1 apricot|2 2 bread|3 1 cheese|4 2 dates|5 1 eggs");
}

TEST_P(MasterDetail, AFunctionWithSideEffectsRunsOncePerRefresh)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Postgres, "needs a stored function");
    const std::string log = NewTable("(person INTEGER)");
    const std::string fn = log + "_items_of";
    Exec("CREATE FUNCTION " + fn + "(p INTEGER) RETURNS TABLE (item VARCHAR) AS $$ INSERT INTO " + log +
         " VALUES (p); SELECT item FROM " + orders + " WHERE person = p ORDER BY no $$ LANGUAGE SQL");
    detail->SetSQL("SELECT item FROM " + fn + "(:id)");
    master->Open();
    OPEN_OR_SKIP(detail);
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"apple", "cheese"}));
    master->Next();
    detail->RefreshParams();
    EXPECT_EQ(Items(*detail), (std::vector<std::string>{"bread", "dates"}));
    // Opened with person 1, then 2 by the master's move, then 2 by the refresh.
    TOEDataSet* calls = NewDataSet("SELECT person FROM " + log);
    calls->Open();
    std::vector<int> persons;
    while (!calls->Eof()) {
        persons.push_back(Id(*calls, "person"));
        calls->Next();
    }
    EXPECT_EQ(persons, (std::vector<int>{1, 2, 2}));
    detail->SetDataSource(nullptr);
    form.reset();
    master = detail = nullptr;
    Exec("DROP FUNCTION " + fn + "(INTEGER)");
}

TEST_P(MasterDetail, AChainBackToTheDataSetIsRefused)
{
    TDataSource detailSource;
    detailSource.SetDataSet(detail);
    try {
        master->SetDataSource(&detailSource);
        FAIL() << "a circular chain was accepted";
    } catch (const RIDIZOrurori& e) {
        EXPECT_STREQ(e.what(), "Circular Reference to DataSource");
    }
    EXPECT_EQ(master->DataSource(), nullptr);
    detailSource.SetDataSet(nullptr);
}

TEST_P(MasterDetail, NextResultSetMovesToTheFollowingResultWithoutExecutingAgain)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Postgres, "the driver runs one statement per execution");
    int executions = 0;
    TOEDataSet* ds = NewDataSet("SELECT id, name FROM " + people +
                                " WHERE id < 3 ORDER BY id; SELECT item, no FROM " + orders + " ORDER BY no");
    ds->Hstmt().SetAfterExecute([&](THstmt*) { ++executions; });
    ds->Open();
    EXPECT_EQ(ds->FieldCount(), 2);
    EXPECT_EQ(IdsToEof(*ds), (std::vector<int>{1, 2}));
    EXPECT_TRUE(ds->NextResultSet());
    EXPECT_TRUE(ds->Active());
    EXPECT_EQ(ds->FieldDefs().Items(0).Name, "item");
    EXPECT_EQ(ds->FieldByName("no")->AsInteger(), 1);
    EXPECT_EQ(Items(*ds), (std::vector<std::string>{"apple", "bread", "cheese", "dates"}));
    EXPECT_FALSE(ds->NextResultSet());
    EXPECT_EQ(executions, 1);
}

ZIRA_ON_EACH_DATABASE(MasterDetail);
