// Row writes of THstmt on SQLite and PostgreSQL, through the cursor's own operations (SQLSetPos,
// SQLBulkOperations on a static cursor) and through generated statements keyed on the primary key:
// blobs and NULLs, a changed key, rows changed or deleted elsewhere, rowsets of several rows.
#include "ReadBack.h"

#include "odbc/base/OcihError.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/EachDatabase.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

enum class Path
{
    Cursor,    // SQLSetPos and SQLBulkOperations where the cursor offers them
    Generated, // INSERT, UPDATE, DELETE and SELECT statements of our own (SkipByPosition)
};

std::string PathName(Path path)
{
    return path == Path::Cursor ? "through the cursor" : "through generated statements";
}

// Columns of the table every test here writes to.
enum Col : std::uint16_t
{
    K = 1, // VARCHAR(10) PRIMARY KEY
    N,     // INTEGER
    S,     // VARCHAR(40)
    B,     // binary blob
    T,     // TEXT
};

// A long value as a test message can show it: its length and a hash of its bytes.
std::string Digest(const std::optional<std::string>& value)
{
    if (!value)
        return "NULL";
    return std::to_string(value->size()) + " bytes #" + std::to_string(std::hash<std::string>{}(*value));
}

std::string Pattern(std::size_t n, char seed)
{
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 13 + static_cast<std::size_t>(seed)) % 256);
    return bytes;
}

void SetMemory(THstmt& s, std::uint16_t col, const std::string& bytes)
{
    TMemoryStream m;
    if (!bytes.empty())
        m.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetColMemory(col, m);
}

class RowWrites : public EachDatabase
{
protected:
    void SetUp() override
    {
        EachDatabase::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Writable(), "mdbtools opens Access files read-only");
    }

    // A new table with rows a, b (NULLs but its key and number) and c.
    void Fresh()
    {
        table = NewTable("(k VARCHAR(10) PRIMARY KEY, n INTEGER, s VARCHAR(40), b " + BinaryType(c) +
                         ", t TEXT)");
        Insert("a", 1, "one", Pattern(100, 'a'), "text a");
        Insert("b", 2, std::nullopt, std::nullopt, std::nullopt);
        Insert("c", 3, "three", Pattern(300, 'c'), "text c");
    }

    void Insert(const std::string& k, int n, std::optional<std::string> s, std::optional<std::string> b,
                std::optional<std::string> t)
    {
        THstmt w;
        w.SetHdbc(&c);
        w.SetSQL("INSERT INTO " + table + " (k, n, s, b, t) VALUES (:k, :n, :s, :b, :t)");
        w.Prepare();
        std::string key = k;
        std::int32_t number = n;
        std::string text = s.value_or("");
        TMemoryStream blob, memo;
        if (b)
            blob.WriteBuffer(b->data(), static_cast<std::int64_t>(b->size()));
        if (t)
            memo.WriteBuffer(t->data(), static_cast<std::int64_t>(t->size()));
        w.BindString(1, key);
        w.BindInteger(2, number);
        if (s)
            w.BindString(3, text);
        else
            w.BindNull(3);
        w.BindBinary(4, blob);
        w.BindText(5, memo);
        w.Execute();
    }

    // Opens SELECT k, n, s, b, t on the statement for path, ordered by key, and fetches the first
    // rowset.
    void Open(THstmt& s, Path path, SqlULen rowSetSize = 1, std::uint32_t cursorType = SQL_CURSOR_STATIC)
    {
        s.SetHdbc(&c);
        s.SetCursorType(cursorType);
        // A read-only cursor writes through generated statements only.
        s.SetConcurrencyType(path == Path::Cursor ? SQL_CONCUR_ROWVER : SQL_CONCUR_READ_ONLY);
        s.SetRowSetSize(rowSetSize);
        s.SetSkipByPosition(path == Path::Generated);
        s.SetSQL("SELECT k, n, s, b, t FROM " + table + " ORDER BY k");
        s.Prepare();
        s.Execute();
        // NOTE: psqlODBC names no best row identifier for a table without OIDs (SQLSpecialColumns
        // gives no row): the key is named here. SQLite names it.
        if (Database() == TestDatabase::Postgres)
            s.PrimaryCols({"k"});
        ASSERT_TRUE(s.FetchNext());
    }

    // Moves s to the row with key k (rowsets of one row).
    void FetchKey(THstmt& s, const std::string& k)
    {
        s.FetchFirst();
        while (s.GetColString(K) != k)
            ASSERT_TRUE(s.FetchNext()) << "no row " << k;
    }

    std::vector<std::string> Keys()
    {
        std::vector<std::string> keys;
        for (const auto& k : ReadColumn(c, "SELECT k FROM " + table + " ORDER BY k"))
            keys.push_back(k.value_or("NULL"));
        return keys;
    }

    std::optional<std::string> Value(const std::string& column, const std::string& k)
    {
        return ReadValue(c, "SELECT " + column + " FROM " + table + " WHERE k = '" + k + "'",
                         column == "b" ? SQL_C_BINARY : SQL_C_CHAR);
    }

    std::string table;
};

} // namespace

