// Parameter binding of THstmt: typed values through the driver's description and the core one,
// streams sent whole and in pieces at execution, and what SQLBindParameter is given.
#include "ReadBack.h"

#include "odbc/base/OcihError.h"
#include "odbc/driver/Oci.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/EachDatabase.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ParamBinding : public EachDatabase
{
protected:
    void SetUp() override
    {
        EachDatabase::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Writable(), "mdbtools knows no parameter markers");
        s.SetHdbc(&c);
    }

    THstmt s;
};

// How the statement describes its markers: prepared it asks the driver, executed directly it
// describes them from their types itself.
enum class Path
{
    Driver,
    Core
};

// A stream of n bytes that are all different from their neighbours and include zero bytes.
void Fill(TMemoryStream& m, std::size_t n, bool text)
{
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = text ? static_cast<char>('a' + i % 26) : static_cast<char>((i * 7 + i / 251) % 256);
    m.Clear();
    m.WriteBuffer(bytes.data(), static_cast<std::int64_t>(n));
}

std::string Bytes(const TMemoryStream& m)
{
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.Size()));
}

} // namespace

// Every typed single value arrives as bound, on both description paths. NOTE: SQLite describes
// every marker as SQL_LONGVARCHAR 65536 and asks for long values at execution: scalars must still
// go from their buffers (an empty value would arrive otherwise).
TEST_P(ParamBinding, TypedValuesArriveOnBothPaths)
{
    for (const Path path : {Path::Driver, Path::Core}) {
        SCOPED_TRACE(path == Path::Driver ? "driver description" : "core description");
        const std::string t = NewTable("(i INTEGER, sm SMALLINT, d DOUBLE PRECISION, s VARCHAR(40), e "
                                       "VARCHAR(10), n INTEGER, ts TIMESTAMP)");
        std::int32_t i = -123456;
        std::int16_t sm = -321;
        double d = 2.5;
        std::string text = "Grüße, 'quoted' text";
        std::string empty;
        TTimeStamp ts = TimeStamp(2024, 5, 6, 7, 8, 9, 0);
        s.SetSQL("INSERT INTO " + t + " (i, sm, d, s, e, n, ts) VALUES (:i, :sm, :d, :s, :e, :n, :ts)");
        if (path == Path::Driver)
            s.Prepare();
        s.BindInteger(1, i);
        s.BindSmallint(2, sm);
        s.BindDouble(3, d);
        s.BindString(4, text);
        s.BindString(5, empty);
        s.BindNull(6);
        s.BindTimeStamp(7, ts);
        s.Execute();

        EXPECT_EQ(QueryLong(c, "SELECT i FROM " + t), -123456);
        EXPECT_EQ(QueryLong(c, "SELECT sm FROM " + t), -321);
        EXPECT_EQ(QueryText(c, "SELECT d FROM " + t).substr(0, 3), "2.5");
        EXPECT_EQ(ReadValue(c, "SELECT s FROM " + t), text);
        EXPECT_EQ(ReadValue(c, "SELECT e FROM " + t), ""); // empty text, not NULL
        EXPECT_EQ(ReadValue(c, "SELECT n FROM " + t), std::nullopt);
        EXPECT_EQ(QueryText(c, "SELECT ts FROM " + t).substr(0, 19), "2024-05-06 07:08:09");

        // A scalar variable bound once is read again at every execution.
        if (path == Path::Driver) {
            i = 7;
            text = "second";
            s.BindString(4, text); // the string's characters may have moved
            s.Execute();
            EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM " + t + " WHERE i = 7 AND s = 'second'"), 1);
        }
    }
}

