// "monitor": the function test. Puts the reader into its reading mode, prints
// every record of its output and restores output mode 2 at the end.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <iostream>
#include <thread>

#include "app/string_table.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "cli/terminal_text.h"
#include "sheets/function_test.h"

namespace orvex::cli {

using app::StringTable;

namespace {

std::atomic<bool> gInterrupted{false};

extern "C" void onInterrupt(int) { gInterrupted = true; }

struct MonitorOptions {
    double seconds = 0;  // 0: until interrupted
    int records = 0;     // 0: no limit
};

// A year: far beyond any function test, and far from where the end time
// would overflow the clock (which ended the run at once).
constexpr double kMaxSeconds = 365.0 * 24 * 60 * 60;

bool secondsInRange(double seconds) {
    return std::isfinite(seconds) && seconds >= 0 && seconds <= kMaxSeconds;
}

void printRecord(CliEnvironment &env, const app::OutputRecord &r) {
    if (env.options.json) {
        std::cout << jsonText({{"record", r.counter}, {"ascii", r.ascii}, {"hex", r.hex}}) << std::endl;
        return;
    }
    const auto &s = StringTable::instance();
    std::cout << s.text("cli.label.counter") << " : " << r.counter << '\n'
              << s.text("cli.label.ascii") << " : " << visibleControls(r.ascii) << '\n'
              << s.text("cli.label.hex") << " : " << r.hex << std::endl;
}

int monitor(CliEnvironment &env, const MonitorOptions &opts) {
    if (int rc = env.prepare()) return rc;
    if (!secondsInRange(opts.seconds))
        return env.fail(ExitUsage, StringTable::instance().text("cli.monitor.badSeconds"));
    app::FunctionTest test;
    if (!test.start(env.connect())) {
        if (env.connect().lastResult <= 0) return env.connectFailure();
        return env.fail(ExitReader, StringTable::instance().format("cli.error.rejected", env.portName()));
    }
    if (!env.options.json)
        std::cerr << StringTable::instance().format("cli.monitor.start", test.mode(),
                                                    static_cast<int>(test.requestChar()))
                  << std::endl;

    gInterrupted = false;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);
    sigaction(SIGTERM, &action, nullptr);

    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::milliseconds(app::FunctionTest::PollIntervalMs);
    const auto end = Clock::now() +
                     std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(opts.seconds));
    auto next = Clock::now();
    int printed = 0;
    auto wanted = [&] { return opts.records <= 0 || printed < opts.records; };
    while (!gInterrupted && (opts.seconds <= 0 || Clock::now() < end) && wanted()) {
        next += interval;  // the dialog's 50 ms timer
        std::this_thread::sleep_until(next);
        for (const auto &record : test.pollSettledRecords()) {
            if (!wanted()) break;
            printRecord(env, record);
            ++printed;
        }
    }
    // A record still arriving when the time ran out is shown as it stands.
    if (wanted())
        if (auto record = test.takeUnsettledRecord()) printRecord(env, *record);
    test.close();
    sigaction(SIGINT, &previous, nullptr);
    return ExitOk;
}

}  // namespace

void addMonitorCommand(CLI::App &app, CliEnvironment &env) {
    auto opts = std::make_shared<MonitorOptions>();
    auto *cmd = app.add_subcommand(
        "monitor",
        "Function test: show what the reader outputs (with --json: JSON Lines, one object per record)");
    cmd->add_option("--seconds", opts->seconds, "Stop after this many seconds (default: Ctrl+C)")
        ->check(CLI::NonNegativeNumber);
    cmd->add_option("--records", opts->records, "Stop after this many records")
        ->check(CLI::NonNegativeNumber);
    cmd->callback([&env, opts] { env.exitCode = monitor(env, *opts); });
}

}  // namespace orvex::cli
