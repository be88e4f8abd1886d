// Reader simulator: a pseudo-terminal that answers the card reader's standard and extended read
// sequences with a sample card, linked where the program looks for its serial port.
//
//   reader_sim <program folder>|<link path> [card file]
//
// Given a folder, the link is <folder>/ports/COM1. The card file holds key=value lines (see
// SampleCard::Load); without it a built-in card is used. Runs until killed; the link is removed on
// SIGINT or SIGTERM.
#include "platform/core/Exception.h"
#include "tools/readersim/PtyReaderPeer.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

std::uint64_t NowMs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <program folder>|<link path> [card file]\n", argv[0]);
        return 2;
    }
    try {
        fs::path link = argv[1];
        if (fs::is_directory(link)) {
            fs::create_directories(link / "ports");
            link = link / "ports" / "COM1";
        }
        PtyReaderPeer peer(argc == 3 ? SampleCard::Load(argv[2]) : SampleCard::BuiltIn());
        std::error_code ec;
        fs::remove(link, ec);
        fs::create_symlink(peer.SlavePath(), link);

        struct sigaction sa
        {
        };
        sa.sa_handler = OnSignal;
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGHUP, &sa, nullptr);

        std::printf("reader_sim: %s -> %s\n", link.c_str(), peer.SlavePath().c_str());
        std::fflush(stdout);
        peer.Serve([] { return g_stop == 0; }, NowMs);
        if (fs::is_symlink(link) && fs::read_symlink(link) == peer.SlavePath())
            fs::remove(link, ec);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "reader_sim: %s\n", e.what());
        return 1;
    }
}
