// Cached updates: changes kept in the row cache until ApplyUpdates writes them, CancelUpdates and
// RevertRecord drop them; what OnUpdateRecord and OnUpdateError see and decide; failures that leave
// the changes pending, a lost connection among them.
#include "WriteBackRig.h"

#include "odbc/base/OcihError.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/support/OdbcTestConfig.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/StringUtils.h"

#include <sql.h>

#include <string>
#include <vector>

namespace {

// Another connection to the PostgreSQL cluster, from which a test ends the backend of its own.
void ConnectToTheCluster(THdbc& other)
{
    TStringList lines;
    const std::string cs = OdbcTest::PostgresConnectString();
    lines.Add(cs.substr(0, cs.size() - 1));
    other.SetAttributes(lines);
    other.Connect();
}

// Ends the backend with that pid; 1 when it was ended.
long Terminate(THdbc& other, long pid)
{
    return QueryLong(other, "SELECT pg_terminate_backend(" + std::to_string(pid) + ")::int");
}

} // namespace

class CachedUpdates : public WriteBackTest
{
};

TEST_P(CachedUpdates, ChangesWaitUntilAppliedAndEachIsWrittenFromItsOwnRecord)
{
    // Row sets of one row, and of several (the statement's row 1 is the one written from).
    for (const std::uint32_t rowSetSize : {1u, 4u}) {
        SCOPED_TRACE(rowSetSize);
        const std::string table = People(5);
        TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
        ds->hStmt().SetRowSetSize(rowSetSize);
        ds->Open();
        Rename(*ds, 2, "two");
        Rename(*ds, 2, "deux");
        Rekey(*ds, 4, 40);
        Remove(*ds, 3);
        InsertAt(*ds, 5, 10, "ten");
        AppendRow(*ds, 11);
        // An insert deleted before it was applied leaves nothing to write.
        ds->Delete();

        EXPECT_EQ(Rows(table), "1 n1|2 n2|3 n3|4 n4|5 n5");
        EXPECT_TRUE(ds->UpdatesPending());
        EXPECT_EQ(Shown(*ds), "1 n1|2 deux|40 n4|10 ten|5 n5");
        GoTo(*ds, 2);
        EXPECT_EQ(ds->UpdateStatus(), usModified);
        GoTo(*ds, 10);
        EXPECT_EQ(ds->UpdateStatus(), usInserted);
        GoTo(*ds, 1);
        EXPECT_EQ(ds->UpdateStatus(), usUnmodified);

        std::vector<std::string> seen;
        ds->SetOnUpdateRecord([&](TCustomOEDataSet* sender, TUpdateKind kind, bool& apply) {
            seen.push_back(Seen(*sender, kind));
            (void)apply;
        });
        ds->ApplyUpdates();
        // Modified, inserted, then deleted records; an edited record's old values are those from before
        // its first edit; a deleted record is seen with the values it was deleted with.
        const std::vector<std::string> expected = {"0:2 deux<n2", "0:40 n4<n4", "1:10 ten<", "2:3 n3<n3"};
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(Rows(table), "1 n1|2 deux|5 n5|10 ten|40 n4");
        EXPECT_FALSE(ds->UpdatesPending());
        GoTo(*ds, 2);
        EXPECT_EQ(ds->UpdateStatus(), usUnmodified);
        EXPECT_EQ(Current(*ds), "2 deux");

        // Applied records are written again only when changed again.
        seen.clear();
        Rename(*ds, 40, "forty");
        ds->ApplyUpdates();
        EXPECT_EQ(seen, std::vector<std::string>{"0:40 forty<n4"});
        EXPECT_EQ(Rows(table), "1 n1|2 deux|5 n5|10 ten|40 forty");
        ds->Close();
    }
}

