// Writing a whole key table to the simulated USB keyboard reader (a US
// table replaced by the German one): the requests sent against the least the
// transfer needs (one query per character, one set command per changed
// character and the closing Escape key, one power-on poll, one read-back),
// and the time taken against the sum of the fixed 15 ms pauses after each
// set command.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <unistd.h>

#include "orvex/orvex.h"
#include "params/key_table_transfer.h"
#include "sim/hid/usb_reader.h"
#include "sim/key_table.h"

namespace {

void BM_WriteFullKeyTable(benchmark::State &state) {
    char folder[] = "/tmp/orvex-bench-hid-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    setenv("ORVEX_HID_SIM_DIR", folder, 1);
    orvex::sim::hid::HidOptions hid;
    hid.folder = folder;
    orvex::sim::hid::UsbReader reader(orvex::sim::Options{}, hid);
    const int port = Orvex_OpenPort("73011234 HID", 19200, 300);
    if (port <= 0) {
        state.SkipWithError("the simulated reader did not open");
        return;
    }
    const auto german = orvex::app::readReaderKeyTable(port);

    double requests = 0, minimum = 0, seconds = 0, fixedWaits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        reader.modifyState([](orvex::sim::ReaderState &s) { s.keyTable = orvex::sim::usKeyTable(); });
        state.ResumeTiming();
        orvex::app::KeyTableWriteStats stats;
        const auto t0 = std::chrono::steady_clock::now();
        if (!orvex::app::writeReaderKeyTable(port, *german, {}, &stats)) state.SkipWithError("write failed");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        requests += stats.queries + stats.keyWrites + stats.powerOnPolls;
        minimum += 94 + (stats.changed + 1) + 1 + 94;
        fixedWaits += stats.keyWrites * 0.015;
    }
    state.counters["requests_vs_minimum"] = requests / minimum;
    state.counters["time_vs_fixed_waits"] = seconds / fixedWaits;
    Orvex_ClosePort(port);
    reader.stop();
    rmdir(folder);
    unsetenv("ORVEX_HID_SIM_DIR");
}
BENCHMARK(BM_WriteFullKeyTable)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
