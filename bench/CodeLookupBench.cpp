// The sex and nation lookups of one card read on DataBase.mdb through the mdbtools driver, with the
// main window's query as it is placed (Table1 on a connection with the cursor library, cursor type
// 3, row count rcCustom), beside the time a standard read takes on the wire at 115200 baud.
//
// Counters: lookups_ms (both lookups of one read), wire_ms (the bytes a standard read exchanges at
// 10 bits a byte), share (lookups against the wire time; the goal is under 0.05).
#include "app/mainwindow/CodeLookup.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/handles/Hdbc.h"
#include "tools/readersim/ReaderPeer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

// The standard read's exchange: each command (10 bytes) and its reply.
double WireMilliseconds()
{
    ReaderPeer peer;
    std::size_t bytes = 0;
    for (ReaderCommand c :
         {kCmdReadSamId, kCmdFindCard, kCmdSelectCard, kCmdReadTextPhoto, kCmdReadNewAddress})
        bytes += 10 + peer.DefaultReply(c).size();
    return static_cast<double>(bytes) * 10.0 / 115200.0 * 1000.0;
}

void SexAndNationLookups(benchmark::State& state)
{
    // The driver named by its file: no ODBC configuration needed.
    TComponent form;
    auto* connection = new THdbc(&form);
    connection->SetCursorLib(1);
    connection->Attributes().Add("DRIVER=/usr/lib/x86_64-linux-gnu/odbc/libmdbodbc.so");
    connection->Attributes().Add("DBQ=" + std::string(ZIRA_BENCH_DIST_DIR) + "/DataBase.mdb");
    auto* table = new TOEQuery(&form);
    table->hStmt().SetCursorType(3);
    table->hStmt().SetRowCountMethod(rcCustom);
    connection->Connect(); // at start-up, not on the road of a read

    std::string sex, nation;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        sex = LookupSexText(*table, "1");
        nation = LookupNationText(*table, "01");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(sex);
        benchmark::DoNotOptimize(nation);
    }
    if (sex != "男" || nation != "汉族")
        state.SkipWithError("the lookups did not find 男 and 汉族");
    const double lookups = seconds / static_cast<double>(state.iterations()) * 1000.0;
    const double wire = WireMilliseconds();
    state.counters["lookups_ms"] = lookups;
    state.counters["wire_ms"] = wire;
    state.counters["share"] = lookups / wire;
    table->Close();
}

} // namespace

BENCHMARK(SexAndNationLookups)->Unit(benchmark::kMillisecond);
