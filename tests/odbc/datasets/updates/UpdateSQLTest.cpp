// TOEUpdateSQL: rows written through the user's own statements with OLD_ parameters, immediately and
// as cached updates, a kind without a statement left to the generated one, a changed text taking its
// parameters anew, a statement that finds no row refused; the link between an update object and
// its dataset, and both in a form resource.
#include "WriteBackRig.h"

#include "odbc/base/OcihError.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/datasets/updates/OEUpdateSQL.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

#include <string>
#include <vector>

namespace {

TStringList Lines(const std::string& text)
{
    TStringList lines;
    lines.Add(text);
    return lines;
}

} // namespace

class UpdateSQL : public WriteBackTest
{
};

TEST_P(UpdateSQL, RowsAreWrittenByTheStatementsGivenWithOldValuesWhereAsked)
{
    for (const WriteMode mode : {WriteMode::Generated, WriteMode::Cached, WriteMode::CachedUpdates}) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = People(4);
        TOEDataSet* ds = OpenPeople(table, mode);
        auto* update = new TOEUpdateSQL(form.get());
        // The key changes: the row is the one with the old key; "old_" in any case.
        update->SetSQL(ukModify,
                       Lines("UPDATE " + table + " SET id = :id, name = :name || '*' WHERE id = :old_id"));
        // "amount" is no field: that parameter keeps the value it was given.
        update->SetSQL(ukInsert,
                       Lines("INSERT INTO " + table + " (id, name, amount) VALUES (:ID, :Name, :fixed)"));
        ds->SetUpdateObject(update);
        EXPECT_EQ(update->DataSet(), ds);
        EXPECT_TRUE(update->GetImplemented(ukModify));
        EXPECT_TRUE(update->GetImplemented(ukInsert));
        EXPECT_FALSE(update->GetImplemented(ukDelete));
        update->Query(ukInsert).ParamByName("fixed")->SetAsFloat(7.5);

        // A vetoed row is written neither by the update object nor by a generated statement.
        ds->SetOnUpdateRecord([](TCustomOEDataSet* sender, TUpdateKind, bool& apply) {
            apply = sender->FieldByName("name")->AsString() != "veto";
        });
        Rename(*ds, 1, "veto");
        Rekey(*ds, 2, 20, "two");
        AppendRow(*ds, 9, "nine");
        // No DeleteSQL: the generated DELETE.
        Remove(*ds, 3);
        ds->ApplyUpdates();
        EXPECT_EQ(Rows(table), "1 n1|4 n4|9 nine|20 two*");
        EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + table + " WHERE amount = 7.5"), 1);

        // A new text: the query takes its parameters from it before it runs again.
        update->ModifySQL().Clear();
        update->ModifySQL().Add("UPDATE " + table + " SET name = :name WHERE id = :OLD_ID");
        Rename(*ds, 4, "four");
        ds->ApplyUpdates();
        EXPECT_EQ(Rows(table), "1 n1|4 four|9 nine|20 two*");
        ds->Close();
        delete update;
        EXPECT_EQ(ds->UpdateObject(), nullptr);
    }
}

TEST_P(UpdateSQL, AStatementThatFindsNoRowIsNotTakenForWritten)
{
    const std::string table = People(3);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    auto* update = new TOEUpdateSQL(form.get());
    update->SetSQL(ukModify,
                   Lines("UPDATE " + table + " SET name = :name WHERE id = :OLD_id AND name = :OLD_name"));
    ds->SetUpdateObject(update);
    Rename(*ds, 2, "mine");
    Exec("UPDATE " + table + " SET name = 'theirs' WHERE id = 2");
    EXPECT_THROW(ds->ApplyUpdates(), RIDIZOrurori);
    EXPECT_TRUE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 n1|2 theirs|3 n3");
    Exec("UPDATE " + table + " SET name = 'n2' WHERE id = 2");
    ds->ApplyUpdates();
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 n1|2 mine|3 n3");

    // OnUpdateError is asked, as for any write that fails, and may let the row go: the next is written.
    Rename(*ds, 2, "again");
    Rename(*ds, 3, "three");
    Exec("UPDATE " + table + " SET name = 'theirs' WHERE id = 2");
    std::vector<std::string> errors;
    ds->SetOnUpdateError([&](TCustomOEDataSet* sender, EODBC& e, TUpdateKind kind, bool& raise) {
        errors.push_back(std::to_string(kind) + ":" + Current(*sender) + " " + e.Message());
        raise = false;
    });
    ds->ApplyUpdates();
    EXPECT_EQ(errors, std::vector<std::string>{
                          "0:2 again Row not found: it was changed or deleted by another user."});
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 n1|2 theirs|3 three");
}

TEST_P(UpdateSQL, TheUpdateObjectAndItsDataSetTravelInAFormResource)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "streaming does not depend on the database");
    TOEDataSet* ds = NewDataSet("SELECT id FROM x");
    ds->SetName("Table1");
    auto* update = new TOEUpdateSQL(form.get());
    update->SetName("Update1");
    update->SetSQL(ukDelete, Lines("DELETE FROM x WHERE id = :OLD_id"));
    ds->SetUpdateObject(update);

    TMemoryStream objectStream, dataSetStream;
    TWriter(objectStream).WriteComponent(*update);
    TWriter(dataSetStream).WriteComponent(*ds);
    objectStream.SetPosition(0);
    dataSetStream.SetPosition(0);

    Form other;
    auto* readObject = new TOEUpdateSQL(&other);
    TReader(objectStream).ReadComponent(*readObject);
    auto* readDataSet = new TOEDataSet(&other);
    TReader(dataSetStream).ReadComponent(*readDataSet);
    EXPECT_EQ(readObject->Name(), "Update1");
    EXPECT_EQ(readObject->DeleteSQL().Text(), update->DeleteSQL().Text());
    EXPECT_EQ(readObject->ModifySQL().Count(), 0);
    EXPECT_EQ(readDataSet->UpdateObject(), readObject);
    EXPECT_EQ(readObject->DataSet(), readDataSet);
}

TEST(UpdateObjectLink, AnObjectBelongsToOneDataSetAndEitherMayGoFirst)
{
    Form form;
    auto* first = new TOEDataSet(&form);
    auto* second = new TOEDataSet(&form);
    auto* update = new TOEUpdateSQL(&form);
    first->SetUpdateObject(update);
    second->SetUpdateObject(update);
    EXPECT_EQ(first->UpdateObject(), nullptr);
    EXPECT_EQ(second->UpdateObject(), update);
    EXPECT_EQ(update->DataSet(), second);
    // A dataset that takes another object lets the old one go.
    auto* other = new TOEUpdateSQL(&form);
    second->SetUpdateObject(other);
    EXPECT_EQ(update->DataSet(), nullptr);
    delete other;
    EXPECT_EQ(second->UpdateObject(), nullptr);
    first->SetUpdateObject(update);
    delete first;
    EXPECT_EQ(update->DataSet(), nullptr);
}

ZIRA_ON_EACH_DATABASE(UpdateSQL);
