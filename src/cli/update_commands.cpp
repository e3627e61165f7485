// "update check": the program's and (with --port) the reader's newest
// versions from the maker's version files.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "app/connect.h"
#include "app/string_table.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "update/update_checks.h"
#include "update/update_url.h"

namespace orvex::cli {
namespace {

using update::UpdateState;

const app::StringTable &Strings() { return app::StringTable::instance(); }

// A value the version file does not give is null.
nlohmann::json OrNull(const std::string &value) {
    return value.empty() ? nlohmann::json() : nlohmann::json(value);
}

std::string OrUnknown(const std::string &value) {
    return value.empty() ? Strings().text("cli.update.unknown") : value;
}

int Unreachable(CliEnvironment &env, const update::UpdateSource &source, const std::string &error) {
    return env.Fail(ExitReader, Strings().format("cli.error.updateUnreachable", source.url(), error));
}

void PrintProgram(const update::ProgramStatus &p) {
    const auto &s = Strings();
    std::cout << s.text("cli.update.program") << '\n'
              << "  " << s.text("cli.update.current") << ": " << p.current << " ("
              << OrUnknown(p.currentBuild) << ")\n"
              << "  " << s.text("cli.update.newest") << ": " << OrUnknown(p.newest.version) << " ("
              << OrUnknown(p.newest.build) << ")\n"
              << "  " << s.text(p.state == UpdateState::Newer ? "cli.update.newer" : "cli.update.upToDate")
              << '\n';
    if (!p.newest.installer.empty())
        std::cout << "  " << s.text("cli.update.installer") << ": " << p.newest.installer << '\n';
}

void PrintDevice(const update::DeviceStatus &d, const std::string &model) {
    const auto &s = Strings();
    std::cout << s.format("cli.update.device", model, d.typeCode) << '\n'
              << "  " << s.text("cli.update.current") << ": " << d.current << '\n';
    if (d.section.empty()) {
        std::cout << "  " << s.text("cli.update.noAlias") << '\n';
        return;
    }
    std::cout << "  " << s.text("cli.update.section") << ": " << d.section << '\n'
              << "  " << s.text("cli.update.newest") << ": " << OrUnknown(d.newest.version) << '\n'
              << "  " << s.text(d.state == UpdateState::Newer ? "cli.update.newer" : "cli.update.upToDate")
              << '\n';
}

int Check(CliEnvironment &env) {
    if (int rc = env.Prepare()) return rc;
    update::UpdateChecks checks(update::ResolveBaseUrl(env.settings()));

    // The reader first: a missing reader is reported before any download.
    std::optional<app::IdentifiedReader> reader;
    if (env.options.port) {
        auto &ctx = env.connect();
        int baud = 19200;
        app::CapabilityFlags flags = 0;
        int handle = app::ConnectReader(ctx, baud, flags, true);
        if (handle == 0) return env.ConnectFailure();
        reader = app::IdentifyAndClose(ctx, handle);
        if (!reader) return env.Fail(ExitReader, Strings().format("cli.error.noAnswer", env.PortName()));
        checks.device().Start();
    }
    checks.program().Start();

    // No user interface waits here: the transfers' own time limits bound the run.
    constexpr std::chrono::hours kUntilEnded{24};
    const auto program = checks.ProgramNow(kUntilEnded);
    if (program.state == UpdateState::NoConnection) return Unreachable(env, checks.program(), program.error);
    std::optional<update::DeviceStatus> device;
    if (reader) {
        device = checks.DeviceNow(env.connect().identity, kUntilEnded);
        if (device->state == UpdateState::NoConnection)
            return Unreachable(env, checks.device(), device->error);
    }

    if (env.options.json) {
        nlohmann::json out;
        out["program"] = {{"current", program.current},
                          {"newest", OrNull(program.newest.version)},
                          {"build", OrNull(program.newest.build)},
                          {"newer", program.state == UpdateState::Newer},
                          {"installer", OrNull(program.newest.installer)}};
        if (device)
            out["device"] = {{"type_code", device->typeCode},
                             {"section", OrNull(device->section)},
                             {"current", device->current},
                             {"newest", OrNull(device->newest.version)},
                             {"newer", device->state == UpdateState::Newer}};
        // Version files may hold any bytes: invalid UTF-8 is replaced, not fatal.
        std::cout << out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return ExitOk;
    }
    PrintProgram(program);
    if (device) PrintDevice(*device, reader->modelName);
    return ExitOk;
}

void AddUpdateCommands(CLI::App &app, CliEnvironment &env) {
    auto *group = app.add_subcommand("update", "Newer versions of the program and of the reader's firmware");
    group->require_subcommand(1);
    auto *checkCommand = group->add_subcommand(
        "check", "Compare with the maker's version files (with --port also the reader's firmware)");
    checkCommand->callback([&env] { env.exitCode = Check(env); });
}

const CommandGroup updateGroup("update", &AddUpdateCommands);

}  // namespace
}  // namespace orvex::cli
