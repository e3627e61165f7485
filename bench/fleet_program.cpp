// Programming a fleet of 16 simulated LAN readers at once (orvexctl program
// --each-lan) against programming one of them, each reader at wire speed.
// The figure is the ratio fleet / one (goal: at most 1.5). Runs inside a
// namespace lab it builds itself (tools/netns-lab); without root it is skipped.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sheets/fleet_jobs.h"
#include "lab_reexec.h"

namespace {

constexpr int kReaders = 16;

std::vector<std::string> g_fleet;
std::string g_file;
orvex::app::FleetOptions g_options;  // every safeguard on, backups in the lab's folder
double g_oneSeconds = 0;

double programSeconds(const std::vector<std::string> &readers, benchmark::State &state) {
    const auto start = std::chrono::steady_clock::now();
    const auto results = orvex::app::programFleet(readers, g_file, g_options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto &r : results)
        if (r.result != "done") state.SkipWithError((r.address + ": " + r.result + " " + r.error).c_str());
    return seconds;
}

void BM_ProgramOne(benchmark::State &state) {
    double seconds = 0;
    for (auto _ : state) seconds += programSeconds({g_fleet.front()}, state);
    g_oneSeconds = seconds / double(state.iterations());
}

void BM_ProgramFleet(benchmark::State &state) {
    double seconds = 0;
    for (auto _ : state) seconds += programSeconds(g_fleet, state);
    state.counters["readers"] = double(g_fleet.size());
    if (g_oneSeconds > 0)
        state.counters["ratio_to_one"] = seconds / double(state.iterations()) / g_oneSeconds;
}

BENCHMARK(BM_ProgramOne)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ProgramFleet)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

std::vector<std::string> labArgs() {
    std::vector<std::string> args;
    for (int r = 0; r < kReaders; ++r)
        args.insert(args.end(), {"--reader", "192.168.1." + std::to_string(30 + r) + "/24,--wire-speed"});
    return args;
}

}  // namespace

int main(int argc, char **argv) {
    if (int exitCode = 0;
        orvex::bench::startLabIfOutside("bench_fleet_program", labArgs(), argc, argv, exitCode))
        return exitCode;
    // The configuration to program: the first reader's own, read once.
    g_fleet = orvex::app::findFleet({});
    const std::string folder = std::string(std::getenv("ORVEX_LAB_DIR")) + "/fleet";
    const auto read = orvex::app::readFleet({g_fleet.front()}, folder, {});
    if (g_fleet.size() != kReaders || read.front().result != "done") {
        std::fprintf(stderr, "found %zu readers, reading the first: %s\n", g_fleet.size(),
                     read.front().result.c_str());
        return 1;
    }
    g_file = read.front().job.file;
    g_options.safeguards.backupFolder = std::string(std::getenv("ORVEX_LAB_DIR")) + "/backups";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
