// Fault soak: reads, programs and runs the configuration sheet against
// simulated readers that fail at a random answer (line noise, bad checks,
// dropped answers, answers later than the timeout, a hang-up half-way
// through an answer, a line that changes its rate by itself) and checks
// after every run that nothing went wrong silently:
//   - no crash, and no run longer than its requests' timeouts allow;
//   - a run that did not do everything it was asked to reports a failure;
//   - a reader reported as programmed holds exactly the new configuration;
//   - a reader left part-way differs from its old configuration only in
//     blocks the run names as written, and the backup the run kept puts
//     the old configuration back exactly;
//   - a configuration file reported as read holds exactly the reader's.
//
//   fault_soak [--runs N] [--seed S]
// Prints the seed first; the same seed repeats the same runs. Exit code 0
// when every run held, 1 otherwise. A run's time budget is every request
// the reader heard (or heard garbled) times the port's timeout.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/connect.h"
#include "app/settings_store.h"
#include "common/scripted_prompts_app.h"
#include "common/temp_folder.h"
#include "params/content_compare.h"
#include "sheets/config_jobs.h"
#include "sheets/ps2_sheet.h"
#include "sheets/safe_programming.h"
#include "sheets/serial_sheet.h"
#include "sim/pty_reader.h"

using namespace orvex;
using app::test::ScriptedPrompts;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTimeoutMs = 200;  // the port's answer timeout in every run
// What a run may take beyond its requests' timeouts: opening ports, files,
// scheduling on a loaded machine.
constexpr double kSlackSeconds = 1.5;

enum class Fault { None, Noise, BadCheck, Drop, Delay, Hangup, RateJump };
constexpr const char *kFaultNames[] = {"none", "noise", "bad-check", "drop", "delay", "hang-up", "rate-jump"};

enum class Operation { Read, Program, Sheet };
constexpr const char *kOperationNames[] = {"read", "program", "sheet"};

// The simulator's options for a fault placed at the answer `at`.
sim::Options faultOptions(const std::string &version, Fault fault, int at) {
    sim::Options o;
    o.versionAnswer = version;
    o.baud = 19200;
    o.faultsFrom = at;
    switch (fault) {
        case Fault::None:
            break;
        case Fault::Noise:
            o.garbage = 40;
            break;
        case Fault::BadCheck:
            o.badCheck = true;
            break;
        case Fault::Drop:
            o.dropEvery = at;
            break;
        case Fault::Delay:
            o.delayMs = kTimeoutMs * 3 / 2;
            break;
        case Fault::Hangup:
            o.hangupAfter = at;
            break;
        case Fault::RateJump:
            o.rateJumpAfter = at;
            o.rateJumpTo = 38400;
            break;
    }
    return o;
}

bool isWedge(const std::string &version) { return version == "1221"; }

// The configuration blocks of a simulated reader as the host reads them.
app::ReaderContent contentOf(const sim::ReaderState &s, bool wedge) {
    app::ReaderContent c;
    c.prefix = s.prefix;
    c.suffix = s.suffix;
    c.removal = s.removal;
    c.separator = s.separator;
    c.dataFormat = s.data;
    if (!wedge) c.parameters = s.parameter;
    return c;
}

// The block name the comparison uses for a write of the sheets.
std::string blockOfWrite(const std::string &what) {
    static const std::map<std::string, std::string> names{
        {"prefix", "Prefix"}, {"data", "Data format"}, {"parameters", "Parameters"},
        {"suffix", "Suffix"}, {"removal", "Removal"},  {"separator", "Separator"}};
    const auto at = names.find(what);
    return at == names.end() ? std::string() : at->second;
}

