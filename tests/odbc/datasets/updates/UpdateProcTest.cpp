// TOEUpdateProc on PostgreSQL: rows written through functions whose parameters come from the catalog
// and take the row's values by name (OLD_ for the value before the change), immediately and as
// cached updates; each call runs to its end before the row counts as written.
#include "WriteBackRig.h"

#include "odbc/datasets/OEParams.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/datasets/updates/OEUpdateProc.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

#include <unistd.h>

class UpdateProc : public WriteBackTest
{
protected:
    void SetUp() override
    {
        WriteBackTest::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Database() == TestDatabase::Postgres, "stored procedures with parameters");
    }
    void TearDown() override
    {
        form.reset();
        for (const std::string& function : functions_)
            ExecSql(c, "DROP FUNCTION " + function);
        WriteBackTest::TearDown();
    }
    // A function of this test's own taking the parameters given and running body (SQL with $1 ...).
    std::string Function(const std::string& kind, const std::string& params, const std::string& body,
                         const std::string& returns = "void")
    {
        const std::string name =
            "zira_" + kind + std::to_string(getpid()) + "_" + std::to_string(functions_.size());
        Exec("CREATE FUNCTION " + name + "(" + params + ") RETURNS " + returns + " AS $$ " + body +
             " $$ LANGUAGE sql");
        functions_.push_back(name);
        return name;
    }

private:
    std::vector<std::string> functions_;
};

TEST_P(UpdateProc, RowsAreWrittenByTheProceduresNamed)
{
    for (const WriteMode mode : {WriteMode::Generated, WriteMode::CachedUpdates}) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = People(4);
        const std::string log = NewTable("(what VARCHAR(40))");
        // Each function logs its call, then writes.
        const std::string modify = Function("mod", "id integer, name varchar, old_id integer",
                                            "INSERT INTO " + log + " VALUES ('modify ' || $3); UPDATE " +
                                                table + " SET id = $1, name = $2 WHERE id = $3");
        const std::string insert = Function("ins", "id integer, name varchar",
                                            "INSERT INTO " + log + " VALUES ('insert ' || $1); INSERT INTO " +
                                                table + " (id, name) VALUES ($1, $2)");
        const std::string remove = Function("del", "old_id integer",
                                            "INSERT INTO " + log + " VALUES ('delete ' || $1); DELETE FROM " +
                                                table + " WHERE id = $1");
        TOEDataSet* ds = OpenPeople(table, mode);
        auto* update = new TOEUpdateProc(form.get());
        ds->SetUpdateObject(update);
        update->SetProc(ukModify, modify);
        update->SetProc(ukInsert, insert);
        update->SetProc(ukDelete, remove);
        // The function's parameters, from the catalog.
        const TOEParams& params = update->Parameters(ukModify);
        ASSERT_EQ(params.Count(), 3);
        ASSERT_NE(params.FindParam("old_id"), nullptr);
        EXPECT_EQ(params.FindParam("old_id")->ParamType(), ptInput);

        Rekey(*ds, 2, 20, "two");
        AppendRow(*ds, 9, "nine");
        Remove(*ds, 3);
        ds->ApplyUpdates();
        EXPECT_EQ(Rows(table), "1 n1|4 n4|9 nine|20 two");
        EXPECT_EQ(QueryText(c, "SELECT string_agg(what, ',' ORDER BY what) FROM " + log),
                  "delete 3,insert 9,modify 2");
        ds->Close();
    }
}

TEST_P(UpdateProc, AFunctionThatReturnsAValueWritesTheRowAndGivesItsValue)
{
    const std::string table = People(2);
    const std::string insert =
        Function("ins", "id integer, name varchar",
                 "INSERT INTO " + table + " (id, name) VALUES ($1, $2); SELECT 10 * $1", "integer");
    TOEDataSet* ds = OpenPeople(table, WriteMode::Generated);
    auto* update = new TOEUpdateProc(form.get());
    ds->SetUpdateObject(update);
    update->SetProc(ukInsert, insert);
    TOEParams& params = update->Parameters(ukInsert);
    ASSERT_EQ(params.Count(), 3);
    EXPECT_EQ(params.ParamByName("Result")->ParamType(), ptResult);

    AppendRow(*ds, 7, "seven");
    EXPECT_EQ(Rows(table), "1 n1|2 n2|7 seven");
    EXPECT_EQ(params.ParamByName("Result")->AsInteger(), 70);
    ds->Close();
}

