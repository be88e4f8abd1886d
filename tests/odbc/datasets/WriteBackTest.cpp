// Writing rows back at once: posting an edit or an insert, deleting and refreshing, through the
// cursor, through generated statements and through the row cache, on SQLite and PostgreSQL; what the
// dataset shows afterwards, and what a failed or refused write leaves.
#include "WriteBackRig.h"

#include "odbc/base/OcihError.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"

#include <sqlext.h>

#include <functional>

namespace {

constexpr WriteMode kImmediateModes[] = {WriteMode::Cursor, WriteMode::Generated, WriteMode::Cached};

std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

class WriteBack : public WriteBackTest
{
};

TEST_P(WriteBack, EditsInsertsAndDeletesReachTheTable)
{
    for (const WriteMode mode : kImmediateModes) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = People(5);
        TOEDataSet* ds = OpenPeople(table, mode);

        Rename(*ds, 2, "two");
        // A changed key: the row is found by the key it had.
        Rekey(*ds, 4, 40);
        EXPECT_EQ(Current(*ds), "40 n4");
        Remove(*ds, 3);
        InsertAt(*ds, 5, 10, "ten");
        EXPECT_EQ(ds->State(), dsBrowse);
        EXPECT_EQ(Rows(table), "1 n1|2 two|5 n5|10 ten|40 n4");

        if (mode == WriteMode::Cached) {
            // The cache holds the new row where it was inserted, and shows it.
            EXPECT_EQ(Current(*ds), "10 ten");
            EXPECT_EQ(Shown(*ds), "1 n1|2 two|40 n4|10 ten|5 n5");
        } else {
            // Only a new cursor has the new row: the record the insert started at is shown with the
            // values it has, not with the inserted ones the write left in the statement.
            EXPECT_EQ(Current(*ds), "5 n5");
            // psqlODBC's cursor takes in the rows SQLBulkOperations adds, at its end.
            const bool cursorKeepsNewRows = mode == WriteMode::Cursor && Database() == TestDatabase::Postgres;
            EXPECT_EQ(Shown(*ds),
                      cursorKeepsNewRows ? "1 n1|2 two|40 n4|5 n5|10 ten" : "1 n1|2 two|40 n4|5 n5");
        }
        // Written at once: nothing waits.
        EXPECT_EQ(ds->UpdatesPending(), mode != WriteMode::Cached);
        ds->Close();
        EXPECT_FALSE(ds->UpdatesPending());
    }
}

TEST_P(WriteBack, APostedEditIsPendingUntilCloseAlsoWithoutBookmarks)
{
    // The statement's default cursor (SQLite's has no bookmarks) and a forward-only one, in which no
    // driver marks rows; written through generated statements.
    for (const bool forwardOnly : {false, true}) {
        SCOPED_TRACE(forwardOnly ? "forward-only cursor" : "default cursor");
        const std::string table = People(3);
        TOEDataSet* ds = NewDataSet("SELECT id, name, amount FROM " + table + " ORDER BY id");
        if (forwardOnly)
            ds->hStmt().SetCursorType(SQL_CURSOR_FORWARD_ONLY);
        ds->hStmt().SetSkipByPosition(true);
        ds->hStmt().SetSkipByCursor(true);
        ds->SetEditable(true);
        ds->hStmt().Target().SetTarget(table, "id;", "");
        ds->Open();
        EXPECT_FALSE(ds->UpdatesPending());
        ds->Edit();
        ds->FieldByName("name")->SetAsString("one");
        ds->Post();
        EXPECT_EQ(Rows(table), "1 one|2 n2|3 n3");
        EXPECT_TRUE(ds->UpdatesPending());
        ds->Next();
        EXPECT_TRUE(ds->UpdatesPending());
        ds->Close();
        EXPECT_FALSE(ds->UpdatesPending());
    }
}

TEST_P(WriteBack, RefreshReadsTheRowAgainAndRecordNoLongerHoldsAnEarlierEdit)
{
    for (const WriteMode mode : kImmediateModes) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = People(3);
        TOEDataSet* ds = OpenPeople(table, mode);
        Rename(*ds, 2, "mine");
        Exec("UPDATE " + table + " SET name = 'theirs' WHERE id = 2");
        Exec("UPDATE " + table + " SET name = 'other' WHERE id = 3");
        EXPECT_EQ(Current(*ds), "2 mine");
        ds->Refresh();
        EXPECT_EQ(Current(*ds), "2 theirs");
        // The record is shown as refreshed when it is read again, and its neighbour as it was read.
        EXPECT_EQ(Shown(*ds), "1 n1|2 theirs|3 n3");
        ds->Close();
    }
}