// Streams longer than BlobSize: whole from their memory, or in BlobSize pieces at execution, text
// and binary alike; an empty stream is NULL.
TEST_P(ParamBinding, StreamsLongerThanBlobSizeArriveWhole)
{
    for (const TBlobPlacement placement : {bpDetect, bpByParts, bpByExec}) {
        SCOPED_TRACE(static_cast<int>(placement));
        const std::string t = NewTable("(id INTEGER, t TEXT, b " + BinaryType(c) + ")");
        s.SetBlobPlacement(placement);
        TMemoryStream text, binary, none;
        Fill(text, 70001, true);
        Fill(binary, 100000, false);
        std::int32_t id = 1;
        s.SetSQL("INSERT INTO " + t + " (id, t, b) VALUES (:id, :t, :b)");
        s.Prepare();
        s.BindInteger(1, id);
        s.BindText(2, text);
        s.BindBinary(3, binary);
        s.Execute();
        EXPECT_EQ(ReadValue(c, "SELECT t FROM " + t + " WHERE id = 1"), Bytes(text));
        EXPECT_EQ(ReadValue(c, "SELECT b FROM " + t + " WHERE id = 1", SQL_C_BINARY), Bytes(binary));

        id = 2;
        s.BindText(2, none);
        s.BindBinary(3, none);
        s.Execute();
        EXPECT_EQ(ReadValue(c, "SELECT t FROM " + t + " WHERE id = 2"), std::nullopt);
        EXPECT_EQ(ReadValue(c, "SELECT b FROM " + t + " WHERE id = 2", SQL_C_BINARY), std::nullopt);
    }
}

// A string or stream bound once is read as it is at each execution, also after a longer value moved
// its characters elsewhere (the address taken at binding then points at freed memory) and after an
// empty stream, bound as NULL, was filled.
TEST_P(ParamBinding, StringsAndStreamsBoundOnceSendTheirValueAtEachExecution)
{
    for (const Path path : {Path::Driver, Path::Core}) {
        SCOPED_TRACE(path == Path::Driver ? "driver description" : "core description");
        const std::string t = NewTable("(id INTEGER, s VARCHAR(40), t TEXT, b " + BinaryType(c) + ")");
        std::int32_t id = 1;
        std::string text(20, 'a');
        TMemoryStream memo, binary;
        Fill(memo, 20, true);
        s.SetSQL("INSERT INTO " + t + " (id, s, t, b) VALUES (:id, :s, :t, :b)");
        if (path == Path::Driver)
            s.Prepare();
        s.BindInteger(1, id);
        s.BindString(2, text);
        s.BindText(3, memo);
        s.BindBinary(4, binary);
        s.Execute();

        id = 2;
        text = std::string(30, 'b');
        Fill(memo, 70001, true);
        Fill(binary, 30, false);
        const std::string longMemo = Bytes(memo);
        s.Execute();

        id = 3;
        text = "c";
        memo.Clear();
        s.Execute();

        EXPECT_EQ(ReadValue(c, "SELECT s FROM " + t + " WHERE id = 1"), std::string(20, 'a'));
        EXPECT_EQ(ReadValue(c, "SELECT t FROM " + t + " WHERE id = 1"), std::string("abcdefghijklmnopqrst"));
        EXPECT_EQ(ReadValue(c, "SELECT b FROM " + t + " WHERE id = 1", SQL_C_BINARY), std::nullopt);
        EXPECT_EQ(ReadValue(c, "SELECT s FROM " + t + " WHERE id = 2"), std::string(30, 'b'));
        EXPECT_EQ(ReadValue(c, "SELECT t FROM " + t + " WHERE id = 2"), longMemo);
        EXPECT_EQ(ReadValue(c, "SELECT b FROM " + t + " WHERE id = 2", SQL_C_BINARY), Bytes(binary));
        EXPECT_EQ(ReadValue(c, "SELECT s FROM " + t + " WHERE id = 3"), std::string("c"));
        EXPECT_EQ(ReadValue(c, "SELECT t FROM " + t + " WHERE id = 3"), std::nullopt);
        EXPECT_EQ(ReadValue(c, "SELECT b FROM " + t + " WHERE id = 3", SQL_C_BINARY), Bytes(binary));
    }
}

ZIRA_ON_EACH_DATABASE(ParamBinding);

