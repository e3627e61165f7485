// Configuration commands of orvexctl: read-config (reader -> .mkr/.mkp),
// program (file -> reader) and show (the file as the read-content report
// shows a reader). The jobs decide everything; this file prints their result.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>

#include "app/string_table.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "params/content_compare.h"
#include "sheets/config_jobs.h"
#include "sheets/fleet_jobs.h"
#include "sheets/programming_stop.h"

namespace orvex::cli {

using app::ConfigJobResult;
using app::JobStatus;

namespace {

std::string hex(const std::vector<std::uint8_t> &bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char b[4];
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        out += b;
    }
    return out;
}

nlohmann::json writesJson(const std::vector<app::SheetWrite> &writes) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto &w : writes) out.push_back({{"what", w.what}, {"bytes", hex(w.bytes)}, {"ok", w.ok}});
    return out;
}

nlohmann::json refusalJson(const ConfigJobResult &r) {
    if (!r.refusal) return nullptr;
    const auto &[page, f] = *r.refusal;
    nlohmann::json j{{"page", page}, {"field", f.field}, {"message_id", f.messageId}, {"message", f.text()}};
    if (f.selectPosition) j["select_position"] = f.selectPosition;
    return j;
}

nlohmann::json questionsJson(const ConfigJobResult &r) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto &q : r.questions) out.push_back({{"question", q.text}, {"answer", q.answer}});
    return out;
}

void printRefusal(const ConfigJobResult &r) {
    if (!r.refusal) return;
    const auto &[page, f] = *r.refusal;
    std::string where = page + "/" + f.field;
    if (f.selectPosition) where += ":" + std::to_string(f.selectPosition);
    std::cerr << app::text("cli.config.field") << ": " << where << '\n';
}

// 128 + the signal for a run stopped by one, as a shell reports it.
int exitOf(const ConfigJobResult &r) {
    switch (r.status) {
        case JobStatus::Ok:
            return ExitOk;
        case JobStatus::Refused:
            return ExitUsage;
        case JobStatus::NoConnection:
            return ExitReader;
        case JobStatus::Failed:
            break;
    }
    if (r.outcome == "stopped" && app::programmingStopSignal() != 0)
        return 128 + app::programmingStopSignal();
    return ExitReader;
}

// The one error line of a refused or failed job (after the JSON document, if any).
int finish(CliEnvironment &env, const ConfigJobResult &r) {
    if (r.status == JobStatus::NoConnection)
        return env.fail(ExitReader, env.connectFailureText(r.connectResult));
    const int code = exitOf(r);
    if (!r.error.empty()) env.fail(code, r.error);
    return code;
}

void addError(CliEnvironment &env, nlohmann::json &doc, const ConfigJobResult &r) {
    if (r.status == JobStatus::Ok) return;
    std::string error = r.error;
    if (error.empty() && r.status == JobStatus::NoConnection) error = env.connectFailureText(r.connectResult);
    if (error.empty() && !r.messages.empty()) error = r.messages.back();
    doc["error"] = error;
    doc["code"] = exitOf(r);
}

int readConfig(CliEnvironment &env, const std::string &file) {
    if (int rc = env.prepare()) return rc;
    const ConfigJobResult r = app::readConfigurationJob(env.connect(), file);
    if (r.status == JobStatus::NoConnection) return finish(env, r);
    if (env.options.json) {
        nlohmann::json blocks = nlohmann::json::object();
        auto put = [&](const char *key, const std::optional<std::vector<std::uint8_t>> &b) {
            if (b) blocks[key] = hex(*b);
        };
        if (r.status != JobStatus::Refused || r.saved) {
            put("prefix", r.blocks.prefix);
            put("data", r.blocks.dataFormat);
            put("parameters", r.blocks.parameters);
            put("suffix", r.blocks.suffix);
            put("removal", r.blocks.removal);
            put("separator", r.blocks.separator);
        }
        nlohmann::json doc{{"port", env.portName()},
                           {"model", r.model},
                           {"kind", app::kindName(r.kind)},
                           {"file", file},
                           {"saved", r.saved},
                           {"blocks", blocks},
                           {"failed_reads", r.failedReads},
                           {"refused", refusalJson(r)},
                           {"messages", r.messages}};
        addError(env, doc, r);
        env.printJson(doc);
    } else if (r.saved) {
        std::cout << app::text("cli.config.saved") << ": " << file << '\n';
    } else {
        printRefusal(r);
    }
    return finish(env, r);
}

