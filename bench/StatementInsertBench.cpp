// Inserting 200,000 rows (INTEGER, VARCHAR(40), DOUBLE PRECISION) in one transaction with parameter
// arrays of 1, 100 and 1000 rows: THstmt beside a plain loop over the same ODBC calls, in the same
// run, on SQLite and PostgreSQL. Counters: thstmt_s and plain_s (seconds per 200,000 rows, the
// fastest pass of each: on a shared machine the other passes carry other programs' load), ratio
// (THstmt / plain loop, of those fastest passes) and mean_ratio (of all passes). On PostgreSQL also
// described_ratio: the plain loop that describes its markers once (SQLDescribeParam) before binding,
// as a library that always describes does, against the plain loop.
//
// PostgreSQL needs a running cluster: ZIRA_PG_SOCKET and ZIRA_PG_PORT as scripts/services/postgres.sh
// exports them (cleanup=(); source scripts/services/postgres.sh); without them it is skipped.
#include "bench/BenchDatabases.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/StringList.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 200000;
constexpr const char* kTable = "zira_bench_insert";

enum class Database
{
    Sqlite,
    Postgres
};

// The connection string of the database, or empty when it is not here.
std::string ConnectString(Database database)
{
    if (database == Database::Sqlite) {
        static const std::string file = bench::SqliteFile("zira-bench-insert");
        return bench::SqliteConnectString(file);
    }
    return bench::PostgresConnectString();
}

void Require(SQLRETURN rc, const char* what)
{
    if (!SQL_SUCCEEDED(rc))
        throw std::runtime_error(what);
}

void Direct(THdbc& c, const std::string& sql)
{
    SQLHANDLE h = nullptr;
    Require(Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &h), "SQLAllocHandle");
    Oci::SQLExecDirect(h, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    Oci::SQLFreeHandle(SQL_HANDLE_STMT, h);
}

void NewTable(THdbc& c)
{
    Direct(c, std::string("DROP TABLE ") + kTable);
    Direct(c, std::string("CREATE TABLE ") + kTable + " (id INTEGER, s VARCHAR(40), d DOUBLE PRECISION)");
}

long Count(THdbc& c)
{
    SQLHANDLE h = nullptr;
    Require(Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &h), "SQLAllocHandle");
    const std::string sql = std::string("SELECT COUNT(*) FROM ") + kTable;
    SQLINTEGER n = -1;
    SQLLEN ind = 0;
    if (SQL_SUCCEEDED(
            Oci::SQLExecDirect(h, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS)) &&
        SQL_SUCCEEDED(Oci::SQLFetch(h)))
        Oci::SQLGetData(h, 1, SQL_C_SLONG, &n, 0, &ind);
    Oci::SQLFreeHandle(SQL_HANDLE_STMT, h);
    return n;
}

// The values both loops send: the same arrays, filled the same way before each execution.
struct Rows
{
    explicit Rows(int n) : ids(n), texts(static_cast<std::size_t>(n) * 256), doubles(n), textInd(n) {}
    void Fill(int first, int n)
    {
        for (int r = 0; r < n; ++r) {
            const int k = first + r;
            ids[r] = k;
            const int length =
                std::snprintf(&texts[static_cast<std::size_t>(r) * 256], 256, "row %d of the bench", k);
            textInd[r] = length;
            doubles[r] = k * 0.25;
        }
    }
    std::vector<std::int32_t> ids;
    std::vector<char> texts;
    std::vector<double> doubles;
    std::vector<SQLLEN> textInd;
};

std::string InsertSql()
{
    return std::string("INSERT INTO ") + kTable + " (id, s, d) VALUES (?, ?, ?)";
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The plain loop: prepare, bind the arrays once, then fill and execute; commit.
double PlainLoop(THdbc& c, int n, bool describe)
{
    NewTable(c);
    Rows rows(n);
    SQLHANDLE dbc = c.GetHandle();
    const auto start = std::chrono::steady_clock::now();
    Require(
        Oci::SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
        "autocommit off");
    SQLHANDLE h = nullptr;
    Require(Oci::SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h), "SQLAllocHandle");
    const std::string sql = InsertSql();
    Require(Oci::SQLPrepare(h, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS),
            "SQLPrepare");
    SQLSMALLINT types[3] = {SQL_INTEGER, SQL_VARCHAR, SQL_DOUBLE};
    SQLULEN sizes[3] = {0, 40, 0};
    if (describe) {
        for (SQLUSMALLINT p = 1; p <= 3; ++p) {
            SQLSMALLINT digits = 0, nullable = 0;
            Require(Oci::SQLDescribeParam(h, p, &types[p - 1], &sizes[p - 1], &digits, &nullable),
                    "SQLDescribeParam");
        }
    }
    Require(Oci::SQLSetStmtAttr(h, SQL_ATTR_PARAMSET_SIZE,
                                reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(n)), 0),
            "PARAMSET_SIZE");
    Require(Oci::SQLBindParameter(h, 1, SQL_PARAM_INPUT, SQL_C_SLONG, types[0], sizes[0], 0, rows.ids.data(),
                                  0, nullptr),
            "bind 1");
    Require(Oci::SQLBindParameter(h, 2, SQL_PARAM_INPUT, SQL_C_CHAR, types[1], sizes[1], 0, rows.texts.data(),
                                  256, rows.textInd.data()),
            "bind 2");
    Require(Oci::SQLBindParameter(h, 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, types[2], sizes[2], 0,
                                  rows.doubles.data(), 0, nullptr),
            "bind 3");
    for (int done = 0; done < kRows; done += n) {
        rows.Fill(done, n);
        Require(Oci::SQLExecute(h), "SQLExecute");
    }
    Require(Oci::SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), "commit");
    const auto stop = std::chrono::steady_clock::now();
    Oci::SQLFreeHandle(SQL_HANDLE_STMT, h);
    Oci::SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    if (Count(c) != kRows)
        throw std::runtime_error("the plain loop lost rows");
    return Seconds(stop - start);
}