namespace {

// The scripted table on a SQLite statement: what SQLBindParameter, SQLPutData and SQLParamData see.
class ParamCalls : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UseNewSqlite(c);
        c.Connect();
        ExecSql(c, "CREATE TABLE t (a INTEGER, b BLOB, s VARCHAR(20))");
        s.SetHdbc(&c);
    }

    const ScriptedOdbc::Binding& Bound(std::uint16_t param)
    {
        return script.statements.at(s.GetHandle()).parameters.at(param);
    }

    THdbc c;
    THstmt s;
    ScriptedOdbc script;
};

} // namespace

// A value n bytes long with BlobSize b goes in ceil(n / b) pieces, all but the last b bytes long.
TEST_F(ParamCalls, LongValuesGoInBlobSizePieces)
{
    script.dataAtExecution = true;
    TMemoryStream m;
    Fill(m, 3 * 32768 + 1696, false);
    s.SetBlobPlacement(bpByParts);
    s.SetSQL("INSERT INTO t (b) VALUES (:b)");
    s.Prepare();
    s.BindBinary(1, m);
    EXPECT_EQ(Bound(1).indicator[0], SQL_LEN_DATA_AT_EXEC(m.Size()));
    s.Execute();
    ASSERT_EQ(script.putData.size(), 4u);
    std::string sent;
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(script.putData[k].token, m.Memory());
        EXPECT_EQ(script.putData[k].length, k < 3 ? 32768 : 1696);
        sent += script.putData[k].bytes.value_or("");
    }
    EXPECT_EQ(sent, Bytes(m));
    EXPECT_TRUE(s.Executed());
}

// A driver that asks for a value nobody bound gets no guess: the execution is cancelled and raises,
// and the statement runs again afterwards.
TEST_F(ParamCalls, UnknownDataAtExecutionTokenRaises)
{
    script.dataAtExecution = true;
    int elsewhere = 0;
    script.foreignToken = &elsewhere;
    TMemoryStream m;
    Fill(m, 10, false);
    s.SetBlobPlacement(bpByParts);
    s.SetSQL("INSERT INTO t (b) VALUES (:b)");
    s.Prepare();
    s.BindBinary(1, m);
    EXPECT_THROW(s.Execute(), RIDIZOrurori);
    EXPECT_TRUE(script.putData.empty());
    EXPECT_EQ(script.calls["SQLCancel"], 1);
    EXPECT_FALSE(s.Executed());

    script.dataAtExecution = false;
    s.Execute();
    EXPECT_EQ(QueryLong(c, "SELECT length(b) FROM t"), 10);
}

// Input text tells its length by its terminator; an output buffer is only as long as the caller's
// string, never the 256 bytes of the described column.
TEST_F(ParamCalls, TextBuffersAndOutputCapacity)
{
    std::string in = "abc";
    std::string out(10, '\0');
    s.SetSQL("SELECT :a, :b");
    s.BindString(1, in);
    s.SetParamType(SQL_PARAM_OUTPUT);
    s.BindString(2, out);
    EXPECT_EQ(Bound(1).direction, SQL_PARAM_INPUT);
    EXPECT_EQ(Bound(1).indicator[0], SQL_NTS);
    EXPECT_EQ(Bound(1).bufferLength, 256);
    EXPECT_EQ(Bound(1).sqlType, SQL_CHAR);
    EXPECT_EQ(Bound(1).columnSize, 255u);
    EXPECT_EQ(Bound(2).direction, SQL_PARAM_OUTPUT);
    EXPECT_EQ(Bound(2).bufferLength, 11);

    // Only the next binding is an output: the direction goes back to input.
    std::int32_t a = 1;
    s.BindInteger(1, a);
    EXPECT_EQ(Bound(1).direction, SQL_PARAM_INPUT);
    EXPECT_EQ(Bound(1).bufferLength, 4);
}