// One run's surroundings: settings in a scratch folder, prompts that answer
// No, the port set to the reader.
struct Desk {
    explicit Desk(const TempFolder &dir, const std::string &port)
        : settings(dir.file("settings-" + std::to_string(++serial) + ".ini")), ctx(settings, prompts) {
        ctx.devices = app::DeviceListProviders{};
        settings.set(app::settings::PortName, port);
        settings.set(app::settings::PortBaudrate, 19200);
        settings.set(app::settings::PortTimeoutConnect, kTimeoutMs);
    }
    static inline int serial = 0;
    app::SettingsStore settings;
    ScriptedPrompts prompts;
    app::ConnectContext ctx;
};

// The new configuration of a model: a file and the blocks it puts into a
// reader, made once by changing a factory reader and reading it.
struct Model {
    std::string version;
    std::string newFile;               // the configuration the program runs write
    std::string oldFile;               // a clean read of a factory reader
    app::ReaderContent before;         // a factory reader's blocks
    app::ReaderContent after;          // the blocks once newFile is programmed
    std::map<Operation, int> answers;  // answers of a clean run of each operation
};

void changeConfiguration(sim::PtyReader &reader, bool wedge) {
    reader.modifyState([wedge](sim::ReaderState &s) {
        if (wedge) {
            s.prefix = {0x12, 0x1C, 0xF0, 0x1C, 0xF0, 0x12, 0xFF};  // Shift+A
            s.suffix = {0x5A, 0xF0, 0x5A, 0xFF};                    // Enter
        } else {
            s.prefix = {0x02, 'A', 0xFF};
            s.suffix = {0x0D, 0x0A, 0xFF};
            s.removal = {'X', 0xFF};
            s.separator = {'-', 0xFF};
            if (s.parameter.size() >= 4) {
                s.parameter[1] = 20;  // cycle time 2 s
                s.parameter[2] = '!';
            }
        }
    });
}

std::string describe(const std::vector<std::string> &names) {
    std::string out;
    for (const auto &n : names) out += (out.empty() ? "" : ", ") + n;
    return out.empty() ? "-" : out;
}

struct Figures {
    int runs = 0, faultsInjected = 0, failuresReported = 0, silentCorruptions = 0;
    int overruns = 0;  // runs longer than their requests' timeouts (plus slack) allow
    int runsOf[7] = {}, injectedOf[7] = {}, failedOf[7] = {};  // by fault
    double longestSeconds = 0, longestBudgetSeconds = 0;
    std::string longestRun;
};

// Aborts the process when a run outlives its deadline: a hang is a finding,
// never a stuck test.
class Watchdog {
public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void arm(Clock::time_point deadline, std::string what) {
        std::lock_guard lock(mutex_);
        deadline_ = deadline;
        what_ = std::move(what);
        wake_.notify_all();
    }
    void disarm() { arm(Clock::time_point::max(), {}); }

private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!done_) {
            if (deadline_ == Clock::time_point::max()) {
                wake_.wait(lock);
            } else if (wake_.wait_until(lock, deadline_) == std::cv_status::timeout &&
                       Clock::now() >= deadline_) {
                std::fprintf(stderr, "HANG: %s did not end in time\n", what_.c_str());
                std::fflush(stdout);
                std::_Exit(2);
            }
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    Clock::time_point deadline_ = Clock::time_point::max();
    std::string what_;
    bool done_ = false;
    std::thread thread_;
};

class Soak {
public:
    Soak(const TempFolder &dir, bool strict) : dir_(dir), strict_(strict) {}

    // Runs whose failed write took effect although the run named it only as
    // failed, not among the written parts.
    int unnamedFailedWrites() const { return unnamedFailedWrites_; }

    bool prepare(const std::vector<std::string> &versions) {
        for (const std::string &v : versions)
            if (!prepareModel(v)) return false;
        return true;
    }