TEST_P(WriteBack, AFailedWriteLeavesTheEditAndShowsTheRowsAsTheDatabaseHasThem)
{
    for (const WriteMode mode : kImmediateModes) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = People(3);
        TOEDataSet* ds = OpenPeople(table, mode);

        // A key that is taken: the write fails, the edit stays for the user to mend or cancel.
        GoTo(*ds, 2);
        ds->Edit();
        ds->FieldByName("id")->SetAsInteger(3);
        ds->FieldByName("name")->SetAsString("dup");
        EXPECT_THROW(ds->Post(), EODBC);
        EXPECT_EQ(ds->State(), dsEdit);
        EXPECT_EQ(Current(*ds), "3 dup");
        ds->Cancel();
        EXPECT_EQ(Current(*ds), "2 n2");
        EXPECT_EQ(Shown(*ds), "1 n1|2 n2|3 n3");

        GoTo(*ds, 2);
        ds->Insert();
        ds->FieldByName("id")->SetAsInteger(1);
        ds->FieldByName("name")->SetAsString("dup");
        EXPECT_THROW(ds->Post(), EODBC);
        EXPECT_EQ(ds->State(), dsInsert);
        ds->Cancel();
        EXPECT_EQ(Current(*ds), "2 n2");
        EXPECT_EQ(Shown(*ds), "1 n1|2 n2|3 n3");
        EXPECT_EQ(Rows(table), "1 n1|2 n2|3 n3");

        // The edit can be mended and posted after all.
        GoTo(*ds, 2);
        ds->Edit();
        ds->FieldByName("id")->SetAsInteger(3);
        EXPECT_THROW(ds->Post(), EODBC);
        ds->FieldByName("id")->SetAsInteger(20);
        ds->Post();
        EXPECT_EQ(Rows(table), "1 n1|3 n3|20 n2");
        ds->Close();
    }
}

TEST_P(WriteBack, AWriteThatFindsNoRowIsRefused)
{
    for (const WriteMode mode : kImmediateModes) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = People(3);
        TOEDataSet* ds = OpenPeople(table, mode);
        Exec("DELETE FROM " + table + " WHERE id = 2");
        Exec("UPDATE " + table + " SET id = 30 WHERE id = 3");
        GoTo(*ds, 2);
        ds->Edit();
        ds->FieldByName("name")->SetAsString("gone");
        EXPECT_THROW(ds->Post(), RIDIZOrurori);
        EXPECT_EQ(ds->State(), dsEdit);
        ds->Cancel();
        GoTo(*ds, 3);
        EXPECT_THROW(ds->Delete(), RIDIZOrurori);
        EXPECT_EQ(Rows(table), "1 n1|30 n3");
        ds->Close();
    }
}

TEST_P(WriteBack, CancellingShowsTheRecordAsItWasBefore)
{
    // SQLite's default cursor (keyset, which becomes static) has no bookmarks: the record is shown
    // again from the window, not read from the cursor.
    for (const std::uint32_t cursorType : {1u, 3u}) {
        SCOPED_TRACE(cursorType);
        const std::string table = People(3);
        TOEDataSet* ds = NewDataSet("SELECT id, name, amount FROM " + table + " ORDER BY id");
        ds->hStmt().SetCursorType(cursorType);
        ds->SetEditable(true);
        ds->hStmt().Target().SetTarget(table, "id;", "");
        ds->Open();
        GoTo(*ds, 2);
        ds->Edit();
        ds->FieldByName("name")->SetAsString("draft");
        EXPECT_EQ(ds->FieldByName("name")->OldValue().AsString(), "n2");
        ds->Cancel();
        EXPECT_EQ(Current(*ds), "2 n2");

        // A new record that could not be written stands nowhere in the cursor.
        ds->Insert();
        ds->FieldByName("id")->SetAsInteger(3);
        EXPECT_THROW(ds->Post(), EODBC);
        ds->Cancel();
        EXPECT_EQ(Current(*ds), "2 n2");
        EXPECT_EQ(Shown(*ds), "1 n1|2 n2|3 n3");
        ds->Close();
    }
}