// Values, NULLs, blobs larger than BlobSize (sent in pieces at execution where the driver wants
// them so), and a changed key, which must still find its row.
TEST_P(RowWrites, UpdateWritesValuesNullsBlobsAndAChangedKey)
{
    for (const Path path : {Path::Cursor, Path::Generated}) {
        SCOPED_TRACE(PathName(path));
        Fresh();
        THstmt s;
        Open(s, path);
        const std::string big = Pattern(70000, 'x');
        const std::string memo(40000, 'm');

        FetchKey(s, "a");
        s.SetColInteger(N, 10);
        s.SetColNull(S, true);
        SetMemory(s, B, big);
        s.DoUpdate();
        EXPECT_EQ(Value("n", "a"), "10");
        EXPECT_EQ(Value("s", "a"), std::nullopt);
        EXPECT_EQ(Digest(Value("b", "a")), Digest(big));
        EXPECT_EQ(Value("t", "a"), "text a");

        FetchKey(s, "b");
        s.SetColString(S, "now set");
        s.SetColString(T, memo);
        SetMemory(s, B, "");
        s.DoUpdate();
        EXPECT_EQ(Value("s", "b"), "now set");
        EXPECT_EQ(Digest(Value("t", "b")), Digest(memo));
        EXPECT_EQ(Digest(Value("b", "b")), Digest("")); // empty, not NULL

        FetchKey(s, "c");
        s.SetColString(K, "z");
        s.SetColString(S, "moved");
        s.DoUpdate();
        EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "b", "z"}));
        EXPECT_EQ(Value("s", "z"), "moved");
        EXPECT_EQ(Digest(Value("b", "z")), Digest(Pattern(300, 'c')));

        // Written once, the row is found by its new key the next time.
        s.SetColInteger(N, 33);
        s.DoUpdate();
        EXPECT_EQ(Value("n", "z"), "33");
    }
}

TEST_P(RowWrites, InsertAddsTheRowAsSet)
{
    for (const Path path : {Path::Cursor, Path::Generated}) {
        SCOPED_TRACE(PathName(path));
        Fresh();
        THstmt s;
        Open(s, path);
        const std::string big = Pattern(50000, 'n');
        s.SetColString(K, "new");
        s.SetColInteger(N, 7);
        s.SetColNull(S, true);
        SetMemory(s, B, big);
        s.SetColString(T, "memo");
        s.DoInsert();
        EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "b", "c", "new"}));
        EXPECT_EQ(Value("n", "new"), "7");
        EXPECT_EQ(Value("s", "new"), std::nullopt);
        EXPECT_EQ(Digest(Value("b", "new")), Digest(big));
        EXPECT_EQ(Value("t", "new"), "memo");
    }
}

TEST_P(RowWrites, DeleteRemovesTheRow)
{
    for (const Path path : {Path::Cursor, Path::Generated}) {
        SCOPED_TRACE(PathName(path));
        Fresh();
        THstmt s;
        Open(s, path);
        FetchKey(s, "b");
        s.DoDelete();
        EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "c"}));
    }
}

