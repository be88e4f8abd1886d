// THstmt fetching against a plain loop over the same ODBC calls: 1,000,000 rows of (INTEGER,
// VARCHAR(40), DOUBLE), and of (INTEGER, TEXT, DOUBLE), from SQLite and from PostgreSQL (when
// ZIRA_PG_SOCKET/ZIRA_PG_PORT name a running cluster), at rowset sizes 1, 100 and 1000. Each
// iteration runs both loops in turn on the same connection; the time is THstmt's pass, the counters
// give the fastest pass of each loop and their ratio (THstmt / plain).
#include "bench/BenchDatabases.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;

using bench::Run;
using bench::Source;
using bench::Text;

Source* Sqlite()
{
    static Source s;
    if (!s.connection) {
        s.OpenSqlite("zira-bench");
        s.table = "bench_rows";
        THdbc& c = *s.connection;
        Run(c, "CREATE TABLE bench_rows (id INTEGER, name VARCHAR(40), price DOUBLE)");
        Run(c, "CREATE TABLE bench_notes (id INTEGER, name TEXT, price DOUBLE)");
        c.StartTransact();
        for (const char* table : {"bench_rows", "bench_notes"})
            Run(c, std::string("INSERT INTO ") + table +
                       " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                       std::to_string(kRows) + ") SELECT i, 'customer number ' || i, i * 0.25 FROM n");
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
        s.table = "bench_rows";
        THdbc& c = *s.connection;
        Run(c, "CREATE TEMPORARY TABLE bench_rows (id INTEGER, name VARCHAR(40), price DOUBLE PRECISION)");
        Run(c, "CREATE TEMPORARY TABLE bench_notes (id INTEGER, name TEXT, price DOUBLE PRECISION)");
        for (const char* table : {"bench_rows", "bench_notes"})
            Run(c, std::string("INSERT INTO ") + table +
                       " SELECT i, 'customer number ' || i, i * 0.25 FROM generate_series(1, " +
                       std::to_string(kRows) + ") i");
    }
    return &s;
}

struct Totals
{
    long long ids = 0;
    std::size_t text = 0;
    double prices = 0;
};

// THstmt with its typed cell reads.
Totals ThroughStatement(THdbc& c, const std::string& sql, SqlULen rowset)
{
    THstmt s;
    s.SetHdbc(&c);
    s.SetRowSetSize(rowset);
    s.SetSQL(sql);
    s.Execute();
    Totals t;
    while (s.FetchNext()) {
        const SqlULen rows = s.GetRowsFetched();
        for (SqlULen r = 1; r <= rows; ++r) {
            t.ids += s.GetCellInteger(1, r);
            t.text += s.GetCellString(2, r).size();
            t.prices += s.GetCellDouble(3, r);
        }
    }
    return t;
}

