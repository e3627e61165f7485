// "interfaces" and "use": the interface list and the interface dialog's OK.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>

#include "app/bluetooth_devices.h"
#include "app/interface_kind.h"
#include "app/interface_settings.h"
#include "app/string_table.h"
#include "base/cp1252.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "cli/terminal_text.h"

namespace orvex::cli {

namespace {

int listInterfaces(CliEnvironment &env) {
    if (int rc = env.prepare()) return rc;
    const bool ethernet = env.settings().get(app::settings::PortEthernet) != 0;
    const auto texts = app::interfaceListTexts(app::enumerateDevices(env.connect().devices, ethernet));
    if (env.options.json) {
        std::cout << nlohmann::json(texts).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
    } else {
        // The entry, then its kind in brackets, aligned. A device's serial
        // number may hold control characters: they are shown, not obeyed.
        std::size_t width = 0;
        for (const auto &t : texts) width = std::max(width, app::utf8Length(visibleControls(t)));
        for (const auto &t : texts) {
            const std::string shown = visibleControls(t);
            std::cout << shown << std::string(width - app::utf8Length(shown) + 2, ' ') << '('
                      << app::interfaceKindText(app::interfaceKind(t)) << ")\n";
        }
    }
    return ExitOk;
}

struct UseOptions {
    std::string ethernet;  // "on", "off" or empty (unchanged)
    std::string parity;    // "none", "even", "odd" or empty
    int stopBits = 0;      // 1, 2 or 0 (unchanged)
};

int storeInterface(CliEnvironment &env, const UseOptions &use) {
    // The options are what gets stored, not a one-run override.
    if (int rc = env.prepare(false)) return rc;
    auto &store = env.settings();
    app::PortSettings ps;
    ps.name =
        env.options.port ? app::withBluetoothPrefix(*env.options.port) : store.get(app::settings::PortName);
    ps.baudValue = env.options.baud.value_or(store.get(app::settings::PortBaudrate));
    ps.timeoutMs = env.options.timeout.value_or(store.get(app::settings::PortTimeoutDialog));
    ps.address = env.options.address.value_or(store.get(app::settings::PortAddress));
    ps.ethernet = use.ethernet.empty() ? store.get(app::settings::PortEthernet) != 0 : use.ethernet == "on";
    if (!use.parity.empty() || use.stopBits != 0) {
        auto combos = app::lineCombosFromBaudValue(ps.baudValue);
        if (!use.parity.empty()) combos.parity = use.parity == "even" ? 1 : use.parity == "odd" ? 2 : 0;
        if (use.stopBits != 0) combos.stopBits = use.stopBits - 1;
        ps.baudValue = app::baudValueFromLineCombos(combos);
    }
    if (!app::storePortSettings(store, ps))
        return env.fail(ExitReader, app::StringTable::instance().format("cli.error.store", store.path()));
    if (env.options.json) {
        std::cout << nlohmann::json{{"port", ps.name},
                                    {"baud", ps.baudValue},
                                    {"timeout", ps.timeoutMs},
                                    {"address", ps.address},
                                    {"ethernet", ps.ethernet}}
                         .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
    }
    return ExitOk;
}

}  // namespace

void addInterfaceCommands(CLI::App &app, CliEnvironment &env) {
    app.add_subcommand("interfaces", "List the serial ports and readers present")->callback([&env] {
        env.exitCode = listInterfaces(env);
    });

    auto use = std::make_shared<UseOptions>();
    auto *cmd = app.add_subcommand("use", "Store --port, --baud, --address, --timeout as the interface");
    cmd->add_option("--ethernet", use->ethernet, "Offer LAN readers")->check(CLI::IsMember({"on", "off"}));
    cmd->add_option("--parity", use->parity, "Parity of the serial line")
        ->check(CLI::IsMember({"none", "even", "odd"}));
    cmd->add_option("--stop-bits", use->stopBits, "Stop bits of the serial line")
        ->check(CLI::IsMember({1, 2}));
    cmd->callback([&env, use] { env.exitCode = storeInterface(env, *use); });
}

}  // namespace orvex::cli