TEST_P(CachedUpdates, CancelAndRevertPutEveryRecordBackWhereItWas)
{
    const std::string table = People(5);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    Rename(*ds, 2, "x");
    Remove(*ds, 4);
    InsertAt(*ds, 1, 10, "ten");
    Remove(*ds, 2);
    InsertAt(*ds, 5, 12, "twelve");
    AppendRow(*ds, 11);
    EXPECT_EQ(Shown(*ds), "10 ten|1 n1|3 n3|12 twelve|5 n5|11 -");

    // The last record reverted: the current record is the one before it, in range.
    ds->Last();
    ds->RevertRecord();
    EXPECT_EQ(Current(*ds), "5 n5");
    EXPECT_EQ(ds->RecNo(), 5);
    GoTo(*ds, 10);
    ds->RevertRecord();
    EXPECT_EQ(Current(*ds), "1 n1");
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(Shown(*ds), "1 n1|3 n3|12 twelve|5 n5");

    Rename(*ds, 3, "three");
    GoTo(*ds, 3);
    ds->RevertRecord();
    EXPECT_EQ(Current(*ds), "3 n3");
    EXPECT_EQ(ds->UpdateStatus(), usUnmodified);

    // Cancelling with the current record an inserted one at the end.
    AppendRow(*ds, 13);
    EXPECT_EQ(Current(*ds), "13 -");
    ds->CancelUpdates();
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Shown(*ds), "1 n1|2 n2|3 n3|4 n4|5 n5");
    ds->Last();
    EXPECT_EQ(ds->RecNo(), 5);
    EXPECT_EQ(Rows(table), "1 n1|2 n2|3 n3|4 n4|5 n5");
    ds->ApplyUpdates();
    EXPECT_EQ(Rows(table), "1 n1|2 n2|3 n3|4 n4|5 n5");
}

TEST_P(CachedUpdates, AKeyDeletedAndInsertedAgainIsWrittenWhenTheDeletionsGoFirst)
{
    const std::string table = People(3);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    Remove(*ds, 2);
    InsertAt(*ds, 3, 2, "new");
    Rename(*ds, 3, "three");
    // In the usual order the insert meets the row the deletion is still to remove.
    EXPECT_THROW(ds->ApplyUpdates(), EODBC);
    EXPECT_EQ(Rows(table), "1 n1|2 n2|3 three");

    ds->ApplyUpdates(UpdateStatusBit(usDeleted));
    EXPECT_EQ(Rows(table), "1 n1|3 three");
    EXPECT_TRUE(ds->UpdatesPending());
    ds->ApplyUpdates();
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 n1|2 new|3 three");
}

TEST_P(CachedUpdates, AFilterChangesWhatIsShownNotWhatIsPending)
{
    const std::string table = People(5);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    Rename(*ds, 1, "one");
    Rename(*ds, 2, "two");
    Remove(*ds, 3);
    InsertAt(*ds, 5, 10, "ten");
    // An edit still open when the filter changes is posted, as before any move.
    GoTo(*ds, 4);
    ds->Edit();
    ds->FieldByName("name")->SetAsString("four");

    ds->SetOnFilterRecord(
        [](TDataSet* d, bool& accept) { accept = d->FieldByName("id")->AsInteger() % 2 == 0; });
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_TRUE(ds->UpdatesPending());
    ds->SetFiltered(true);
    EXPECT_EQ(Shown(*ds), "2 two|4 four|10 ten");
    ds->SetFiltered(false);
    EXPECT_EQ(Shown(*ds), "1 one|2 two|4 four|10 ten|5 n5");

    // Records the filter hides are written all the same.
    ds->SetFiltered(true);
    EXPECT_EQ(Rows(table), "1 n1|2 n2|3 n3|4 n4|5 n5");
    ds->ApplyUpdates();
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 one|2 two|4 four|5 n5|10 ten");
    EXPECT_EQ(Shown(*ds), "2 two|4 four|10 ten");
}

TEST_P(CachedUpdates, AFailedWriteStaysPendingUnlessOnUpdateErrorLetsItGo)
{
    const std::string table = People(3);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    Rename(*ds, 1, "one");
    InsertAt(*ds, 3, 2, "dup");
    Remove(*ds, 3);

    // Unhandled: the UNIQUE violation is raised; the insert and the delete after it still wait.
    EXPECT_THROW(ds->ApplyUpdates(), EODBC);
    EXPECT_TRUE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 one|2 n2|3 n3");
    GoTo(*ds, 1);
    EXPECT_EQ(ds->UpdateStatus(), usUnmodified);
    ds->Last();
    EXPECT_EQ(Current(*ds), "2 dup");
    EXPECT_EQ(ds->UpdateStatus(), usInserted);

    std::vector<std::string> errors;
    ds->SetOnUpdateError([&](TCustomOEDataSet* sender, EODBC& e, TUpdateKind kind, bool& raise) {
        errors.push_back(Seen(*sender, kind) + " " +
                         std::to_string(UpperCase(e.Message()).find("UNIQUE") != std::string::npos));
        raise = false;
    });
    ds->ApplyUpdates();
    // Let go: the insert counts as written and the walk goes on with the delete.
    EXPECT_EQ(errors, std::vector<std::string>{"1:2 dup< 1"});
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 one|2 n2");
}