// The driver describes each marker once; the description it gave stays with the marker. An array's
// text is prepared again before it runs (psqlODBC keeps a described statement prepared on the server
// and then sends arrays row by row); a single row's is not (psqlODBC runs a described "{? = call f(?)}"
// only when no prepare came after the describe).
TEST_F(ParamCalls, MarkersAreDescribedOnceAndOnlyAnArraysTextPreparedAgain)
{
    std::int32_t a[3] = {1, 2, 3};
    s.SetSQL("INSERT INTO t (a) VALUES (:a)");
    s.Prepare();
    EXPECT_EQ(script.calls["SQLPrepare"], 1);
    s.BindIntegers(1, a, 2);
    EXPECT_EQ(script.calls["SQLDescribeParam"], 1);
    EXPECT_EQ(Bound(1).sqlType, SQL_LONGVARCHAR); // SQLite's answer for every marker
    s.Execute();
    EXPECT_EQ(script.calls["SQLPrepare"], 2);
    s.BindIntegers(1, a, 2);
    s.Execute();
    EXPECT_EQ(script.calls["SQLDescribeParam"], 1);
    EXPECT_EQ(script.calls["SQLPrepare"], 2);
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM t"), 6);

    std::int32_t one = 4;
    s.Prepare();
    s.BindInteger(1, one);
    EXPECT_EQ(script.calls["SQLDescribeParam"], 2);
    s.Execute();
    s.Execute();
    EXPECT_EQ(script.calls["SQLPrepare"], 3) << "a single row runs as it was described";
    EXPECT_EQ(QueryLong(c, "SELECT COUNT(*) FROM t WHERE a = 4"), 2);
}

// With BindByName every marker is named in the implementation descriptor and the typed bindings
// describe markers themselves; a by-name binding reaches the first marker of that name, whatever the
// case of its letters.
TEST_F(ParamCalls, BindByNameNamesTheMarkers)
{
    std::int32_t a = 5, b = 6;
    s.SetBindByName(true);
    s.SetSQL("INSERT INTO t (a, s) VALUES (:a, :Bee)");
    s.Prepare();
    s.BindIntegerByName("A", a);
    s.BindIntegerByName("bee", b);
    EXPECT_EQ(script.calls["SQLDescribeParam"], 0);
    EXPECT_EQ(script.calls["SQLSetDescField"], 4);
    s.Execute();
    EXPECT_EQ(QueryText(c, "SELECT a || '-' || s FROM t"), "5-6");
    EXPECT_THROW(s.BindIntegerByName("c", a), RIDIZOrurori);
}

// A marker bound again is described as it is bound now: a larger buffer with its larger size, and a
// marker the driver described, bound since with its type's own description, by the driver again.
TEST_F(ParamCalls, AMarkerBoundAgainIsDescribedAsBoundNow)
{
    std::string small(10, 'x'), large(40, 'y');
    s.SetSQL("INSERT INTO t (s) VALUES (:s)");
    s.Prepare();
    s.BindParamMain(1, SQL_C_CHAR, small.data(), SQL_VARCHAR, 10, 0, SQL_NULLABLE, 0);
    EXPECT_EQ(Bound(1).columnSize, 10u);
    s.BindParamMain(1, SQL_C_CHAR, large.data(), SQL_VARCHAR, 40, 0, SQL_NULLABLE, 0);
    EXPECT_EQ(Bound(1).columnSize, 40u);
    EXPECT_EQ(Bound(1).bufferLength, 41);
    s.Execute();
    EXPECT_EQ(QueryText(c, "SELECT s FROM t"), large);

    std::int32_t a[2] = {1, 2};
    s.BindIntegers(1, a, 1);
    EXPECT_EQ(Bound(1).sqlType, SQL_LONGVARCHAR); // SQLite's answer for every marker
    s.BindParamCore(1, SQL_C_SLONG, a, SQL_INTEGER);
    EXPECT_EQ(Bound(1).sqlType, SQL_INTEGER);
    s.BindIntegers(1, a, 1);
    EXPECT_EQ(Bound(1).sqlType, SQL_LONGVARCHAR);
    EXPECT_EQ(script.calls["SQLDescribeParam"], 2);
}