    // One run; false when an invariant broke (printed).
    void run(int index, std::mt19937 &rng, Figures &figures, Watchdog &watchdog) {
        const Model &model = models_[std::uniform_int_distribution<std::size_t>(0, models_.size() - 1)(rng)];
        const auto op = static_cast<Operation>(std::uniform_int_distribution<int>(0, 2)(rng));
        const auto fault = static_cast<Fault>(std::uniform_int_distribution<int>(0, 6)(rng));
        const int at = std::uniform_int_distribution<int>(1, model.answers.at(op) + 1)(rng);
        const std::string label = "run " + std::to_string(index) + " (" + model.version + " " +
                                  kOperationNames[int(op)] + " " + kFaultNames[int(fault)] + " at answer " +
                                  std::to_string(at) + ")";

        sim::PtyReader reader(faultOptions(model.version, fault, at));
        Desk desk(dir_, reader.slavePath());
        // Generous: the connect routine alone may hunt through every rate.
        watchdog.arm(Clock::now() + std::chrono::seconds(120), label);
        const auto start = Clock::now();
        const Outcome outcome = runOperation(op, model, desk);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        watchdog.disarm();

        const sim::ReaderState held = reader.state();
        const int heard = reader.commandsSeen() + reader.linesGarbled();
        reader.stop();
        const double budget = (heard + 1) * kTimeoutMs / 1000.0;

        const int f = static_cast<int>(fault);
        ++figures.runs;
        ++figures.runsOf[f];
        if (fault != Fault::None && reader.commandsSeen() >= at) {
            ++figures.faultsInjected;
            ++figures.injectedOf[f];
        }
        if (!outcome.ok) {
            ++figures.failuresReported;
            ++figures.failedOf[f];
        }
        if (seconds > budget + kSlackSeconds) {
            ++figures.overruns;
            std::printf("OVERRUN in %s: %.2f s, its timeouts allow %.2f s\n", label.c_str(), seconds, budget);
        }
        if (seconds > figures.longestSeconds) {
            figures.longestSeconds = seconds;
            figures.longestBudgetSeconds = budget;
            figures.longestRun = label;
        }
        const std::string broken = check(op, model, outcome, held);
        if (!broken.empty()) {
            ++figures.silentCorruptions;
            std::printf("SILENT CORRUPTION in %s: %s\n", label.c_str(), broken.c_str());
        }
    }

private:
    struct Outcome {
        bool ok = false;
        std::vector<std::string> named;  // block names the run's failure names as (maybe) written
        std::string failedWrite;         // block name of the write that got no valid answer
        std::string backup;              // the backup the run kept, if any
        std::string file;                // read: the file the run was to write
    };

    Outcome runOperation(Operation op, const Model &model, Desk &desk) {
        Outcome out;
        const bool wedge = isWedge(model.version);
        // A failure names the parts written before it; a read-back that
        // differs or could not be read follows a complete run, whose every
        // part was written.
        auto afterCompleteRun = [](const std::string &verdict) {
            return verdict == "mismatch" || verdict == "readback_failed";
        };
        auto name = [&](const std::vector<std::string> &written, const std::vector<app::SheetWrite> &all,
                        bool completeRun) {
            if (completeRun)
                for (const auto &w : all) out.named.push_back(blockOfWrite(w.what));
            for (const auto &what : written) out.named.push_back(blockOfWrite(what));
            for (const auto &w : all)
                if (!w.ok) out.failedWrite = blockOfWrite(w.what);
        };
        switch (op) {
            case Operation::Read: {
                out.file = dir_.file("read-" + std::to_string(++files_) + (wedge ? ".mkp" : ".mkr"));
                out.ok = app::readConfigurationJob(desk.ctx, out.file).status == app::JobStatus::Ok;
                break;
            }
            case Operation::Program: {
                const app::ConfigJobResult r = app::programFileJob(desk.ctx, model.newFile);
                out.ok = r.status == app::JobStatus::Ok;
                out.backup = r.backupPath;
                name(r.written, r.writes, afterCompleteRun(r.outcome));
                break;
            }
            case Operation::Sheet: {
                // The sheet window's way: open (read the reader), "Laden", "Programmieren".
                int baud = 19200;
                app::CapabilityFlags flags = 0;
                const int handle = app::connectReader(desk.ctx, baud, flags, false);
                if (handle <= 0) break;
                auto program = [&](app::SheetBase &sheet, bool loaded) {
                    if (!loaded) return;
                    const app::SafeProgramResult r = app::programSafely(desk.ctx, sheet, {});
                    out.ok = r.outcome == app::ProgramOutcome::Done;
                    out.backup = r.backupPath;
                    name(r.written, sheet.writes(), afterCompleteRun(r.verdict));
                };
                if (app::hasCapability(flags, app::CAP_PS2)) {
                    app::Ps2Sheet sheet(desk.ctx, handle, flags);
                    sheet.readConfiguration();
                    program(sheet, sheet.loadMkpFile(model.newFile));
                } else {
                    app::SerialSheet sheet(desk.ctx, handle, baud, flags);
                    sheet.readConfiguration();
                    program(sheet, sheet.loadMkrFile(model.newFile));
                }
                break;
            }
        }
        return out;
    }

