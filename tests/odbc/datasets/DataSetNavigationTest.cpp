// Navigation through the cursor and through the row cache: moves, RecNo and RecordCount, bookmarks,
// and the statement options that close the dataset.
#include "DataSetFixture.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/statements/Hstmt.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSource.h"

namespace {

enum class Mode
{
    Uncached,
    Cached,
    CachedRowSet // a cache filled ten rows per fetch
};

const char* Name(Mode mode)
{
    switch (mode) {
    case Mode::Uncached:
        return "uncached";
    case Mode::Cached:
        return "cached";
    case Mode::CachedRowSet:
        return "cached, row sets of 10";
    }
    return "?";
}

void Apply(TOEDataSet& ds, Mode mode)
{
    ds.SetCached(mode != Mode::Uncached);
    if (mode == Mode::CachedRowSet)
        ds.hStmt().SetRowSetSize(10);
}

// A grid's view of the dataset: a window of several records.
class GridLink : public TDataLink
{
};

int Id(TDataSet& ds)
{
    return ds.FieldByName("id")->AsInteger();
}

} // namespace

class DataSetNavigation : public DataSetTest
{
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Writable(), "DataBase.mdb is read-only; its own tests are the DataBaseMdb suite");
        table = People(12);
    }
    TOEDataSet* Open(Mode mode, const std::string& where = {})
    {
        TOEDataSet* ds = NewDataSet("SELECT id, name FROM " + table + where + " ORDER BY id");
        Apply(*ds, mode);
        ds->Open();
        return ds;
    }
    std::string table;
};