// A row changed elsewhere is read again, by its key on both paths (neither driver's own refresh
// reads the table); an update or delete of a row deleted elsewhere raises instead of passing as done
// (SQLite reports success and leaves the row's status, psqlODBC warns 01001).
TEST_P(RowWrites, RowsChangedOrDeletedElsewhere)
{
    for (const Path path : {Path::Cursor, Path::Generated}) {
        SCOPED_TRACE(PathName(path));
        Fresh();
        THstmt s;
        Open(s, path);
        FetchKey(s, "a");
        s.SetColInteger(N, 12345); // an edit the refresh undoes
        ExecSql(c, "UPDATE " + table + " SET n = 99, s = 'elsewhere', t = 'new text' WHERE k = 'a'");
        s.DoRefresh();
        EXPECT_EQ(s.GetColInteger(N), 99);
        EXPECT_EQ(s.GetColString(S), "elsewhere");
        EXPECT_EQ(s.GetColString(T), "new text");

        FetchKey(s, "b");
        ExecSql(c, "DELETE FROM " + table + " WHERE k = 'b'");
        s.SetColInteger(N, 5);
        EXPECT_THROW(s.DoUpdate(), RIDIZOrurori);
        EXPECT_THROW(s.DoDelete(), RIDIZOrurori);
        EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "c"}));
    }
}

// Blobs that were never read (BlobDeferral, or not asked for) stay as they are: an update of other
// columns must not write them as NULL or empty.
TEST_P(RowWrites, BlobsNeverReadAreLeftAlone)
{
    for (const Path path : {Path::Cursor, Path::Generated}) {
        SCOPED_TRACE(PathName(path));
        Fresh();
        THstmt s;
        s.SetBlobDeferral(true);
        Open(s, path);
        FetchKey(s, "a");
        s.SetColInteger(N, 11);
        s.DoUpdate();
        EXPECT_EQ(Value("n", "a"), "11");
        EXPECT_EQ(Digest(Value("b", "a")), Digest(Pattern(100, 'a')));
        EXPECT_EQ(Value("t", "a"), "text a");

        // One read is written back as read; one set to NULL by the program is written as NULL.
        FetchKey(s, "c");
        ASSERT_NE(s.GetColMemory(B), nullptr);
        s.SetColNull(T, true);
        s.DoUpdate();
        EXPECT_EQ(Digest(Value("b", "c")), Digest(Pattern(300, 'c')));
        EXPECT_EQ(Value("t", "c"), std::nullopt);
    }
}

// With a rowset of several rows, each flagged row gets its own operation with its own cells, and
// only the flagged rows.
TEST_P(RowWrites, FlaggedRowsOfARowsetAreWrittenWithTheirOwnCells)
{
    for (const Path path : {Path::Cursor, Path::Generated}) {
        SCOPED_TRACE(PathName(path));
        Fresh();
        THstmt s;
        Open(s, path, 5);
        ASSERT_EQ(s.GetRowsFetched(), 3u);
        s.SetCellInteger(N, 2, 20);
        s.SetRowFlag(2, rfUpdate);
        s.SetCellInteger(N, 3, 30); // changed but not flagged: stays unwritten
        s.DoUpdate();
        EXPECT_EQ(Value("n", "b"), "20");
        EXPECT_EQ(Value("n", "c"), "3");
        EXPECT_EQ(Value("n", "a"), "1");

        s.SetRowFlag(2, 0);
        s.SetRowFlag(1, rfDelete);
        s.DoDelete();
        EXPECT_EQ(Keys(), (std::vector<std::string>{"b", "c"}));

        s.SetRowFlag(1, 0);
        s.SetCellString(K, 4, "d");
        s.SetCellInteger(N, 4, 4);
        s.SetCellString(S, 4, "four");
        s.SetRowFlag(4, rfInsert);
        s.DoInsert();
        EXPECT_EQ(Keys(), (std::vector<std::string>{"b", "c", "d"}));
        EXPECT_EQ(Value("s", "d"), "four");
    }
}

