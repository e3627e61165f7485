// One LAN search over 3 adapters with 2 readers each, concurrent against the
// one-adapter-after-the-other algorithm, in units of the module's 500 ms
// answer wait. Runs inside a namespace lab it builds itself (tools/netns-lab);
// without root it is skipped.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lan/adapters.h"
#include "lan/discovery.h"
#include "lab_reexec.h"

namespace {

using namespace orvex::lan;
constexpr std::size_t kReaders = 6;

template <typename Search>
void measure(benchmark::State &state, Search search) {
    const auto adapters = adapterSource().adapters();
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        auto found = search(adapters, kAnswerTimeout, true);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (found.size() != kReaders) state.SkipWithError("not every reader was found");
    }
    state.counters["adapters"] = static_cast<double>(adapters.size());
    state.counters["answer_waits"] = seconds / static_cast<double>(state.iterations()) /
                                     std::chrono::duration<double>(kAnswerTimeout).count();
}

void BM_SearchConcurrent(benchmark::State &state) { measure(state, search); }
void BM_SearchSequential(benchmark::State &state) { measure(state, searchSequential); }

BENCHMARK(BM_SearchConcurrent)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_SearchSequential)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Outside the lab: build it and run this program again inside.
std::vector<std::string> labArgs() {
    std::vector<std::string> args;
    for (const char *adapter : {"10.1.0.1/24", "10.2.0.1/24", "10.3.0.1/24"})
        args.insert(args.end(), {"--adapter", adapter});
    for (int a = 1; a <= 3; ++a)
        for (int r = 1; r <= 2; ++r)
            args.insert(args.end(), {"--reader", "a" + std::to_string(a) + ":10." + std::to_string(a) +
                                                     ".0." + std::to_string(10 + r) + "/24"});
    return args;
}

}  // namespace

int main(int argc, char **argv) {
    if (int exitCode = 0;
        orvex::bench::startLabIfOutside("bench_lan_search", labArgs(), argc, argv, exitCode))
        return exitCode;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