extern "C" void onStopSignal(int signal) { app::requestProgrammingStop(signal); }

// While programming, SIGINT and SIGTERM stop it at the next write boundary
// (the run then names the parts written and the backup); a second one ends
// the program at once.
class StopAtWriteBoundary {
public:
    StopAtWriteBoundary() {
        app::clearProgrammingStop();
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        action.sa_flags = SA_RESETHAND | SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousInt_);
        sigaction(SIGTERM, &action, &previousTerm_);
    }
    ~StopAtWriteBoundary() {
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
    }
    StopAtWriteBoundary(const StopAtWriteBoundary &) = delete;
    StopAtWriteBoundary &operator=(const StopAtWriteBoundary &) = delete;

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

int program(CliEnvironment &env, const std::string &file, const app::ProgramSafeguards &safeguards) {
    if (int rc = env.prepare()) return rc;
    StopAtWriteBoundary stopAtWriteBoundary;
    const ConfigJobResult r = app::programFileJob(env.connect(), file, safeguards);
    if (r.status == JobStatus::NoConnection && r.writes.empty() && r.model.empty()) return finish(env, r);
    const bool wouldChange = r.outcome == "would_change";
    if (env.options.json) {
        nlohmann::json doc{{"port", env.portName()},
                           {"model", r.model},
                           {"file", file},
                           {"outcome", r.outcome},
                           {"writes", writesJson(r.writes)},
                           {"refused", refusalJson(r)},
                           {"questions", questionsJson(r)},
                           {"messages", r.messages},
                           {"changed", r.changed},
                           {"differing", r.differing},
                           {"backup", r.backupPath.empty() ? nlohmann::json() : nlohmann::json(r.backupPath)},
                           {"written_before_failure", r.written},
                           {"not_held", r.notHeld}};
        addError(env, doc, r);
        env.printJson(doc);
    } else if (r.outcome == "unchanged") {
        std::cout << "unchanged\n";
    } else if (wouldChange) {
        std::cout << app::StringTable::instance().format("program.wouldChange", app::partNames(r.differing))
                  << '\n';
    } else {
        printRefusal(r);
    }
    if (wouldChange) return ExitWouldChange;
    return finish(env, r);
}

int show(CliEnvironment &env, const std::string &file) {
    if (int rc = env.prepare(false)) return rc;
    const ConfigJobResult r = app::showFileJob(env.connect(), file);
    if (r.status != JobStatus::Ok) {
        if (env.options.json) {
            nlohmann::json doc{{"file", file}, {"kind", app::kindName(r.kind)}, {"messages", r.messages}};
            addError(env, doc, r);
            env.printJson(doc);
        }
        return finish(env, r);
    }
    if (env.options.json)
        env.printJson({{"file", file},
                       {"kind", app::kindName(r.kind)},
                       {"report", r.report},
                       {"messages", r.messages}});
    else
        std::cout << r.report << std::flush;
    return ExitOk;
}

// --each-lan: one line (or JSON object) per reader and a summary; exit 0
// only when every reader succeeded.
struct FleetRequest {
    bool eachLan = false;
    std::vector<std::string> only;
    int jobs = 0;
};

// What `program` does around the writes; plain runs skip a reader that
// already holds the file.
struct SafeguardFlags {
    bool check = false;
    bool noBackup = false;
    bool noVerify = false;

    app::ProgramSafeguards safeguards() const {
        app::ProgramSafeguards s;
        s.check = check;
        s.skipUnchanged = true;
        s.backup = !noBackup;
        s.verify = !noVerify;
        return s;
    }
};