TEST_P(WriteBack, LocateInsertShowsTheNewRowAndChecksItsKeysBeforeWriting)
{
    for (const WriteMode mode : {WriteMode::Cursor, WriteMode::Generated}) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = People(3);
        TOEDataSet* ds = OpenPeople(table, mode);
        ds->SetLocateInsert(true);
        InsertAt(*ds, 2, 10, "ten");
        EXPECT_EQ(Current(*ds), "10 ten");
        EXPECT_EQ(Shown(*ds), "1 n1|2 n2|3 n3|10 ten");
        ds->Close();

        // No key columns known to find it by (a table that declares none): refused before the row is
        // written, so posting again never writes it twice.
        const std::string plain = PeopleWithoutKey(0);
        Exec("INSERT INTO " + plain + " SELECT id, name, amount FROM " + table);
        TOEDataSet* keyless = NewDataSet("SELECT id, name, amount FROM " + plain + " ORDER BY id");
        keyless->hStmt().SetCursorType(3);
        keyless->hStmt().SetSkipByPosition(mode == WriteMode::Generated);
        keyless->hStmt().SetSkipByCursor(mode == WriteMode::Generated);
        keyless->SetEditable(true);
        keyless->SetLocateInsert(true);
        keyless->hStmt().Target().SetTargetTable(plain);
        keyless->Open();
        keyless->Insert();
        keyless->FieldByName("id")->SetAsInteger(11);
        keyless->FieldByName("name")->SetAsString("eleven");
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                keyless->Post();
                ADD_FAILURE() << "posted without key columns";
            } catch (const RIDIZOrurori& e) {
                EXPECT_STREQ(e.what(), "Cannot detect primary columns to locate inserted row.");
            }
        }
        EXPECT_EQ(keyless->State(), dsInsert);
        keyless->Cancel();
        EXPECT_EQ(Rows(plain), "1 n1|2 n2|3 n3|10 ten");
        keyless->Close();
    }
}

// Without PrimaryCols an editable query keys its writes on the table's declared primary key, which
// both drivers know even where their best row identifier names none (SQLite's rowid alias of an
// INTEGER PRIMARY KEY, a PostgreSQL table without OIDs): with its default cursor, through generated
// statements and through the row cache. A table that declares no key is refused.
TEST_P(WriteBack, AnEditableQueryKeysItsWritesOnTheDeclaredPrimaryKey)
{
    enum Mode
    {
        Default,
        Generated,
        Cached
    };
    const auto open = [&](const std::string& from, Mode mode) {
        auto* q = new TOEQuery(form.get());
        q->SetHdbc(&c);
        q->SQL().Add("SELECT id, name, amount FROM " + from + " ORDER BY id");
        q->hStmt().SetSkipByPosition(mode == Generated);
        q->hStmt().SetSkipByCursor(mode == Generated);
        q->SetCached(mode == Cached);
        q->SetEditable(true);
        q->Open();
        return q;
    };
    for (const Mode mode : {Default, Generated, Cached}) {
        SCOPED_TRACE(mode == Default ? "default cursor" : mode == Generated ? "generated" : "cached");
        const std::string table = People(3);
        TOEQuery* q = open(table, mode);
        Rename(*q, 2, "two");
        EXPECT_EQ(Rows(table), "1 n1|2 two|3 n3");
        Remove(*q, 3);
        EXPECT_EQ(Rows(table), "1 n1|2 two");
        q->Close();
    }

    const std::string plain = PeopleWithoutKey(1);
    TOEQuery* keyless = open(plain, Generated);
    keyless->Edit();
    keyless->FieldByName("name")->SetAsString("one");
    try {
        keyless->Post();
        ADD_FAILURE() << "an edit without a key went ahead";
    } catch (const RIDIZOrurori& e) {
        EXPECT_STREQ(e.what(), "Unable to determine primary columns:  set PrimaryCols property.");
    }
    keyless->Cancel();
    EXPECT_EQ(Rows(plain), "1 n1");
}

TEST_P(WriteBack, OnUpdateRecordDecidesAndSeesTheRecordBeingWritten)
{
    for (const WriteMode mode : kImmediateModes) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = People(3);
        TOEDataSet* ds = OpenPeople(table, mode);
        std::vector<std::string> seen;
        ds->SetOnUpdateRecord([&](TCustomOEDataSet* sender, TUpdateKind kind, bool& apply) {
            seen.push_back(Seen(*sender, kind));
            apply = sender->FieldByName("name")->AsString() != "veto";
        });
        Rename(*ds, 1, "one");
        Rename(*ds, 2, "veto");
        Remove(*ds, 3);
        AppendRow(*ds, 9, "nine");
        const std::vector<std::string> expected = {"0:1 one<n1", "0:2 veto<n2", "2:3 n3<n3", "1:9 nine<"};
        EXPECT_EQ(seen, expected);
        // The vetoed write is not made, and counts as made.
        EXPECT_EQ(Rows(table), "1 one|2 n2|9 nine");
        EXPECT_EQ(ds->State(), dsBrowse);
        ds->Close();
    }
}

