// "update check": the program's and (with --port) the reader's newest
// versions from the maker's version files; "update download": the newest
// installer, verified against its signature.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "app/connect.h"
#include "app/string_table.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "cli/terminal_text.h"
#include "update/installer.h"
#include "update/update_checks.h"
#include "update/update_key.h"
#include "update/update_url.h"

namespace orvex::cli {
namespace {

using update::UpdateState;

const app::StringTable &strings() { return app::StringTable::instance(); }

// A value the version file does not give is null.
nlohmann::json orNull(const std::string &value) {
    return value.empty() ? nlohmann::json() : nlohmann::json(value);
}

std::string orUnknown(const std::string &value) {
    return value.empty() ? strings().text("cli.update.unknown") : value;
}

// No user interface waits here: the transfers' own time limits bound the run.
constexpr std::chrono::hours kUntilEnded{24};

// A version file's text on the terminal: its control characters shown, not obeyed.
std::string shown(const std::string &value) { return visibleControls(orUnknown(value)); }

// Nothing but an answer from a good version file counts as "up to date".
bool answered(UpdateState state) { return state == UpdateState::Current || state == UpdateState::Newer; }

int notPossible(CliEnvironment &env, const update::UpdateSource &source, UpdateState state,
                const std::string &error) {
    const char *key =
        state == UpdateState::NoConnection ? "cli.error.updateUnreachable" : "cli.error.updateNotPossible";
    return env.fail(ExitReader, visibleControls(strings().format(key, source.url(), error)));
}

void printProgram(const update::ProgramStatus &p) {
    const auto &s = strings();
    std::cout << s.text("cli.update.program") << '\n'
              << "  " << s.text("cli.update.current") << ": " << p.current << " ("
              << orUnknown(p.currentBuild) << ")\n"
              << "  " << s.text("cli.update.newest") << ": " << shown(p.newest.version) << " ("
              << shown(p.newest.build) << ")\n"
              << "  " << s.text(p.state == UpdateState::Newer ? "cli.update.newer" : "cli.update.upToDate")
              << '\n';
    if (!p.newest.installer.empty())
        std::cout << "  " << s.text("cli.update.installer") << ": " << shown(p.newest.installer) << '\n';
}

void printDevice(const update::DeviceStatus &d, const std::string &model) {
    const auto &s = strings();
    std::cout << s.format("cli.update.device", model, d.typeCode) << '\n'
              << "  " << s.text("cli.update.current") << ": " << d.current << '\n';
    if (d.section.empty()) {
        std::cout << "  " << s.text("cli.update.noAlias") << '\n';
        return;
    }
    std::cout << "  " << s.text("cli.update.section") << ": " << shown(d.section) << '\n'
              << "  " << s.text("cli.update.newest") << ": " << shown(d.newest.version) << '\n'
              << "  " << s.text(d.state == UpdateState::Newer ? "cli.update.newer" : "cli.update.upToDate")
              << '\n';
}

int check(CliEnvironment &env) {
    if (int rc = env.prepare()) return rc;
    update::UpdateChecks checks(update::resolveBaseUrl(env.settings()));

    // The reader first: a missing reader is reported before any download.
    std::optional<app::IdentifiedReader> reader;
    if (env.options.port) {
        auto &ctx = env.connect();
        int baud = 19200;
        app::CapabilityFlags flags = 0;
        int handle = app::connectReader(ctx, baud, flags, true);
        if (handle == 0) return env.connectFailure();
        reader = app::identifyAndClose(ctx, handle);
        if (!reader) return env.fail(ExitReader, strings().format("cli.error.noAnswer", env.portName()));
        checks.device().start();
    }
    checks.program().start();

    const auto program = checks.programNow(kUntilEnded);
    if (!answered(program.state)) return notPossible(env, checks.program(), program.state, program.error);
    std::optional<update::DeviceStatus> device;
    if (reader) {
        device = checks.deviceNow(env.connect().identity, kUntilEnded);
        // A good file without this reader type is an answer: "not in the version file".
        if (device->state == UpdateState::NoConnection || device->state == UpdateState::Unusable)
            return notPossible(env, checks.device(), device->state, device->error);
    }

    if (env.options.json) {
        nlohmann::json out;
        out["program"] = {{"current", program.current},
                          {"newest", orNull(program.newest.version)},
                          {"build", orNull(program.newest.build)},
                          {"newer", program.state == UpdateState::Newer},
                          {"installer", orNull(program.newest.installer)}};
        if (device)
            out["device"] = {{"type_code", device->typeCode},
                             {"section", orNull(device->section)},
                             {"current", device->current},
                             {"newest", orNull(device->newest.version)},
                             {"newer", device->state == UpdateState::Newer}};
        // Version files may hold any bytes: invalid UTF-8 is replaced, not fatal.
        std::cout << out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return ExitOk;
    }
    printProgram(program);
    if (device) printDevice(*device, reader->modelName);
    return ExitOk;
}

// The newest installer and its signature into folder, verified; never started.
int download(CliEnvironment &env, const std::string &folder) {
    if (int rc = env.prepare()) return rc;
    update::UpdateChecks checks(update::resolveBaseUrl(env.settings()));
    checks.program().start();
    const auto program = checks.programNow(kUntilEnded);
    if (!answered(program.state)) return notPossible(env, checks.program(), program.state, program.error);
    if (program.state != UpdateState::Newer)
        return env.fail(ExitReader, strings().format("cli.error.nothingNewer", program.current));
    const auto result = update::downloadInstaller(
        program.newest.installer, checks.program().url(), folder.empty() ? update::installerFolder() : folder,
        update::resolvePublicKey(env.settings()), checks.program().options());
    if (!result.ok) return env.fail(ExitReader, visibleControls(result.message));
    if (env.options.json)
        env.printJson({{"path", result.path}, {"version", program.newest.version}, {"verified", true}});
    else
        std::cout << visibleControls(result.path) << '\n';
    return ExitOk;
}

void addUpdateCommands(CLI::App &app, CliEnvironment &env) {
    auto *group = app.add_subcommand("update", "Newer versions of the program and of the reader's firmware");
    group->require_subcommand(1);
    auto *checkCommand = group->add_subcommand(
        "check", "Compare with the maker's version files (with --port also the reader's firmware)");
    checkCommand->callback([&env] { env.exitCode = check(env); });
    auto *downloadCommand = group->add_subcommand(
        "download", "Download the newest installer and its signature into DIR and verify it (never runs it)");
    static std::string folder;
    downloadCommand->add_option("DIR", folder, "Target folder (default: the cache folder)");
    downloadCommand->callback([&env] { env.exitCode = download(env, folder); });
}

const CommandGroup updateGroup("update", &addUpdateCommands);

}  // namespace
}  // namespace orvex::cli