TEST_P(UpdateProc, ProceduresAndParametersReadFromAFormResourceWriteTheRows)
{
    const std::string table = People(3);
    const std::string modify = Function("mod", "id integer, name varchar, old_id integer",
                                        "UPDATE " + table + " SET id = $1, name = $2 WHERE id = $3");
    const std::string remove = Function("del", "old_id integer", "DELETE FROM " + table + " WHERE id = $1");
    TOEDataSet* ds = OpenPeople(table, WriteMode::Generated);
    {
        // Named on one form, its parameters from the catalog, stored; the form goes.
        Form first;
        auto* out = new TOEUpdateProc(&first);
        out->SetName("UpdateProc1");
        ds->SetUpdateObject(out);
        out->SetProc(ukModify, modify);
        out->SetProc(ukDelete, remove);
        ASSERT_EQ(out->Parameters(ukModify).Count(), 3);
        ASSERT_EQ(out->Parameters(ukDelete).Count(), 1);
        TMemoryStream s;
        TWriter(s).WriteComponent(*out);
        ds->SetUpdateObject(nullptr);

        auto* in = new TOEUpdateProc(form.get());
        s.SetPosition(0);
        TReader(s).ReadComponent(*in);
        ds->SetUpdateObject(in);
    }
    auto* in = dynamic_cast<TOEUpdateProc*>(ds->UpdateObject());
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->Proc(ukModify), modify);
    EXPECT_EQ(in->Parameters(ukModify).Count(), 3);
    EXPECT_FALSE(in->GetImplemented(ukInsert));

    Rekey(*ds, 2, 20, "two");
    Remove(*ds, 3);
    EXPECT_EQ(Rows(table), "1 n1|20 two");
    ds->Close();
}

ZIRA_ON_EACH_DATABASE(UpdateProc);

// Without a connection: each kind's procedure and parameters as a form resource holds them.
TEST(UpdateProcResource, EachKindsProcedureAndParametersComeBack)
{
    TComponent form;
    auto* out = new TOEUpdateProc(&form);
    const char* const procs[] = {"p_modify", "p_insert", ""};
    for (const TUpdateKind kind : {ukModify, ukInsert, ukDelete}) {
        out->SetProc(kind, procs[kind]);
        TOEParams& params = out->Parameters(kind);
        params.CreateParam(ftInteger, "id", ptInput)->SetAsInteger(10 + kind);
        params.CreateParam(ftString, "OLD_name", ptInputOutput)->SetAsString("名" + std::to_string(kind));
        params.CreateParam(ftInteger, "Result", ptResult);
    }
    TMemoryStream s;
    TWriter(s).WriteComponent(*out);
    s.SetPosition(0);
    auto* in = new TOEUpdateProc(&form);
    TReader(s).ReadComponent(*in);
    EXPECT_EQ(s.Position(), s.Size());
    for (const TUpdateKind kind : {ukModify, ukInsert, ukDelete}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(in->Proc(kind), procs[kind]);
        const TOEParams& params = in->Parameters(kind);
        ASSERT_EQ(params.Count(), 3);
        EXPECT_EQ(params.Items(0)->Name(), "id");
        EXPECT_EQ(params.Items(0)->AsInteger(), 10 + kind);
        EXPECT_EQ(params.Items(1)->ParamType(), ptInputOutput);
        EXPECT_EQ(params.Items(1)->DataType(), ftString);
        EXPECT_EQ(params.Items(1)->AsString(), "名" + std::to_string(kind));
        EXPECT_EQ(params.Items(2)->ParamType(), ptResult);
        EXPECT_TRUE(params.Items(2)->IsNull());
    }
}