TEST_P(WriteBack, LongValuesAndNullsAreWrittenAsTheRecordHoldsThem)
{
    const std::string longNote(5000, 'x');
    for (const WriteMode mode :
         {WriteMode::Cursor, WriteMode::Generated, WriteMode::Cached, WriteMode::CachedUpdates}) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = NewTable("(id INTEGER PRIMARY KEY, name VARCHAR(10), note TEXT)");
        Exec("INSERT INTO " + table + " VALUES (1, 'a', '" + longNote + "'), (2, 'b', NULL), (3, 'c', '')");
        TOEDataSet* ds = NewDataSet("SELECT id, name, note FROM " + table + " ORDER BY id");
        if (mode == WriteMode::Cursor || mode == WriteMode::Generated)
            ds->hStmt().SetCursorType(3);
        ds->hStmt().SetSkipByPosition(mode == WriteMode::Generated);
        ds->hStmt().SetSkipByCursor(mode == WriteMode::Generated);
        ds->SetCached(mode == WriteMode::Cached);
        ds->SetCachedUpdates(mode == WriteMode::CachedUpdates);
        ds->SetEditable(true);
        ds->hStmt().Target().SetTarget(table, "id;", "");
        ds->Open();
        const auto edit = [&](int id, const std::function<void(TField&)>& change) {
            GoTo(*ds, id);
            ds->Edit();
            change(*ds->FieldByName("note"));
            ds->FieldByName("name")->SetAsString(ds->FieldByName("name")->AsString() + "!");
            ds->Post();
        };
        edit(1, [](TField&) {});
        edit(2, [](TField& note) { note.SetAsString("now"); });
        edit(3, [](TField& note) { note.Clear(); });
        ds->Append();
        ds->FieldByName("id")->SetAsInteger(4);
        ds->FieldByName("note")->SetAsString(longNote + "y");
        ds->Post();
        ds->ApplyUpdates();
        const std::string notes =
            "SELECT id, name, COALESCE(LENGTH(note), -1) FROM " + table + " ORDER BY id";
        EXPECT_EQ(QueryLong(c, "SELECT LENGTH(note) FROM " + table + " WHERE id = 1"), 5000);
        EXPECT_EQ(QueryText(c, "SELECT note FROM " + table + " WHERE id = 2"), "now");
        EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + table + " WHERE id = 3 AND note IS NULL"), 1);
        EXPECT_EQ(QueryLong(c, "SELECT LENGTH(note) FROM " + table + " WHERE id = 4"), 5001);
        EXPECT_EQ(Rows(table), "1 a!|2 b!|3 c!|4 -");
        ds->Close();
    }
}

