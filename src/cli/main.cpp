// orvexctl: configures Orvex RFID readers from the command line.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "app/version_text.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"

namespace {

// --help-all: every command with its options, down to the commands of the
// command groups ("power-on set"), as the manual page shows them.
std::string helpOfEveryCommand(const CLI::App &app) {
    std::string text = app.help("", CLI::AppFormatMode::All);
    for (const CLI::App *group : app.get_subcommands({}))
        for (const CLI::App *command : group->get_subcommands({}))
            text += "\n" + command->help("orvexctl " + group->get_name());
    return text;
}

}  // namespace

int main(int argc, char **argv) {
    using namespace orvex::cli;
    CliEnvironment env;
    auto &o = env.options;

    CLI::App app{"orvexctl - configure Orvex RFID readers", "orvexctl"};
    app.require_subcommand(1);
    app.set_version_flag("--version", orvex::app::versionText("orvexctl"), "Print the version and exit");
    // Every subcommand's help in one text; the manual page is made from it.
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    app.fallthrough();
    app.add_option("--port", o.port,
                   "Port name as stored, with its kind prefix (e.g. /dev/ttyUSB0, \"USB: 6401-123 HID\")");
    app.add_option("--baud", o.baud, "Baud rate (the last two digits select the framing)");
    app.add_option("--address", o.address, "Device (bus) address, 1-255");
    app.add_option("--timeout", o.timeout,
                   "Answer timeout in ms, 10-300000 (identifying the reader when the port opens waits at "
                   "most 300 ms per try)");
    app.add_option("--lang", o.language, "Language of the texts")->check(CLI::IsMember({"de", "en"}));
    app.add_flag("--json", o.json,
                 "Machine-readable output: one JSON document per run, failures included "
                 "({\"error\": ..., \"code\": ...}); monitor prints JSON Lines, one object per record");
    app.add_flag("-v,--verbose", o.verbose, "Frames and traces to stderr");
    auto *yes = app.add_flag("--yes", o.yes, "Answer every question with yes");
    app.add_flag("--no", o.no, "Answer every question with no")->excludes(yes);

    addInterfaceCommands(app, env);
    addReaderCommands(app, env);
    addMonitorCommand(app, env);
    for (const auto *group : CommandGroup::all()) group->add(app, env);

    watchStdout();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForAllHelp &) {
        std::cout << helpOfEveryCommand(app);
        return ExitOk;
    } catch (const CLI::Success &e) {  // --help, --version
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        app.exit(e);
        if (o.json) env.printJson({{"error", e.what()}, {"code", static_cast<int>(ExitUsage)}});
        return ExitUsage;
    } catch (const nlohmann::json::exception &e) {
        // A document that could not be built must not abort the run after
        // the command has done its work.
        env.exitCode = env.fail(ExitReader, e.what());
    }
    // Every --json run prints one document, also a command that has nothing
    // to report but its success or its failure.
    env.printFinalJson();
    return env.exitCode;
}