// The same through THstmt: named markers, typed array bindings (described by the driver), Execute.
double ThstmtLoop(THdbc& c, int n)
{
    NewTable(c);
    Rows rows(n);
    const auto start = std::chrono::steady_clock::now();
    c.StartTransact();
    THstmt s;
    s.SetHdbc(&c);
    s.SetSQL(std::string("INSERT INTO ") + kTable + " (id, s, d) VALUES (:id, :s, :d)");
    s.Prepare();
    s.BindIntegers(1, rows.ids.data(), static_cast<SqlULen>(n - 1));
    s.BindNullStrings(2, rows.texts.data(), static_cast<SqlULen>(n - 1));
    s.BindDoubles(3, rows.doubles.data(), static_cast<SqlULen>(n - 1));
    for (int done = 0; done < kRows; done += n) {
        rows.Fill(done, n);
        s.Execute();
    }
    c.Commit();
    const auto stop = std::chrono::steady_clock::now();
    s.Close();
    c.EndTransact();
    if (Count(c) != kRows)
        throw std::runtime_error("THstmt lost rows");
    return Seconds(stop - start);
}

void BM_Insert(benchmark::State& state, Database database)
{
    const int n = static_cast<int>(state.range(0));
    const std::string cs = ConnectString(database);
    if (cs.empty()) {
        state.SkipWithError("no PostgreSQL cluster (ZIRA_PG_SOCKET/ZIRA_PG_PORT unset)");
        return;
    }
    THdbc c;
    TStringList lines;
    lines.Add(cs);
    c.SetAttributes(lines);
    c.Connect();
    double plain = 0, thstmt = 0, described = 1e9;
    double bestPlain = 1e9, bestThstmt = 1e9;
    int rounds = 0;
    for (auto _ : state) {
        // Alternate the order so that neither loop always meets a warmer server or cache.
        double p = 0, t = 0;
        if (rounds % 2 == 0) {
            p = PlainLoop(c, n, false);
            t = ThstmtLoop(c, n);
        } else {
            t = ThstmtLoop(c, n);
            p = PlainLoop(c, n, false);
        }
        plain += p;
        thstmt += t;
        bestPlain = std::min(bestPlain, p);
        bestThstmt = std::min(bestThstmt, t);
        if (database == Database::Postgres && n > 1)
            described = std::min(described, PlainLoop(c, n, true));
        state.SetIterationTime(t);
        ++rounds;
    }
    Direct(c, std::string("DROP TABLE ") + kTable);
    state.counters["plain_s"] = bestPlain;
    state.counters["thstmt_s"] = bestThstmt;
    state.counters["ratio"] = bestThstmt / bestPlain;
    state.counters["mean_ratio"] = thstmt / plain;
    if (described < 1e9)
        state.counters["described_ratio"] = described / bestPlain;
    std::printf("%s, arrays of %d: THstmt %.3f s, plain loop %.3f s, ratio %.3f (of the means %.3f)\n",
                database == Database::Sqlite ? "SQLite" : "PostgreSQL", n, bestThstmt, bestPlain,
                bestThstmt / bestPlain, thstmt / plain);
    if (described < 1e9)
        std::printf("PostgreSQL, arrays of %d: a plain loop that describes its markers %.3f s, ratio %.3f\n",
                    n, described, described / bestPlain);
    if (database == Database::Sqlite)
        std::filesystem::remove(cs.substr(cs.find("Database=") + 9));
}

} // namespace

BENCHMARK_CAPTURE(BM_Insert, SQLite, Database::Sqlite)
    ->Arg(1)
    ->Arg(100)
    ->Arg(1000)
    ->Iterations(6)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Insert, PostgreSQL, Database::Postgres)
    ->Arg(1)
    ->Arg(100)
    ->Arg(1000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