TEST_P(WriteBack, LongValuesOfARowsetOfSeveralRowsStayWithTheirRows)
{
    const auto notesOf = [](THdbc& connection, const std::string& table) {
        THstmt s;
        s.SetHdbc(&connection);
        s.SetSQL("SELECT id, note FROM " + table + " ORDER BY id");
        s.Execute();
        std::string notes;
        while (s.FetchNext())
            notes +=
                std::to_string(s.GetColInteger(1)) + " " + (s.GetColNull(2) ? "-" : s.GetColString(2)) + "|";
        return notes;
    };
    const auto shownNotes = [](TDataSet& ds) {
        std::string notes;
        for (ds.First(); !ds.Eof(); ds.Next()) {
            TField* note = ds.FieldByName("note");
            notes += std::to_string(ds.FieldByName("id")->AsInteger()) + " " +
                     (note->IsNull() ? "-" : note->AsString()) + "|";
        }
        return notes;
    };
    for (const WriteMode mode : {WriteMode::Cached, WriteMode::CachedUpdates}) {
        SCOPED_TRACE(WriteModeName(mode));
        const std::string table = NewTable("(id INTEGER PRIMARY KEY, name VARCHAR(10), note TEXT)");
        std::string stored;
        for (int i = 1; i <= 7; ++i) {
            const std::string n = std::to_string(i);
            const std::string note = i == 3 ? std::string(2000, 'z') : "note " + n;
            Exec("INSERT INTO " + table + " VALUES (" + n + ", 'n" + n + "', " +
                 (i == 6 ? "NULL" : "'" + note + "'") + ")");
            stored += n + " " + (i == 6 ? "-" : note) + "|";
        }
        TOEDataSet* ds = NewDataSet("SELECT id, name, note FROM " + table + " ORDER BY id");
        ds->hStmt().SetRowSetSize(3);
        ds->SetCached(mode == WriteMode::Cached);
        ds->SetCachedUpdates(mode == WriteMode::CachedUpdates);
        ds->SetEditable(true);
        ds->hStmt().Target().SetTarget(table, "id;", "");
        ds->Open();
        EXPECT_EQ(shownNotes(*ds), stored) << "each record shows its own note";

        GoTo(*ds, 2);
        ds->Edit();
        ds->FieldByName("name")->SetAsString("renamed");
        ds->Post();
        ds->ApplyUpdates();
        EXPECT_EQ(notesOf(c, table), stored) << "a rename leaves the note as it is";

        GoTo(*ds, 2);
        ds->Edit();
        ds->FieldByName("note")->SetAsString("written in 2");
        ds->Post();
        ds->ApplyUpdates();
        const std::string expected = ReplaceOnce(stored, "2 note 2|", "2 written in 2|");
        EXPECT_EQ(notesOf(c, table), expected) << "the note goes to its own row only";
        EXPECT_EQ(shownNotes(*ds), expected);
        ds->Close();
    }
}

TEST_P(WriteBack, AValueTheCursorCannotReturnToIsNeitherShownAsNullNorWrittenBack)
{
    // NOTE: SQLite's scrolling cursor cannot come back to a row of a rowset of several rows: a value
    // longer than its cell there cannot be read again.
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "the driver reads every value of a rowset whole");
    const std::string table = NewTable("(id INTEGER PRIMARY KEY, name VARCHAR(10), note TEXT)");
    const std::string longNote(3000, 'q');
    Exec("INSERT INTO " + table + " VALUES (1, 'a', 'short'), (2, 'b', '" + longNote + "'), (3, 'c', NULL)");
    TOEDataSet* ds = NewDataSet("SELECT id, name, note FROM " + table + " ORDER BY id");
    ds->SetCached(true);
    ds->hStmt().SetRowSetSize(3);
    ds->hStmt().SetCursorType(3); // static, after the rowset size (which gives a cached dataset a
                                  // forward-only cursor again)
    ds->SetEditable(true);
    ds->hStmt().Target().SetTarget(table, "id;", "");
    ds->Open();
    GoTo(*ds, 2);
    TField* note = ds->FieldByName("note");
    try {
        note->IsNull();
        FAIL() << "a value not read passed as a value";
    } catch (const RIDIZOrurori& e) {
        EXPECT_NE(std::string(e.what()).find("note was not read"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ds->CreateBlobStream(note, bmRead), RIDIZOrurori);
    ds->Edit();
    ds->FieldByName("name")->SetAsString("renamed");
    ds->Post();
    EXPECT_EQ(QueryText(c, "SELECT name FROM " + table + " WHERE id = 2"), "renamed");
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + table + " WHERE id = 2 AND note = '" + longNote + "'"),
              1)
        << "left as it is";
    GoTo(*ds, 3);
    EXPECT_TRUE(ds->FieldByName("note")->IsNull());
    GoTo(*ds, 1);
    EXPECT_EQ(ds->FieldByName("note")->AsString(), "short");
}

