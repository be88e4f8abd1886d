// The work of one card read that does not wait on the reader: turning an extended photo reply's
// hexadecimal text into bytes, decoding the card's UCS-2 text block, and the settings reads the
// main window makes (each read checks the file on disk for changes by other objects).
#include "platform/core/IniFile.h"
#include "platform/core/TextEncoding.h"
#include "reader/HexText.h"
#include "tools/readersim/SampleCard.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

static void BM_ParseHexTextPhotoReply(benchmark::State& state)
{
    std::string text;
    for (int i = 0; i < 1535; ++i) {
        static const char digits[] = "0123456789ABCDEF";
        text += digits[(i * 7) & 15];
        text += digits[(i * 3) & 15];
    }
    std::vector<Byte> out(1535);
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseHexText(out, text));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseHexTextPhotoReply);

static void BM_DecodeCardText(benchmark::State& state)
{
    const std::vector<Byte> text = SampleCard::BuiltIn().TextBlock();
    const std::string block(text.begin(), text.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(Ucs2LeToUtf8(block));
}
BENCHMARK(BM_DecodeCardText);

static void BM_SettingsRead(benchmark::State& state)
{
    const auto path = std::filesystem::temp_directory_path() / "zira-bench-style.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[ICReader]\r\nCommPort=2001\r\n[SetupKey]\r\n";
        for (int i = 0; i < 40; ++i)
            out << "Key" << i << "=" << i << "\r\n";
        out << "[print_id]\r\n20261210=17\r\n";
    }
    TIniFile ini(path.string());
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.ReadInteger("print_id", "20261210", 0));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SettingsRead);