int runFleet(CliEnvironment &env, const FleetRequest &request, bool program, const std::string &target,
             const app::ProgramSafeguards &safeguards = {}) {
    if (int rc = env.prepare()) return rc;
    app::FleetOptions options;
    options.safeguards = safeguards;
    options.only = request.only;
    options.jobs = request.jobs;
    options.answerQuestions = env.options.yes;
    options.settingsPath = env.connect().settings.path();
    const std::vector<std::string> readers = app::findFleet(options);
    if (readers.empty()) return env.fail(ExitReader, "no LAN reader found");
    // A signal stops every reader's programming at its next write boundary.
    std::optional<StopAtWriteBoundary> stopAtWriteBoundary;
    if (program) stopAtWriteBoundary.emplace();
    const auto results =
        program ? app::programFleet(readers, target, options) : app::readFleet(readers, target, options);
    std::vector<std::string> failed;
    bool wouldChange = false;
    nlohmann::json doc = nlohmann::json::array();
    for (const auto &r : results) {
        if (!r.succeeded()) failed.push_back(r.address);
        wouldChange |= r.result == "would_change";
        if (env.options.json) {
            nlohmann::json item{{"address", r.address},
                                {"model", r.model},
                                {"result", r.result},
                                {"seconds", std::round(r.seconds * 1000) / 1000}};
            if (!program) item["file"] = r.job.file;
            if (program) {
                item["changed"] = r.job.changed;
                item["differing"] = r.job.differing;
                item["backup"] =
                    r.job.backupPath.empty() ? nlohmann::json() : nlohmann::json(r.job.backupPath);
            }
            if (!r.error.empty()) item["error"] = r.error;
            doc.push_back(item);
        } else {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.2f s", r.seconds);
            std::cout << r.address << "  " << (r.model.empty() ? "-" : r.model) << "  " << r.result << "  "
                      << seconds << (r.error.empty() ? "" : "  " + r.error) << '\n';
        }
    }
    if (env.options.json)
        env.printJson(doc);
    else
        std::cout << results.size() - failed.size() << " of " << results.size() << " readers succeeded\n";
    if (failed.empty()) return wouldChange ? ExitWouldChange : ExitOk;
    std::string names;
    for (const auto &a : failed) names += (names.empty() ? "" : ", ") + a;
    const int stopSignal = program ? app::programmingStopSignal() : 0;
    return env.fail(stopSignal != 0 ? 128 + stopSignal : ExitReader, "failed: " + names);
}

void addFleetOptions(CLI::App *command, FleetRequest &request) {
    command->add_flag("--each-lan", request.eachLan, "Every LAN reader the search finds, in parallel");
    command->add_option("--only", request.only, "With --each-lan: only these addresses")
        ->delimiter(',')
        ->needs("--each-lan");
    command->add_option("--jobs", request.jobs, "With --each-lan: parallel jobs (default: one per reader)")
        ->check(CLI::Range(1, app::kMaxFleetJobs))
        ->needs("--each-lan");
}

void addConfigCommands(CLI::App &app, CliEnvironment &env) {
    static std::string readFile, programFile, showFile;
    static FleetRequest readFleet, programFleet;
    static SafeguardFlags guards;
    auto *read = app.add_subcommand(
        "read-config",
        "Read the reader's whole configuration and save it as .mkr (or .mkp for keyboard-wedge readers)");
    read->add_option("FILE", readFile, "Configuration file to write (with --each-lan: the folder)")
        ->required();
    addFleetOptions(read, readFleet);
    read->callback([&env] {
        env.exitCode =
            readFleet.eachLan ? runFleet(env, readFleet, false, readFile) : readConfig(env, readFile);
    });

    auto *programCommand = app.add_subcommand(
        "program",
        "Load a configuration file and program it into the reader (--yes/--no answer question 587)");
    programCommand->add_option("FILE", programFile, "Configuration file (.mkr or .mkp)")
        ->required()
        ->check(CLI::ExistingFile);
    addFleetOptions(programCommand, programFleet);
    programCommand->add_flag("--check", guards.check,
                             "Compare the reader with the file and write nothing (exit 3: it would change)");
    programCommand->add_flag("--no-backup", guards.noBackup,
                             "Program without saving the reader's configuration first");
    programCommand->add_flag("--no-verify", guards.noVerify, "Do not read the configuration back afterwards");
    programCommand->callback([&env] {
        env.exitCode = programFleet.eachLan
                           ? runFleet(env, programFleet, true, programFile, guards.safeguards())
                           : program(env, programFile, guards.safeguards());
    });

    auto *showCommand =
        app.add_subcommand("show", "Print a configuration file as the read-content report, without a reader");
    showCommand->add_option("FILE", showFile, "Configuration file (.mkr or .mkp)")
        ->required()
        ->check(CLI::ExistingFile);
    showCommand->callback([&env] { env.exitCode = show(env, showFile); });
}

const CommandGroup configGroup("config", &addConfigCommands);

}  // namespace
}  // namespace orvex::cli