// The same for a VARCHAR holding more than it declares: the cache takes such a column's cells
// straight from the rowset, and a cell that came cut must not pass for the value.
TEST_P(WriteBack, ATextCutWhereTheCursorCannotReturnIsNeitherShownCutNorWrittenBack)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "the driver reads every value of a rowset whole");
    const std::string table = NewTable("(id INTEGER PRIMARY KEY, name VARCHAR(5), note VARCHAR(5))");
    const std::string longNote(3000, 'q');
    Exec("INSERT INTO " + table + " VALUES (1, 'a', 'short'), (2, 'b', '" + longNote + "'), (3, 'c', NULL)");
    TOEDataSet* ds = NewDataSet("SELECT id, name, note FROM " + table + " ORDER BY id");
    ds->SetCached(true);
    ds->hStmt().SetRowSetSize(3);
    ds->hStmt().SetCursorType(3);
    ds->SetEditable(true);
    ds->hStmt().Target().SetTarget(table, "id;", "");
    ds->Open();
    GoTo(*ds, 2);
    try {
        const std::string shown = ds->FieldByName("note")->AsString();
        FAIL() << "a value not read passed as " << shown.size() << " characters";
    } catch (const RIDIZOrurori& e) {
        EXPECT_NE(std::string(e.what()).find("note was not read"), std::string::npos) << e.what();
    }
    ds->Edit();
    ds->FieldByName("name")->SetAsString("ren");
    ds->Post();
    EXPECT_EQ(QueryText(c, "SELECT name FROM " + table + " WHERE id = 2"), "ren");
    EXPECT_EQ(QueryLong(c, "SELECT length(note) FROM " + table + " WHERE id = 2"), 3000) << "left as it is";
    GoTo(*ds, 1);
    EXPECT_EQ(ds->FieldByName("note")->AsString(), "short");
}

// A cached dataset keeps no deferred blob: at rowset 1 the cursor has left the row when the value is
// asked for, so it is not read (never NULL, never written back); a rowset of several rows holds every
// row's long value in its cells, so it is there to show.
TEST_P(WriteBack, ADeferredBlobOfACachedDataSetIsShownWhereHeldAndNeverWrittenAsNull)
{
    for (const SqlULen rowset : {SqlULen{1}, SqlULen{3}}) {
        SCOPED_TRACE("rowset " + std::to_string(rowset));
        const std::string table = NewTable("(id INTEGER PRIMARY KEY, name VARCHAR(10), note TEXT)");
        Exec("INSERT INTO " + table + " VALUES (1, 'a', 'one'), (2, 'b', 'two'), (3, 'c', NULL)");
        TOEDataSet* ds = NewDataSet("SELECT id, name, note FROM " + table + " ORDER BY id");
        ds->SetCached(true);
        ds->hStmt().SetRowSetSize(rowset);
        ds->hStmt().SetBlobDeferral(true);
        ds->SetEditable(true);
        ds->hStmt().Target().SetTarget(table, "id;", "");
        ds->Open();
        GoTo(*ds, 3);
        GoTo(*ds, 2);
        TField* note = ds->FieldByName("note");
        if (rowset == 1) {
            try {
                const bool null = note->IsNull();
                ADD_FAILURE() << "a value not read passed as " << (null ? "NULL" : note->AsString());
            } catch (const RIDIZOrurori& e) {
                EXPECT_NE(std::string(e.what()).find("note was not read"), std::string::npos) << e.what();
            }
        } else {
            EXPECT_EQ(note->AsString(), "two");
        }
        ds->Edit();
        ds->FieldByName("name")->SetAsString("renamed");
        ds->Post();
        EXPECT_EQ(QueryText(c, "SELECT name || ':' || note FROM " + table + " WHERE id = 2"), "renamed:two");
        if (rowset > 1) {
            GoTo(*ds, 3);
            EXPECT_TRUE(ds->FieldByName("note")->IsNull());
        }
        ds->Close();
    }
}

// A row the driver failed to fetch (SQL_ROW_ERROR) holds no values of its own: fetched a row at a time
// (SQLite's forward-only cursor at rowset 3) its cells still hold a row of the rowset before. It is
// not a record, as it is not one without the cache; a copy of another row, key and all, would take
// that row's writes.
TEST_P(WriteBack, ARowTheDriverFailedToFetchIsNoRecordOfTheCache)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Sqlite, "a forward-only rowset of several rows comes a row at a "
                                                     "time on SQLite only");
    const std::string table = People(6);
    TOEDataSet* ds = NewDataSet("SELECT id, name, amount FROM " + table + " ORDER BY id");
    ds->SetCached(true);
    ds->hStmt().SetRowSetSize(3);
    ScriptedOdbc odbc;
    // Rows 1 to 4 come, the fetch of row 5 fails after the driver moved past it.
    odbc.returnsAfterCall["SQLFetch"] = {SQL_SUCCESS, SQL_SUCCESS, SQL_SUCCESS, SQL_SUCCESS, SQL_ERROR};
    ds->Open();
    EXPECT_EQ(Shown(*ds), "1 n1|2 n2|3 n3|4 n4|6 n6");
    EXPECT_EQ(odbc.calls["SQLFetch"], 7) << "fetched a row at a time";
}

ZIRA_ON_EACH_DATABASE(WriteBack);
