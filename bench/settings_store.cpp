// A large settings file (2 million keys, about 8 MB of foreign entries): what
// "orvexctl use" does with it (read five settings, store five), as a ratio to
// reading the same file's bytes once. Before the store kept the parsed file,
// every Get and Set parsed the whole file again.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/interface_settings.h"
#include "app/settings_store.h"

namespace {

const std::string &largeSettingsFile() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "orvex-bench-settings.ini";
        std::ofstream out(file, std::ios::binary);
        out << "[Port]\r\nName=/dev/ttyS0\r\nBaudrate=19200\r\n[Junk]\r\n";
        for (int i = 0; i < 2'000'000; ++i) out << "k" << (i % 1000) << "=1\r\n";
        return file.string();
    }();
    return path;
}

void ReadBytes(benchmark::State &state) {
    const std::string &path = largeSettingsFile();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(in), {}};
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(ReadBytes)->Unit(benchmark::kMillisecond);

void UseCommand(benchmark::State &state) {
    const std::string &path = largeSettingsFile();
    int round = 0;
    for (auto _ : state) {
        orvex::app::SettingsStore store(path);
        orvex::app::PortSettings ps;
        ps.name = store.get(orvex::app::settings::PortName);
        ps.baudValue = store.get(orvex::app::settings::PortBaudrate);
        ps.timeoutMs = store.get(orvex::app::settings::PortTimeoutDialog);
        ps.address = store.get(orvex::app::settings::PortAddress);
        ps.ethernet = store.get(orvex::app::settings::PortEthernet) != 0;
        ps.baudValue = (++round % 2) ? 9600 : 19200;  // a real change every round
        benchmark::DoNotOptimize(orvex::app::storePortSettings(store, ps));
    }
}
BENCHMARK(UseCommand)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