TEST_P(CachedUpdates, AChangeWhoseRowIsGoneStaysPending)
{
    const std::string table = People(3);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    std::vector<std::string> errors;
    ds->SetOnUpdateError([&](TCustomOEDataSet* sender, EODBC& e, TUpdateKind kind, bool&) {
        errors.push_back(Seen(*sender, kind) + " " + e.Message());
    });
    Rename(*ds, 2, "mine");
    Remove(*ds, 3);
    Exec("DELETE FROM " + table + " WHERE id IN (2, 3)");
    // OnUpdateError is asked and leaves it raised: the caller hears of it, and the change waits.
    EXPECT_THROW(ds->ApplyUpdates(), RIDIZOrurori);
    EXPECT_EQ(errors, std::vector<std::string>{
                          "0:2 mine<n2 Row not found: it was changed or deleted by another user."});
    GoTo(*ds, 2);
    EXPECT_EQ(ds->UpdateStatus(), usModified);
    Exec("INSERT INTO " + table + " VALUES (2, 'back', 0)");
    EXPECT_THROW(ds->ApplyUpdates(), RIDIZOrurori);
    EXPECT_EQ(Rows(table), "1 n1|2 mine");
    ds->CancelUpdates(UpdateStatusBit(usDeleted));
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Shown(*ds), "1 n1|2 mine|3 n3");
}

TEST_P(CachedUpdates, OnUpdateErrorMayLetARowConflictGoAndTheRestIsWritten)
{
    const std::string table = People(4);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    Rename(*ds, 2, "mine");
    Rename(*ds, 4, "four");
    Remove(*ds, 3);
    Exec("DELETE FROM " + table + " WHERE id IN (2, 3)");
    std::vector<std::string> errors;
    ds->SetOnUpdateError([&](TCustomOEDataSet* sender, EODBC& e, TUpdateKind kind, bool& raise) {
        errors.push_back(Seen(*sender, kind) + " " + e.Message().substr(0, 13));
        raise = false;
    });

    // A failure of the program's own handler is no failed write: it reaches the caller unasked.
    ds->SetOnUpdateRecord([](TCustomOEDataSet*, TUpdateKind, bool&) { throw RIDIZOrurori("not now"); });
    EXPECT_THROW(ds->ApplyUpdates(), RIDIZOrurori);
    EXPECT_TRUE(errors.empty());
    ds->SetOnUpdateRecord({});

    ds->ApplyUpdates();
    const std::vector<std::string> expected = {"0:2 mine<n2 Row not found", "2:3 n3<n3 Row not found"};
    EXPECT_EQ(errors, expected);
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 n1|4 four");
}

TEST_P(CachedUpdates, ALostConnectionLosesNoChange)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Postgres, "a server backend to terminate");
    const std::string table = People(6);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    for (int id = 1; id <= 4; ++id)
        Rename(*ds, id, "r" + std::to_string(id));
    InsertAt(*ds, 5, 7, "seven");
    Remove(*ds, 6);

    THdbc other;
    ConnectToTheCluster(other);
    const long pid = QueryLong(c, "SELECT pg_backend_pid()");
    ASSERT_GT(pid, 0);
    int writes = 0;
    ds->SetOnUpdateRecord([&](TCustomOEDataSet*, TUpdateKind, bool&) {
        // Part-way: the backend goes before the third write.
        if (++writes == 3) {
            ASSERT_EQ(Terminate(other, pid), 1);
        }
    });
    EXPECT_THROW(ds->ApplyUpdates(), EODBC);
    EXPECT_TRUE(ds->Active());
    EXPECT_TRUE(ds->UpdatesPending());
    EXPECT_EQ(RowsOn(other, table), "1 r1|2 r2|3 n3|4 n4|5 n5|6 n6");
    EXPECT_EQ(Shown(*ds), "1 r1|2 r2|3 r3|4 r4|7 seven|5 n5");

    ds->SetOnUpdateRecord({});
    ds->ApplyUpdates();
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 r1|2 r2|3 r3|4 r4|5 n5|7 seven");

    // Lost again, and let go by OnUpdateError: that record counts as written, and the ones after it
    // are written through a new connection.
    for (int id : {1, 2, 3})
        Rename(*ds, id, "s" + std::to_string(id));
    const long second = QueryLong(c, "SELECT pg_backend_pid()");
    writes = 0;
    ds->SetOnUpdateRecord([&](TCustomOEDataSet*, TUpdateKind, bool&) {
        if (++writes == 2) {
            ASSERT_EQ(Terminate(other, second), 1);
        }
    });
    std::vector<std::string> errors;
    ds->SetOnUpdateError([&](TCustomOEDataSet* sender, EODBC& e, TUpdateKind, bool& raise) {
        errors.push_back(Current(*sender) + " " + e.State().substr(0, 2));
        raise = false;
    });
    ds->ApplyUpdates();
    EXPECT_EQ(errors, std::vector<std::string>{"2 s2 08"});
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 s1|2 r2|3 s3|4 r4|5 n5|7 seven");
}