    // What broke, or "" when the run held.
    std::string check(Operation op, const Model &model, const Outcome &outcome,
                      const sim::ReaderState &held) {
        const app::ReaderContent now = contentOf(held, isWedge(model.version));
        if (op == Operation::Read) {
            if (now != model.before) return "a read changed the reader";
            if (outcome.ok && TempFolder::read(outcome.file) != TempFolder::read(model.oldFile))
                return "the file reported as read differs from a clean read";
            if (!outcome.ok && std::filesystem::exists(outcome.file)) return "a failed read left a file";
            return {};
        }
        if (outcome.ok) {
            const auto wrong = app::differingBlocks(model.after, now);
            return wrong.empty() ? std::string() : "reported programmed, but differs in " + describe(wrong);
        }
        const auto changed = app::differingBlocks(model.before, now);
        std::string unnamed;
        for (const std::string &block : changed) {
            if (std::find(outcome.named.begin(), outcome.named.end(), block) != outcome.named.end()) continue;
            // The write whose answer was lost may have taken effect; the run
            // reports it as failed, not as written. Counted apart (--strict:
            // as a corruption).
            if (block == outcome.failedWrite && !strict_) {
                ++unnamedFailedWrites_;
                continue;
            }
            unnamed += (unnamed.empty() ? "" : ", ") + block;
        }
        if (!unnamed.empty()) return "changed but not named as written: " + unnamed;
        if (changed.empty()) return {};
        if (outcome.backup.empty()) return "changed without a backup";
        return restores(model, held, outcome.backup) ? std::string()
                                                     : "the backup does not restore the reader";
    }

    // Programs the backup into a reader left as the run left it, without
    // faults: it must hold the old configuration again.
    bool restores(const Model &model, const sim::ReaderState &left, const std::string &backup) {
        const bool wedge = isWedge(model.version);
        sim::PtyReader reader(faultOptions(model.version, Fault::None, 1));
        reader.modifyState([&](sim::ReaderState &s) {
            s.prefix = left.prefix;
            s.suffix = left.suffix;
            s.removal = left.removal;
            s.separator = left.separator;
            s.data = left.data;
            s.parameter = left.parameter;
        });
        Desk desk(dir_, reader.slavePath());
        app::ProgramSafeguards plain;
        plain.backup = false;
        if (app::programFileJob(desk.ctx, backup, plain).status != app::JobStatus::Ok) return false;
        return contentOf(reader.state(), wedge) == model.before;
    }