// The same calls and bindings by hand: the widths THstmt chooses (a text cell holds four bytes per
// character of the column and the zero byte; a TEXT cell first holds 1024 bytes), the row status and
// rows-fetched arrays, SQLFetch. A TEXT value of a one-row rowset is read apart, with SQLGetData.
Totals PlainLoop(THdbc& c, const std::string& sql, SqlULen rowset, bool longText)
{
    SQLHSTMT h = nullptr;
    Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &h);
    const SQLLEN width = longText ? 1024 + 1 : 40 * 4 + 1;
    const bool apart = longText && rowset == 1;
    std::vector<char> piece(apart ? 32768 + 1 : 0);
    std::vector<SQLINTEGER> ids(rowset);
    std::vector<char> names(rowset * width);
    std::vector<double> prices(rowset);
    std::vector<SQLLEN> idInd(rowset), nameInd(rowset), priceInd(rowset);
    std::vector<SQLUSMALLINT> status(rowset);
    SQLULEN fetched = 0;
    Oci::SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowset), 0);
    Oci::SQLExecDirect(h, Text(sql), SQL_NTS);
    Oci::SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    Oci::SQLBindCol(h, 1, SQL_C_SLONG, ids.data(), 0, idInd.data());
    if (!apart)
        Oci::SQLBindCol(h, 2, SQL_C_CHAR, names.data(), width, nameInd.data());
    Oci::SQLBindCol(h, 3, SQL_C_DOUBLE, prices.data(), 0, priceInd.data());
    Oci::SQLSetStmtAttr(h, SQL_ATTR_ROW_STATUS_PTR, status.data(), 0);
    Totals t;
    for (;;) {
        const SQLRETURN rc = Oci::SQLFetch(h);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        if (apart) {
            Oci::SQLGetData(h, 2, SQL_C_CHAR, piece.data(), static_cast<SQLLEN>(piece.size()),
                            nameInd.data());
            std::memcpy(names.data(), piece.data(),
                        static_cast<std::size_t>(std::max<SQLLEN>(nameInd[0], 0)));
        }
        for (SQLULEN r = 0; r < fetched; ++r) {
            t.ids += idInd[r] == SQL_NULL_DATA ? 0 : ids[r];
            if (nameInd[r] != SQL_NULL_DATA)
                t.text += std::string(&names[r * width], static_cast<std::size_t>(nameInd[r])).size();
            t.prices += priceInd[r] == SQL_NULL_DATA ? 0 : prices[r];
        }
    }
    Oci::SQLFreeHandle(SQL_HANDLE_STMT, h);
    return t;
}

void Compare(benchmark::State& state, Source* (*source)(), bool longText)
{
    Source* s = source();
    if (s == nullptr) {
        state.SkipWithError("no PostgreSQL cluster (ZIRA_PG_SOCKET/ZIRA_PG_PORT unset)");
        return;
    }
    const auto rowset = static_cast<SqlULen>(state.range(0));
    const std::string sql =
        "SELECT id, name, price FROM " + (longText ? std::string("bench_notes") : s->table);
    using Clock = std::chrono::steady_clock;
    // The fastest pass of each loop: on a shared machine the others carry other programs' load.
    double plainSeconds = 1e9, statementSeconds = 1e9;
    int passes = 0;
    for (auto _ : state) {
        // Both orders in turn, so neither loop always meets a warmer cache.
        const bool plainFirst = passes % 2 == 0;
        Totals a, b;
        double iteration = 0;
        for (int k = 0; k < 2; ++k) {
            const bool plain = (k == 0) == plainFirst;
            const auto start = Clock::now();
            (plain ? a : b) = plain ? PlainLoop(*s->connection, sql, rowset, longText)
                                    : ThroughStatement(*s->connection, sql, rowset);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            double& best = plain ? plainSeconds : statementSeconds;
            best = std::min(best, seconds);
            if (!plain)
                iteration = seconds;
        }
        if (a.ids != b.ids || a.text != b.text || a.prices != b.prices)
            state.SkipWithError("the two loops read different values");
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        state.SetIterationTime(iteration);
        ++passes;
    }
    state.counters["plain_s"] = plainSeconds;
    state.counters["thstmt_s"] = statementSeconds;
    state.counters["ratio"] = statementSeconds / plainSeconds;
}

void SqliteFetch(benchmark::State& state)
{
    Compare(state, &Sqlite, false);
}

void PostgresFetch(benchmark::State& state)
{
    Compare(state, &Postgres, false);
}

void SqliteFetchText(benchmark::State& state)
{
    Compare(state, &Sqlite, true);
}

void PostgresFetchText(benchmark::State& state)
{
    Compare(state, &Postgres, true);
}

// Both databases are measured alike: the same rowset sizes and passes.
void FetchRuns(benchmark::internal::Benchmark* b)
{
    b->Arg(1)->Arg(100)->Arg(1000)->Iterations(10)->UseManualTime()->Unit(benchmark::kSecond);
}

} // namespace

BENCHMARK(SqliteFetch)->Apply(FetchRuns);
BENCHMARK(PostgresFetch)->Apply(FetchRuns);
BENCHMARK(SqliteFetchText)->Apply(FetchRuns);
BENCHMARK(PostgresFetchText)->Apply(FetchRuns);