TEST_P(CachedUpdates, AConnectionEndedByTheServerWhileIdleCostsOneFailedApply)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Postgres, "a server backend to terminate");
    const std::string table = People(4);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    Rename(*ds, 1, "r1");
    InsertAt(*ds, 3, 9, "nine");
    Remove(*ds, 4);

    // The server ends the session while nothing runs on it (an administrator, a restart, an idle
    // time-out): the driver hears of it only at the next call.
    THdbc other;
    ConnectToTheCluster(other);
    const long pid = QueryLong(c, "SELECT pg_backend_pid()");
    ASSERT_EQ(Terminate(other, pid), 1);

    int failures = 0;
    while (ds->UpdatesPending() && failures < 3) {
        try {
            ds->ApplyUpdates();
        } catch (const EODBC&) {
            ++failures;
        }
    }
    EXPECT_LE(failures, 1);
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(RowsOn(other, table), "1 r1|2 n2|3 n3|9 nine");
}

TEST_P(CachedUpdates, AConnectionFailureTheDriverReportsLosesNoChange)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite,
                 "a failure scripted over the SQLite driver (PostgreSQL's backend is terminated for real)");
    const std::string table = People(4);
    TOEDataSet* ds = OpenPeople(table, WriteMode::CachedUpdates);
    for (int id = 1; id <= 3; ++id)
        Rename(*ds, id, "r" + std::to_string(id));
    // Rows not read before the connection goes are not read after it.
    ds->FetchAll();
    ScriptedOdbc odbc;
    int writes = 0;
    ds->SetOnUpdateRecord([&](TCustomOEDataSet*, TUpdateKind, bool&) {
        if (++writes == 2) {
            odbc.returns["SQLExecute"] = {SQL_ERROR};
            odbc.scriptDiagnostics = true;
            odbc.records = {{"08S01", 0, "Communication link failure"}};
        }
    });
    EXPECT_THROW(ds->ApplyUpdates(), EODBC);
    odbc.scriptDiagnostics = false;
    // The connection was dropped; the dataset keeps its changes.
    EXPECT_FALSE(c.Connected());
    EXPECT_TRUE(ds->Active());
    EXPECT_TRUE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 r1|2 n2|3 n3|4 n4");
    ds->ApplyUpdates();
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(Rows(table), "1 r1|2 r2|3 r3|4 n4");
    EXPECT_EQ(Shown(*ds), "1 r1|2 r2|3 r3|4 n4");

    // Closed instead (which drops what waits, as closing always does): the cursor that went with the
    // connection is not closed through a new one.
    Rename(*ds, 4, "r4");
    writes = 1;
    EXPECT_THROW(ds->ApplyUpdates(), EODBC);
    odbc.scriptDiagnostics = false;
    EXPECT_FALSE(c.Connected());
    ds->Close();
    EXPECT_FALSE(c.Connected());
    EXPECT_FALSE(ds->UpdatesPending());
    ds->Open();
    EXPECT_EQ(Shown(*ds), "1 r1|2 r2|3 r3|4 n4");
}

ZIRA_ON_EACH_DATABASE(CachedUpdates);
