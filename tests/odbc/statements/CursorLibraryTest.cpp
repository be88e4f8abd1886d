// Statements under the driver manager's cursor library (CursorLib 1, SQL_CUR_USE_ODBC, as the
// program's own connection has it): a static cursor whose bookmark column cannot be read there is a
// cursor without bookmarks, never a failure of the fetch that asked for one.
#include "odbc/statements/StatementDatabase.h"

#include <gtest/gtest.h>

#include <sqlext.h>

namespace {

class CursorLibrary : public StatementDatabase
{
};

TEST_P(CursorLibrary, AStaticCursorWithoutReadableBookmarksHasNone)
{
    ZIRA_REQUIRE(!IsPostgres(), "the PostgreSQL driver scrolls without the cursor library");
    c.Terminate();
    c.SetCursorLib(SQL_CUR_USE_ODBC);
    c.Connect();
    std::string table = "dictionary";
    if (!IsMdb()) {
        table = NewTable(
            "(di_dfid INTEGER, di_selno VARCHAR(10), di_mnemonic VARCHAR(10), di_cvalue VARCHAR(20))");
        Exec("INSERT INTO " + table + " VALUES (7, '1', 'M', 'one')");
        Exec("INSERT INTO " + table + " VALUES (7, '1', 'F', 'two')");
    }
    THstmt s;
    s.SetHdbc(&c);
    s.SetCursorType(SQL_CURSOR_STATIC);
    s.SetSQL(" select di_selno,di_mnemonic,di_cvalue from " + table + " where di_dfid=7 ");
    s.Prepare();
    s.Execute();
    ASSERT_TRUE(s.FetchNext());
    EXPECT_TRUE(s.GetBookmark().empty());
    EXPECT_EQ(s.CursorAttributes() & SQL_CA1_BOOKMARK, 0u);
    const std::string first = s.GetColString(2);
    ASSERT_TRUE(s.FetchNext()) << "the cursor goes on";
    EXPECT_NE(s.GetColString(2), first);
    EXPECT_TRUE(s.GetBookmark().empty());
}

ZIRA_ON_EACH_DATABASE(CursorLibrary);

} // namespace
