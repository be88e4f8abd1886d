// Browsing 1,000,000 rows of (INTEGER, VARCHAR(40), DOUBLE) with TOEDataSet, First to EOF reading
// every field, beside a plain ODBC loop over the same calls in the same run: SQLite, and PostgreSQL
// when ZIRA_PG_SOCKET/ZIRA_PG_PORT name a running cluster. The dataset reads through its cursor
// (rowset 1) or through its row cache at rowsets 1, 100 and 1000; the plain loop prepares and
// executes the text as the dataset does, and fetches with the same rowset size and the text width
// THstmt binds (four bytes a character and the zero). It reads no bookmarks, which the dataset
// without a cache reads for every row.
//
// Each iteration runs both loops in turn on the same connection, in alternating order. Counters: the
// fastest pass of each (plain_s, dataset_s) and their ratio vs_plain; for the cache also
// heap_per_raw (heap the dataset kept after its open, against the raw size of the rows: 4 + 40 + 8
// bytes each), close_per_fill (the time Close takes against the time the browse took) and
// driver_close_per_fill (the part of it the driver takes to drop its result, as the plain loop's
// SQLFreeHandle does).
#include "bench/BenchDatabases.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEDataSet.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "platform/db/Field.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kNameWidth = 40;
constexpr double kRawRowBytes = 4 + kNameWidth + 8;
constexpr const char* kSelect = "SELECT id, name, amount FROM browse_rows";

using bench::Run;
using bench::Source;
using bench::Text;

Source* Sqlite()
{
    static Source s;
    if (!s.connection) {
        s.OpenSqlite("zira-bench-browse");
        THdbc& c = *s.connection;
        Run(c, "CREATE TABLE browse_rows (id INTEGER PRIMARY KEY, name VARCHAR(40), amount DOUBLE)");
        c.StartTransact();
        Run(c, "INSERT INTO browse_rows WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
               "WHERE x < " +
                   std::to_string(kRows) + ") SELECT x, printf('%040d', x), x * 0.5 FROM n");
        c.EndTransact();
    }
    return &s;
}

Source* Postgres()
{
    static Source s;
    if (!s.connection) {
        if (!s.OpenPostgres())
            return nullptr;
        THdbc& c = *s.connection;
        Run(c, "CREATE TEMPORARY TABLE browse_rows (id INTEGER PRIMARY KEY, name VARCHAR(40), amount DOUBLE "
               "PRECISION)");
        Run(c, "INSERT INTO browse_rows SELECT i, lpad(CAST(i AS text), 40, '0'), i * 0.5 FROM "
               "generate_series(1, " +
                   std::to_string(kRows) + ") i");
    }
    return &s;
}

struct Totals
{
    long long ids = 0;
    std::size_t text = 0;
    double amounts = 0;
    int rows = 0;
    double freeing = 0; // the plain loop's SQLFreeHandle: the driver dropping its result
};

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Heap in use, large blocks the allocator maps on their own included.
std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

Totals PlainLoop(THdbc& c, SQLULEN rowset)
{
    SQLHSTMT h = nullptr;
    Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &h);
    constexpr SQLLEN width = kNameWidth * 4 + 1;
    std::vector<SQLINTEGER> ids(rowset);
    std::vector<char> names(rowset * width);
    std::vector<double> amounts(rowset);
    std::vector<SQLLEN> idInd(rowset), nameInd(rowset), amountInd(rowset);
    std::vector<SQLUSMALLINT> status(rowset);
    SQLULEN fetched = 0;
    Oci::SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowset), 0);
    // Prepared and executed, as a dataset executes its text (psqlODBC reads a prepared statement's
    // result more slowly than a direct one's: a tenth to a quarter of this loop's time).
    Oci::SQLPrepare(h, Text(kSelect), SQL_NTS);
    Oci::SQLExecute(h);
    Oci::SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    Oci::SQLBindCol(h, 1, SQL_C_SLONG, ids.data(), 0, idInd.data());
    Oci::SQLBindCol(h, 2, SQL_C_CHAR, names.data(), width, nameInd.data());
    Oci::SQLBindCol(h, 3, SQL_C_DOUBLE, amounts.data(), 0, amountInd.data());
    Oci::SQLSetStmtAttr(h, SQL_ATTR_ROW_STATUS_PTR, status.data(), 0);
    Totals t;
    std::string name;
    for (;;) {
        const SQLRETURN rc = Oci::SQLFetch(h);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        for (SQLULEN r = 0; r < fetched; ++r) {
            t.ids += idInd[r] == SQL_NULL_DATA ? 0 : ids[r];
            if (nameInd[r] != SQL_NULL_DATA) {
                name.assign(&names[r * width], static_cast<std::size_t>(nameInd[r]));
                t.text += name.size();
            }
            t.amounts += amountInd[r] == SQL_NULL_DATA ? 0 : amounts[r];
            ++t.rows;
        }
    }
    const auto freeing = std::chrono::steady_clock::now();
    Oci::SQLFreeHandle(SQL_HANDLE_STMT, h);
    t.freeing = Since(freeing);
    return t;
}