    bool prepareModel(const std::string &version) {
        Model m;
        m.version = version;
        const bool wedge = isWedge(version);
        const std::string ext = wedge ? ".mkp" : ".mkr";
        {
            sim::PtyReader factory(faultOptions(version, Fault::None, 1));
            m.before = contentOf(factory.state(), wedge);
            m.oldFile = dir_.file(version + "-old" + ext);
            Desk desk(dir_, factory.slavePath());
            if (app::readConfigurationJob(desk.ctx, m.oldFile).status != app::JobStatus::Ok)
                return setupError(version, "a clean read failed");
            m.answers[Operation::Read] = factory.commandsSeen();
        }
        {
            sim::PtyReader changed(faultOptions(version, Fault::None, 1));
            changeConfiguration(changed, wedge);
            m.after = contentOf(changed.state(), wedge);
            m.newFile = dir_.file(version + "-new" + ext);
            Desk desk(dir_, changed.slavePath());
            if (app::readConfigurationJob(desk.ctx, m.newFile).status != app::JobStatus::Ok)
                return setupError(version, "reading the new configuration failed");
        }
        // A clean run of each writing operation puts exactly the new blocks
        // into a factory reader; its answer count bounds the fault positions.
        for (Operation op : {Operation::Program, Operation::Sheet}) {
            sim::PtyReader fresh(faultOptions(version, Fault::None, 1));
            Desk desk(dir_, fresh.slavePath());
            if (!runOperation(op, m, desk).ok) return setupError(version, "a clean program run failed");
            const auto wrong = app::differingBlocks(m.after, contentOf(fresh.state(), wedge));
            if (!wrong.empty()) return setupError(version, "a clean run differs in " + describe(wrong));
            m.answers[op] = fresh.commandsSeen();
        }
        models_.push_back(std::move(m));
        return true;
    }

    static bool setupError(const std::string &version, const std::string &what) {
        std::fprintf(stderr, "setup of %s: %s\n", version.c_str(), what.c_str());
        return false;
    }

    const TempFolder &dir_;
    const bool strict_;
    int unnamedFailedWrites_ = 0;
    std::vector<Model> models_;
    int files_ = 0;
};

}  // namespace

int main(int argc, char **argv) {
    CLI::App cli{"Fault soak of reading and programming against simulated readers"};
    int runs = 40;
    unsigned seed = std::random_device{}();
    cli.add_option("--runs", runs, "number of runs")->check(CLI::PositiveNumber);
    cli.add_option("--seed", seed, "seed of the random fault choice (default: random)");
    bool strict = false;
    cli.add_flag("--strict", strict,
                 "count a failed write that took effect without being named as written as a corruption");
    CLI11_PARSE(cli, argc, argv);
    std::printf("seed %u, %d runs\n", seed, runs);
    std::fflush(stdout);

    TempFolder dir;
    // Settings and anything a run keeps stay in the scratch folder.
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    setenv("XDG_STATE_HOME", dir.path().c_str(), 1);

    Soak soak(dir, strict);
    if (!soak.prepare({"1245", "164U", "1221"})) return 1;

    Watchdog watchdog;
    Figures f;
    std::mt19937 rng(seed);
    for (int i = 1; i <= runs; ++i) {
        soak.run(i, rng, f, watchdog);
        if (i % 100 == 0 && i < runs)
            std::fprintf(stderr, "%d of %d runs, %d silent corruptions so far\n", i, runs,
                         f.silentCorruptions);
    }

    std::printf("runs %d, faults injected %d, failures reported %d, silent corruptions %d, overruns %d\n",
                f.runs, f.faultsInjected, f.failuresReported, f.silentCorruptions, f.overruns);
    std::printf("failed writes that took effect, named as failed but not as written: %d\n",
                soak.unnamedFailedWrites());
    for (int k = 0; k < 7; ++k)
        std::printf("  %-10s runs %4d, injected %4d, failures reported %4d\n", kFaultNames[k], f.runsOf[k],
                    f.injectedOf[k], f.failedOf[k]);
    std::printf("longest run %.2f s of its timeout budget %.2f s (%s)\n", f.longestSeconds,
                f.longestBudgetSeconds, f.longestRun.c_str());
    return f.silentCorruptions == 0 && f.overruns == 0 ? 0 : 1;
}