// Without blob columns a static cursor writes its rows itself: SQLSetPos updates (a changed key and a
// NULL too) and deletes, SQLBulkOperations adds; a row deleted elsewhere raises.
TEST_P(RowWrites, TheCursorWritesItsOwnRows)
{
    table = NewTable("(k VARCHAR(10) PRIMARY KEY, n INTEGER, s VARCHAR(40))");
    for (const char* values : {"('a', 1, 'one')", "('b', 2, 'two')", "('c', 3, 'three')"})
        ExecSql(c, "INSERT INTO " + table + " (k, n, s) VALUES " + values);
    ScriptedOdbc calls; // every call goes to the driver; it only counts them
    const auto setPos = [&](std::uint16_t operation) {
        return std::count_if(
            calls.setPosCalls.begin(), calls.setPosCalls.end(),
            [&](const ScriptedOdbc::SetPosCall& call) { return call.operation == operation; });
    };
    THstmt s;
    s.SetHdbc(&c);
    s.SetCursorType(SQL_CURSOR_STATIC);
    s.SetConcurrencyType(SQL_CONCUR_ROWVER);
    s.SetSQL("SELECT k, n, s FROM " + table + " ORDER BY k");
    s.Prepare();
    s.Execute();
    ASSERT_TRUE(s.FetchNext());

    s.SetColString(K, "z");
    s.SetColNull(S, true);
    s.DoUpdate();
    EXPECT_EQ(setPos(SQL_UPDATE), 1);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"b", "c", "z"}));
    EXPECT_EQ(Value("s", "z"), std::nullopt);

    FetchKey(s, "b");
    s.DoDelete();
    EXPECT_EQ(setPos(SQL_DELETE), 1);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"c", "z"}));

    FetchKey(s, "c");
    ExecSql(c, "DELETE FROM " + table + " WHERE k = 'c'");
    s.SetColInteger(N, 5);
    EXPECT_THROW(s.DoUpdate(), RIDIZOrurori);
    EXPECT_THROW(s.DoDelete(), RIDIZOrurori);

    s.SetColString(K, "new");
    s.SetColInteger(N, 7);
    s.SetColString(S, "seven");
    s.DoInsert();
    EXPECT_EQ(calls.calls["SQLBulkOperations"], 1);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"new", "z"}));
    EXPECT_EQ(Value("s", "new"), "seven");
}

// A row without a known key (of a table that declares none) is refreshed by the cursor itself
// (SQLite gives back the row as fetched).
TEST_P(RowWrites, WithoutAKeyTheCursorRefreshesTheRow)
{
    table = NewTable("(id INTEGER, n INTEGER)");
    ExecSql(c, "INSERT INTO " + table + " (id, n) VALUES (1, 10)");
    ScriptedOdbc calls;
    THstmt s;
    s.SetHdbc(&c);
    s.SetCursorType(SQL_CURSOR_STATIC);
    s.SetConcurrencyType(SQL_CONCUR_ROWVER);
    s.SetSQL("SELECT id, n FROM " + table);
    s.Prepare();
    s.Execute();
    ASSERT_TRUE(s.FetchNext());
    s.SetColInteger(2, 555);
    s.DoRefresh();
    // NOTE: psqlODBC's own refresh leaves the buffers of an unchanged row as they are.
    if (Database() == TestDatabase::Sqlite) {
        EXPECT_EQ(s.GetColInteger(2), 10);
    }
    ASSERT_EQ(calls.setPosCalls.size(), 1u);
    EXPECT_EQ(calls.setPosCalls[0].operation, SQL_REFRESH);
    EXPECT_EQ(s.GetPrimaryColNames(), "");

    // The generated statements need the key all the same.
    s.SetSkipByPosition(true);
    EXPECT_THROW(s.DoRefresh(), RIDIZOrurori);
    s.PrimaryCols({"id"});
    ExecSql(c, "UPDATE " + table + " SET n = 11");
    s.DoRefresh();
    EXPECT_EQ(s.GetColInteger(2), 11);
}

