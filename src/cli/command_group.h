// Subcommand groups of orvexctl.
//
// The built-in groups (interfaces and use, reader commands, monitor) are added
// by main(). A further group lives in its own file and registers itself with a
// static object, without touching main:
//
//     namespace {
//     void addLanCommands(CLI::App &app, orvex::cli::CliEnvironment &env) {
//         auto *lan = app.add_subcommand("lan", "...");
//         ... lan->callback([&env] { env.exitCode = ...; });
//     }
//     const orvex::cli::CommandGroup lanGroup("lan", &addLanCommands);
//     }
//
// A command callback calls env.prepare() first (it applies the global
// options) and leaves its result in env.exitCode (ExitOk, ExitReader,
// ExitUsage).
#pragma once

#include <vector>

namespace CLI {
class App;
}

namespace orvex::cli {

class CliEnvironment;

using AddCommandsFunction = void (*)(CLI::App &app, CliEnvironment &env);

class CommandGroup {
public:
    CommandGroup(const char *name, AddCommandsFunction add);

    const char *name;
    AddCommandsFunction add;

    // Every registered group, in registration order.
    static const std::vector<const CommandGroup *> &all();

private:
    static std::vector<const CommandGroup *> &registry();
};

// The built-in groups.
void addInterfaceCommands(CLI::App &app, CliEnvironment &env);
void addReaderCommands(CLI::App &app, CliEnvironment &env);
void addMonitorCommand(CLI::App &app, CliEnvironment &env);

}  // namespace orvex::cli