TEST_P(DataSetNavigation, MovesThroughTheRowsWithAndWithoutAGrid)
{
    struct Step
    {
        const char* what;
        int (*move)(TDataSet&);
        int id;
        bool bof, eof;
    };
    const Step steps[] = {
        {"open", [](TDataSet&) { return 0; }, 1, true, false},
        {"next", [](TDataSet& ds) { return ds.MoveBy(2); }, 3, false, false},
        {"prior", [](TDataSet& ds) { return ds.MoveBy(-1); }, 2, false, false},
        {"last",
         [](TDataSet& ds) {
             ds.Last();
             return 0;
         },
         12, false, true},
        {"next at the end", [](TDataSet& ds) { return ds.MoveBy(1); }, 12, false, true},
        {"back", [](TDataSet& ds) { return ds.MoveBy(-4); }, 8, false, false},
        {"first",
         [](TDataSet& ds) {
             ds.First();
             return 0;
         },
         1, true, false},
        {"forward", [](TDataSet& ds) { return ds.MoveBy(5); }, 6, false, false},
        {"back past the start", [](TDataSet& ds) { return ds.MoveBy(-10); }, 1, true, false},
    };
    for (const Mode mode : {Mode::Uncached, Mode::Cached, Mode::CachedRowSet}) {
        for (const int window : {1, 5}) {
            SCOPED_TRACE(std::string(Name(mode)) + ", window " + std::to_string(window));
            TOEDataSet* ds = Open(mode);
            TDataSource source;
            GridLink grid;
            grid.SetBufferCount(window);
            source.SetDataSet(ds);
            grid.SetDataSource(&source);
            for (const Step& step : steps) {
                step.move(*ds);
                EXPECT_EQ(Id(*ds), step.id) << step.what;
                EXPECT_EQ(ds->Bof(), step.bof) << step.what;
                EXPECT_EQ(ds->Eof(), step.eof) << step.what;
            }
            EXPECT_EQ(IdsToEof(*ds), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
            grid.SetDataSource(nullptr);
            delete ds;
        }
    }
}

TEST_P(DataSetNavigation, CachedRecNoAndRecordCount)
{
    for (const Mode mode : {Mode::Cached, Mode::CachedRowSet}) {
        SCOPED_TRACE(Name(mode));
        TOEDataSet* ds = Open(mode);
        EXPECT_EQ(ds->RecNo(), 1);
        ds->MoveBy(3);
        EXPECT_EQ(ds->RecNo(), 4);
        EXPECT_EQ(ds->RecordCount(), 12) << "the cache counts its rows, whatever the driver says";
        EXPECT_EQ(ds->RecNo(), 4) << "counting does not move";
        EXPECT_EQ(Id(*ds), 4);
        ds->RecNo(9);
        EXPECT_EQ(Id(*ds), 9);
        ds->RecNo(40);
        EXPECT_EQ(Id(*ds), 12) << "beyond the last row ends on the last row";
        EXPECT_EQ(ds->RecNo(), 12);
        ds->hStmt().SetRowCountMethod(rcCustom);
        EXPECT_EQ(ds->RecordCount(), 12);
        delete ds;
    }
    TOEDataSet* empty = Open(Mode::Cached, " WHERE id > 100");
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_EQ(empty->RecordCount(), 0);
}

TEST_P(DataSetNavigation, UncachedRecordCountComesFromTheDriverOrACountStatement)
{
    TOEDataSet* ds = Open(Mode::Uncached, " WHERE id <= 7");
    for (const TRowCountMethod method : {rcFunction, rcSelect, rcTraverse}) {
        ds->hStmt().SetRowCountMethod(method);
        EXPECT_EQ(ds->RecordCount(), 7) << int(method);
    }
    EXPECT_EQ(Id(*ds), 1);
    ds->Next();
    EXPECT_EQ(Id(*ds), 2) << "counting left the cursor alone";
}

TEST_P(DataSetNavigation, AbsoluteAndRelativeMovesLandOnARowAndSayWhetherItExisted)
{
    struct Move
    {
        bool relative;
        int n;
        bool ok;
        int id;
    };
    const Move moves[] = {
        {false, 4, true, 4},   {true, 3, true, 7},     {true, -2, true, 5},
        {true, -9, false, 1},  // past the start: on the first row
        {true, 20, false, 12}, // past the end: on the last row
        {false, 0, false, 1},  {false, 30, false, 12}, {false, 12, true, 12},
    };
    for (const Mode mode : {Mode::Uncached, Mode::Cached}) {
        SCOPED_TRACE(Name(mode));
        TOEDataSet* ds = Open(mode);
        for (const Move& m : moves) {
            const bool ok = m.relative ? ds->MoveRelative(m.n) : ds->MoveAbsolute(m.n);
            // Through the cursor the driver answers: PostgreSQL's gives the first row of a move
            // back past the start as found.
            if (mode == Mode::Cached || Database() != TestDatabase::Postgres || m.n >= 0) {
                EXPECT_EQ(ok, m.ok) << (m.relative ? "relative " : "absolute ") << m.n;
            }
            EXPECT_EQ(Id(*ds), m.id) << (m.relative ? "relative " : "absolute ") << m.n;
        }
        delete ds;
    }
}

TEST_P(DataSetNavigation, BookmarksFindTheirRecordAgainOrAreAbsent)
{
    for (const Mode mode : {Mode::Uncached, Mode::Cached}) {
        SCOPED_TRACE(Name(mode));
        TOEDataSet* ds = Open(mode);
        ds->MoveBy(4);
        const TBookmark mark = ds->Bookmark();
        const bool cursorBookmarks = (ds->Hstmt().CursorAttributes() & 8) != 0;
        if (mode == Mode::Uncached && !cursorBookmarks) {
            // The cursor has no bookmarks: the records have none either, and nothing pretends.
            EXPECT_TRUE(mark.empty());
            ds->Last();
            ds->GotoBookmark(mark);
            EXPECT_EQ(Id(*ds), 12);
            delete ds;
            continue;
        }
        ASSERT_FALSE(mark.empty());
        EXPECT_EQ(static_cast<int>(mark.size()), ds->BookmarkSize());
        ds->Last();
        const TBookmark last = ds->Bookmark();
        EXPECT_NE(ds->CompareBookmarks(mark.data(), last.data()), 0);
        EXPECT_EQ(ds->CompareBookmarks(mark.data(), mark.data()), 0);
        ds->GotoBookmark(mark);
        EXPECT_EQ(Id(*ds), 5);
        EXPECT_EQ(ds->CompareBookmarks(ds->Bookmark().data(), mark.data()), 0);
        delete ds;
    }
}

TEST_P(DataSetNavigation, RowsEditedAndDeletedWhileOpenAreFoundByBookmarksOfTheDriversLength)
{
    // PostgreSQL's bookmarks have 4 bytes, fewer than the records' bookmark block: the dataset's own
    // bookmarks of such rows are compared with the cursor's as it fetches.
    for (const bool bound : {false, true}) {
        SCOPED_TRACE(bound ? "bookmarks bound" : "bookmarks read row by row");
        const std::string rows = People(5);
        TOEDataSet* ds = NewDataSet("SELECT id, name FROM " + rows + " ORDER BY id");
        ds->hStmt().SetCursorType(3);
        ds->hStmt().SetBindBookmarks(bound);
        ds->SetEditable(true);
        ds->hStmt().Target().SetTarget(rows, "id;", "");
        ds->Open();
        ASSERT_TRUE(ds->Locate("id", Variant(2), 0));
        ds->Edit();
        ds->FieldByName("name")->SetAsString("two");
        ds->Post();
        ASSERT_TRUE(ds->Locate("id", Variant(3), 0));
        ds->Delete();
        std::string shown;
        for (ds->First(); !ds->Eof(); ds->Next())
            shown += std::to_string(Id(*ds)) + ds->FieldByName("name")->AsString() + " ";
        EXPECT_EQ(shown, "1n1 2two 4n4 5n5 ");
        delete ds;
    }
}

TEST_P(DataSetNavigation, ForwardOnlyCursorBrowsesForwardAndNeverGoesBack)
{
    TOEDataSet* ds = NewDataSet("SELECT id, name FROM " + table + " ORDER BY id");
    ds->hStmt().SetCursorType(0);
    ds->Open();
    ds->Next();
    EXPECT_EQ(ds->MoveBy(-1), 0) << "nothing before it can be fetched";
    EXPECT_EQ(Id(*ds), 2);
    EXPECT_EQ(ds->MoveBy(2), 2);
    EXPECT_EQ(Id(*ds), 4);
}

TEST_P(DataSetNavigation, CursorOptionsCloseAnOpenDataSetAndRowSetsSwitchTheCache)
{
    struct Option
    {
        const char* name;
        void (*set)(TDataSetHstmt&);
        bool closes;
    };
    const Option options[] = {
        {"ConcurrencyType", [](TDataSetHstmt& h) { h.SetConcurrencyType(1); }, true},
        {"CursorType", [](TDataSetHstmt& h) { h.SetCursorType(3); }, true},
        {"RowSetSize", [](TDataSetHstmt& h) { h.SetRowSetSize(1); }, true},
        {"BindBookmarks", [](TDataSetHstmt& h) { h.SetBindBookmarks(false); }, true},
        {"BlobSize", [](TDataSetHstmt& h) { h.SetBlobSize(70000); }, false},
        {"BlobDeferral", [](TDataSetHstmt& h) { h.SetBlobDeferral(true); }, false},
        {"StringTrimming", [](TDataSetHstmt& h) { h.SetStringTrimming(stTrimBoth); }, false},
        {"EmptyStringToNull", [](TDataSetHstmt& h) { h.SetEmptyStringToNull(enAlways); }, false},
        {"RowCountMethod", [](TDataSetHstmt& h) { h.SetRowCountMethod(rcSelect); }, false},
        {"ExecAsync", [](TDataSetHstmt& h) { h.SetExecAsync(false); }, false},
    };
    for (const Option& option : options) {
        TOEDataSet* ds = Open(Mode::Uncached);
        ds->Next();
        option.set(ds->hStmt());
        EXPECT_EQ(ds->Active(), !option.closes) << option.name;
        if (ds->Active()) {
            EXPECT_EQ(Id(*ds), 2) << option.name << " left the cursor alone";
        }
        delete ds;
    }

    TOEDataSet* ds = Open(Mode::Uncached);
    ds->hStmt().SetRowSetSize(10);
    EXPECT_FALSE(ds->Active());
    EXPECT_TRUE(ds->Cached()) << "a row set of several rows is read into the cache";
    EXPECT_EQ(ds->Hstmt().CursorType(), 0u);
    ds->Open();
    ds->hStmt().SetSkipByCursor(false);
    EXPECT_FALSE(ds->Active());
    EXPECT_FALSE(ds->Cached());
    EXPECT_EQ(ds->hStmt().RowSetSize(), 1u);
    EXPECT_NE(ds->Hstmt().CursorType(), 0u);
    ds->Open();
    EXPECT_EQ(IdsToEof(*ds).size(), 12u);
}

ZIRA_ON_EACH_DATABASE(DataSetNavigation);
