// Inquiry with the name requests of 8 radio readers behind the simulated dongle,
// through the C API: total time against the sum of the dongle's own answer times
// (inquiry + one name answer per reader). The protocol allows no overlap here, so
// host_ratio - 1 is what the host adds: frame handling, waits and wake-ups.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "orvex/orvex.h"
#include "sim/dongle/dongle_options.h"
#include "sim/dongle/pty_dongle.h"

namespace {

constexpr int kReaders = 8;
constexpr int kInquiryMs = 200;
constexpr int kNameMs = 25;

void BM_InquiryWithNames(benchmark::State &state) {
    orvex::sim::dongle::DongleCommandLine line;
    for (int i = 0; i < kReaders; ++i) line.radioReaders.push_back("Orvex RT2851#000" + std::to_string(i + 1));
    line.options.inquiryMs = kInquiryMs;
    line.options.nameMs = kNameMs;
    if (!orvex::sim::dongle::resolveRadioReaders(line).empty()) {
        state.SkipWithError("bad radio readers");
        return;
    }
    orvex::sim::dongle::PtyDongle dongle(line.options, orvex::sim::Options{});
    const int handle = Orvex_OpenPort(dongle.portName().c_str(), 19200, 500);
    if (handle <= 0) {
        state.SkipWithError("dongle did not open");
        return;
    }
    unsigned char records[kReaders * 38];
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (Orvex_BtInquiry(handle, records, sizeof records, 20000, 0) != static_cast<int>(sizeof records)) {
            state.SkipWithError("inquiry incomplete");
            break;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    Orvex_ClosePort(handle);
    const double dongleSeconds = (kInquiryMs + kReaders * kNameMs) / 1000.0;
    state.counters["host_ratio"] = total / static_cast<double>(state.iterations()) / dongleSeconds;
}
BENCHMARK(BM_InquiryWithNames)->UseRealTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