struct DataSetPass
{
    Totals totals;
    double browse = 0; // open, First to EOF
    double close = 0;
    double kept = 0; // heap bytes the dataset held after the browse, beyond what it held after Open
};

DataSetPass ThroughDataSet(THdbc& c, std::uint32_t rowset, bool cached)
{
    DataSetPass pass;
    const auto start = std::chrono::steady_clock::now();
    TOEDataSet ds;
    ds.SetHdbc(&c);
    ds.SetSQL(kSelect);
    ds.SetCached(cached);
    if (rowset > 1)
        ds.hStmt().SetRowSetSize(rowset);
    ds.Open();
    // After the driver has read the result: what grows from here on is the dataset's own.
    const std::size_t before = HeapInUse();
    TField* id = ds.Fields(0);
    TField* name = ds.Fields(1);
    TField* amount = ds.Fields(2);
    Totals& t = pass.totals;
    ds.First();
    while (!ds.Eof()) {
        t.ids += id->AsInteger();
        t.text += name->AsString().size();
        t.amounts += amount->AsFloat();
        ++t.rows;
        ds.Next();
    }
    pass.browse = Since(start);
    pass.kept = static_cast<double>(HeapInUse()) - static_cast<double>(before);
    const auto closing = std::chrono::steady_clock::now();
    ds.Close();
    pass.close = Since(closing);
    return pass;
}

void Compare(benchmark::State& state, Source* (*source)())
{
    Source* s = source();
    if (s == nullptr) {
        state.SkipWithError("no PostgreSQL cluster (ZIRA_PG_SOCKET/ZIRA_PG_PORT unset)");
        return;
    }
    const auto rowset = static_cast<std::uint32_t>(state.range(0));
    const bool cached = state.range(1) != 0;
    double plainSeconds = 1e9, dataSetSeconds = 1e9, closeSeconds = 1e9, plainFreeSeconds = 1e9;
    double kept = 0;
    int passes = 0;
    for (auto _ : state) {
        // Both orders in turn, so neither loop always meets a warmer cache.
        const bool plainFirst = passes % 2 == 0;
        Totals plain;
        DataSetPass pass;
        for (int k = 0; k < 2; ++k) {
            if ((k == 0) == plainFirst) {
                const auto start = std::chrono::steady_clock::now();
                plain = PlainLoop(*s->connection, rowset);
                plainSeconds = std::min(plainSeconds, Since(start));
                plainFreeSeconds = std::min(plainFreeSeconds, plain.freeing);
            } else {
                pass = ThroughDataSet(*s->connection, rowset, cached);
                if (pass.browse < dataSetSeconds) {
                    dataSetSeconds = pass.browse;
                    closeSeconds = pass.close;
                }
                kept = pass.kept;
            }
        }
        const Totals& d = pass.totals;
        if (plain.rows != kRows || d.rows != kRows || plain.ids != d.ids || plain.text != d.text ||
            plain.amounts != d.amounts)
            state.SkipWithError("the plain loop and the dataset read different values");
        benchmark::DoNotOptimize(plain);
        benchmark::DoNotOptimize(pass);
        state.SetIterationTime(pass.browse);
        ++passes;
    }
    state.counters["plain_s"] = plainSeconds;
    state.counters["dataset_s"] = dataSetSeconds;
    state.counters["vs_plain"] = dataSetSeconds / plainSeconds;
    if (cached) {
        state.counters["heap_per_raw"] = kept / (kRows * kRawRowBytes);
        state.counters["close_per_fill"] = closeSeconds / dataSetSeconds;
        // Of that, what the driver takes to drop its result (as long in the plain loop).
        state.counters["driver_close_per_fill"] = plainFreeSeconds / dataSetSeconds;
    }
}

void SqliteBrowse(benchmark::State& state)
{
    Compare(state, &Sqlite);
}

void PostgresBrowse(benchmark::State& state)
{
    Compare(state, &Postgres);
}

// Rowset, cached: through the cursor at rowset 1 (a larger rowset makes the dataset cache), and
// through the cache at each rowset.
void BrowseRuns(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"rowset", "cached"});
    b->Args({1, 0})->Args({1, 1})->Args({100, 1})->Args({1000, 1});
    b->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);
}

} // namespace

BENCHMARK(SqliteBrowse)->Apply(BrowseRuns);
BENCHMARK(PostgresBrowse)->Apply(BrowseRuns);