// The blob columns bound for a positioned write come back unbound, their indicators as they were,
// also when the write fails.
TEST_P(RowWrites, BlobBindingsAreUndoneWhenAPositionedWriteFails)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Postgres,
                 "SQLite writes rows with blob columns by generated statements");
    Fresh();
    THstmt s;
    Open(s, Path::Cursor);
    FetchKey(s, "a");
    s.SetColNull(T, true);
    {
        ScriptedOdbc script;
        script.returns["SQLSetPos"] = {SQL_ERROR};
        EXPECT_THROW(s.DoUpdate(), EODBC);
        EXPECT_EQ(script.setPosCalls.size(), 1u);
    }
    EXPECT_EQ(s.GetColSize(B), 100);
    EXPECT_TRUE(s.GetColNull(T));
    FetchKey(s, "c"); // read through SQLGetData again, not into the buffers of the failed write
    EXPECT_EQ(s.GetColSize(B), 300);
    EXPECT_EQ(s.GetColString(T), "text c");
    EXPECT_EQ(Value("t", "a"), "text a");
}

// A driver without SQLDescribeParam gets descriptions made from the values' types: a NUMERIC column
// keeps its own size and digits there (15 and 15 would leave no room before the point).
TEST_P(RowWrites, NumericKeepsItsOwnSizeWithoutTheDriversDescription)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Postgres, "SQLite keeps any number in any column");
    table = NewTable("(k VARCHAR(10) PRIMARY KEY, amount NUMERIC(10,2))");
    ExecSql(c, "INSERT INTO " + table + " (k, amount) VALUES ('a', 1.5)");
    c.SetCore(true);
    THstmt s;
    s.SetHdbc(&c);
    s.SetSQL("SELECT k, amount FROM " + table);
    s.Prepare();
    s.Execute();
    s.PrimaryCols({"k"});
    ASSERT_TRUE(s.FetchNext());
    s.SetColDouble(2, 12345.67);
    ScriptedOdbc calls;
    s.DoUpdate();
    c.SetCore(false);
    EXPECT_EQ(QueryText(c, "SELECT amount FROM " + table), "12345.67");
    // NOTE: psqlODBC sends the value's own text whatever the description says; what it is told is
    // what other drivers cut the value to.
    int numeric = 0;
    for (const auto& [handle, state] : calls.statements) {
        for (const auto& [number, binding] : state.parameters) {
            if (binding.sqlType != SQL_NUMERIC)
                continue;
            ++numeric;
            EXPECT_EQ(binding.columnSize, 10u);
            EXPECT_EQ(binding.digits, 2);
        }
    }
    EXPECT_EQ(numeric, 1);
}

// The refreshing SELECT reads the table's own columns, which may be of another type or width than the
// result's (a CAST in the statement): their values are converted, never copied as bytes.
TEST_P(RowWrites, RefreshConvertsValuesOfAnotherTypeOrWidth)
{
    table = NewTable("(k VARCHAR(10) PRIMARY KEY, n INTEGER, s VARCHAR(10))");
    ExecSql(c, "INSERT INTO " + table + " (k, n, s) VALUES ('a', 1, 'one')");
    THstmt s;
    s.SetHdbc(&c);
    s.SetTargetTable(table);
    s.SetSQL("SELECT k, CAST(n AS VARCHAR(20)) AS n, CAST(s AS VARCHAR(200)) AS s FROM " + table);
    s.Prepare();
    s.Execute();
    s.PrimaryCols({"k"});
    ASSERT_TRUE(s.FetchNext());
    ExecSql(c, "UPDATE " + table + " SET n = 42, s = 'forty-two' WHERE k = 'a'");
    s.DoRefresh();
    EXPECT_EQ(s.GetColString(2), "42");
    EXPECT_EQ(s.GetColString(3), "forty-two");
}

// Values sent at execution never go by SQLBulkOperations (the SQLite driver garbles them there): such
// a row is inserted by the generated INSERT.
TEST_P(RowWrites, NoBulkAddWithValuesSentAtExecution)
{
    Fresh();
    THstmt s;
    s.SetBlobPlacement(bpByParts);
    Open(s, Path::Cursor);
    ScriptedOdbc calls;
    const std::string big = Pattern(40000, 'q');
    s.SetColString(K, "new");
    SetMemory(s, B, big);
    s.DoInsert();
    EXPECT_EQ(calls.calls["SQLBulkOperations"], 0);
    EXPECT_EQ(Digest(Value("b", "new")), Digest(big));
}

ZIRA_ON_EACH_DATABASE(RowWrites);
