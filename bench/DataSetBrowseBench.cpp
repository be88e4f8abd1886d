// Browsing 1,000,000 rows (First to EOF, reading every field) with TOEDataSet, through the cursor and
// through the row cache, beside the plain ODBC loop over the same SQLite table in the same run.
//
// Counters: rows_per_s; for the dataset runs also vs_plain (time against the plain loop of this run,
// the goal being 1.5 or less through the cursor); for the cached run heap_per_raw (heap the browse
// kept, against the raw size of the rows: 4 + 40 + 8 bytes each; the goal is 2 or less).
#include "odbc/datasets/OEDataSet.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "platform/db/Field.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kRows = 1000000;
constexpr int kNameWidth = 40;
constexpr double kRawRowBytes = 4 + kNameWidth + 8;

// A database of kRows rows, made once for the run (the driver named by its file: no ODBC
// configuration needed).
struct Database
{
    std::string file;

    Database()
    {
        file = (std::filesystem::temp_directory_path() /
                ("zira-bench-browse-" + std::to_string(getpid()) + ".db"))
                   .string();
        std::filesystem::remove(file);
        THdbc c;
        Configure(c);
        c.Connect();
        Exec(c, "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), amount DOUBLE)");
        Exec(c, "INSERT INTO t WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
                    std::to_string(kRows) + ") SELECT x, printf('%040d', x), x * 0.5 FROM n");
    }
    ~Database()
    {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
    void Configure(THdbc& c) const
    {
        TStringList lines;
        lines.Add("DRIVER=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
        lines.Add("Database=" + file);
        c.SetAttributes(lines);
    }
    static void Exec(THdbc& c, const std::string& sql)
    {
        SQLHANDLE h = nullptr;
        Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &h);
        Oci::SQLExecDirect(h, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
        Oci::SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
};

const Database& Db()
{
    static const Database db;
    return db;
}

// Seconds of the plain loop's last run, for the datasets' comparison.
double& PlainSeconds()
{
    static double seconds = 0;
    return seconds;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

} // namespace

static void BM_BrowsePlainOdbcLoop(benchmark::State& state)
{
    THdbc c;
    Db().Configure(c);
    c.Connect();
    std::int64_t ids = 0;
    double amounts = 0;
    std::string name;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        SQLHANDLE h = nullptr;
        Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &h);
        Oci::SQLExecDirect(h, reinterpret_cast<SQLCHAR*>(const_cast<char*>("SELECT id, name, amount FROM t")),
                           SQL_NTS);
        SQLINTEGER id = 0;
        char text[kNameWidth + 1] = {};
        double amount = 0;
        SQLLEN ind[3] = {};
        Oci::SQLBindCol(h, 1, SQL_C_SLONG, &id, 0, &ind[0]);
        Oci::SQLBindCol(h, 2, SQL_C_CHAR, text, sizeof text, &ind[1]);
        Oci::SQLBindCol(h, 3, SQL_C_DOUBLE, &amount, 0, &ind[2]);
        int rows = 0;
        while (SQL_SUCCEEDED(Oci::SQLFetch(h))) {
            ids += id;
            name.assign(text, ind[1] > 0 ? static_cast<std::size_t>(ind[1]) : 0);
            amounts += amount;
            ++rows;
        }
        Oci::SQLFreeHandle(SQL_HANDLE_STMT, h);
        PlainSeconds() = Seconds(start);
        if (rows != kRows)
            state.SkipWithError("the plain loop did not see every row");
    }
    benchmark::DoNotOptimize(ids);
    benchmark::DoNotOptimize(amounts);
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(kRows) / PlainSeconds());
}
BENCHMARK(BM_BrowsePlainOdbcLoop)->Iterations(1)->Unit(benchmark::kMillisecond);

static void BrowseDataSet(benchmark::State& state, bool cached)
{
    THdbc c;
    Db().Configure(c);
    c.Connect();
    std::int64_t ids = 0;
    double amounts = 0;
    std::size_t names = 0;
    double seconds = 0;
    double kept = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TOEDataSet ds;
        ds.SetHdbc(&c);
        ds.SetSQL("SELECT id, name, amount FROM t");
        ds.SetCached(cached);
        ds.Open();
        // After the driver has read the result: what grows from here on is the dataset's own.
        const std::size_t before = HeapInUse();
        TField* id = ds.Fields(0);
        TField* name = ds.Fields(1);
        TField* amount = ds.Fields(2);
        int rows = 0;
        ds.First();
        while (!ds.Eof()) {
            ids += id->AsInteger();
            names += name->AsString().size();
            amounts += amount->AsFloat();
            ++rows;
            ds.Next();
        }
        seconds = Seconds(start);
        kept = static_cast<double>(HeapInUse()) - static_cast<double>(before);
        if (rows != kRows)
            state.SkipWithError("the dataset did not show every row");
    }
    benchmark::DoNotOptimize(ids);
    benchmark::DoNotOptimize(amounts);
    benchmark::DoNotOptimize(names);
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(kRows) / seconds);
    if (PlainSeconds() > 0)
        state.counters["vs_plain"] = benchmark::Counter(seconds / PlainSeconds());
    if (cached)
        state.counters["heap_per_raw"] = benchmark::Counter(kept / (kRows * kRawRowBytes));
}

static void BM_BrowseOEDataSetUncached(benchmark::State& state)
{
    BrowseDataSet(state, false);
}
BENCHMARK(BM_BrowseOEDataSetUncached)->Iterations(1)->Unit(benchmark::kMillisecond);

static void BM_BrowseOEDataSetCached(benchmark::State& state)
{
    BrowseDataSet(state, true);
}
BENCHMARK(BM_BrowseOEDataSetCached)->Iterations(1)->Unit(benchmark::kMillisecond);
