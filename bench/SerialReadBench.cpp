// One full standard card read over a pseudo-terminal, the reader simulator answering from its own
// thread. Reported beside the wall time: the wire time the exchanged bytes would take at 115200 baud
// (10 bits a byte) and the CPU time the reading thread spent, most of it waiting for replies.
//   reader_bench                 the reader answers at once
//   (paced)                      the reader sends its replies at about 115200 baud
#include "platform/os/SystemClock.h"
#include "reader/ReaderLink.h"
#include "tools/readersim/PtyReaderPeer.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

class NoPump : public Pump
{
public:
    void ProcessMessages() override {}
};

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::uint64_t NowMs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void StandardRead(benchmark::State& state)
{
    const bool paced = state.range(0) != 0;
    PtyReaderPeer line;
    std::atomic<bool> run{true};
    ReaderPeer& peer = line.Peer();
    const ReaderCommand sequence[] = {kCmdReadSamId, kCmdFindCard, kCmdSelectCard, kCmdReadTextPhoto,
                                      kCmdReadNewAddress};
    std::size_t wireBytes = 0;
    for (ReaderCommand c : sequence)
        wireBytes += 10 + peer.DefaultReply(c).size();
    // The peer is scripted before its thread starts and only read by it afterwards.
    auto script = [&] {
        if (!paced)
            return;
        // 12 bytes per delivery, one delivery a millisecond: about 115200 baud.
        for (ReaderCommand c : sequence)
            peer.Script(c, PeerReply{peer.DefaultReply(c), 12, 0});
    };
    SystemClock clock;
    NoPump pump;
    ReaderLink link(clock, pump);
    CardReply reply;
    double cpu = 0;
    double wall = 0;
    int failures = 0;
    for (auto _ : state) {
        state.PauseTiming();
        script();
        link.SetSamIdRead(false);
        std::thread server([&] { line.Serve([&] { return run.load(); }, NowMs); });
        state.ResumeTiming();
        const double c0 = ThreadCpuSeconds();
        const auto w0 = std::chrono::steady_clock::now();
        if (link.ReadCardStd(line.SlavePath(), "10", reply, "115200") != kReadCardOk)
            ++failures;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
        cpu += ThreadCpuSeconds() - c0;
        state.PauseTiming();
        run = false;
        server.join();
        run = true;
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["wire_ms"] = static_cast<double>(wireBytes) * 10.0 / 115200.0 * 1000.0;
    state.counters["wall_ms"] = wall / n * 1000.0;
    state.counters["cpu_ms"] = cpu / n * 1000.0;
    state.counters["bytes"] = static_cast<double>(wireBytes);
    state.counters["failures"] = failures;
}

} // namespace

BENCHMARK(StandardRead)->Arg(0)->ArgName("paced")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(StandardRead)->Arg(1)->ArgName("paced")->Unit(benchmark::kMillisecond)->Iterations(10);
