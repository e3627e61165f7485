// "lan": search, show and change LAN readers through their network module.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <iostream>
#include <memory>

#include "app/lan_config.h"
#include "app/lan_search_list.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "orvex/orvex.h"

namespace orvex::cli {
namespace {

constexpr int kTextNoDevices = 10131;

const app::StringTable &strings() { return app::StringTable::instance(); }

int search(CliEnvironment &env, bool all) {
    if (int rc = env.prepare()) return rc;
    const auto lan = app::systemLanFunctions();
    const auto makers = lan.searchMaker();
    const auto items = all ? app::mergeLanSearch(makers, lan.searchAll()) : app::mergeLanSearch(makers, {});
    if (env.options.json) {
        auto list = nlohmann::json::array();
        for (const auto &item : items)
            list.push_back({{"address", item.text}, {"maker", item.value == app::LanMakerReader}});
        std::cout << list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        for (const auto &item : items)
            std::cout << item.text
                      << (item.value == app::LanMakerReader ? ""
                                                            : "\t" + strings().text("cli.lan.otherDevice"))
                      << '\n';
    }
    if (items.empty()) return env.fail(ExitReader, strings().text(kTextNoDevices));
    return ExitOk;
}

int show(CliEnvironment &env, const std::string &address) {
    if (int rc = env.prepare()) return rc;
    app::LanConfigModel dialog(address, app::systemLanFunctions(), env.prompts());
    dialog.load();
    const auto &f = dialog.fields();
    if (f.mode == app::LanMode::NotLoaded)
        return env.fail(ExitReader, strings().format("cli.error.lanNoAnswer", address));
    const bool dhcp = f.mode == app::LanMode::Dhcp;
    const int port = dhcp ? f.dhcpPort : f.fixedPort;
    if (env.options.json) {
        std::cout << nlohmann::json{{"mode", dhcp ? "dhcp" : "fixed"},
                                    {"name", f.dhcpName},
                                    {"ip", f.ipAddress},
                                    {"port", port},
                                    {"mask", f.mask},
                                    {"gateway", f.gateway}}
                         .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
        return ExitOk;
    }
    const auto line = [](const char *label, const std::string &value) {
        std::cout << strings().text(label) << ": " << value << '\n';
    };
    line("cli.label.ipAddress", dhcp ? strings().text("cli.lan.dhcp") : f.ipAddress);
    line("cli.label.dhcpName", f.dhcpName);
    line("cli.label.tcpPort", std::to_string(port));
    line("cli.label.netmask", f.mask);
    line("cli.label.gateway", f.gateway);
    return ExitOk;
}

struct SetOptions {
    std::string dhcp, ip, mask, gateway;
    int port = -1;
};

int set(CliEnvironment &env, const std::string &address, const SetOptions &set) {
    if (int rc = env.prepare()) return rc;
    if (set.dhcp.size() > app::LanConfigModel::kMaxDhcpName)
        return env.fail(
            ExitUsage,
            "--dhcp: " + strings().format(61714, 1, static_cast<int>(app::LanConfigModel::kMaxDhcpName)));
    app::LanConfigModel dialog(address, app::systemLanFunctions(), env.prompts());
    dialog.load();
    auto &f = dialog.fields();
    if (!set.dhcp.empty()) {
        f.mode = app::LanMode::Dhcp;
        f.dhcpName = set.dhcp;
    } else {
        f.mode = app::LanMode::FixedAddress;
        f.ipAddress = set.ip;
    }
    if (set.port >= 0) f.dhcpPort = f.fixedPort = set.port;
    if (f.dhcpPort == 0 && f.fixedPort == 0) f.dhcpPort = f.fixedPort = 10001;  // settings not readable
    if (!set.mask.empty()) f.mask = set.mask;
    if (!set.gateway.empty()) f.gateway = set.gateway;

    // The wait for the reader at its new address takes up to 25 s: show it.
    const bool terminal = isatty(STDERR_FILENO);
    int shown = -1;
    auto outcome = dialog.ok([&](int elapsedMs) {
        if (!terminal || elapsedMs / 1000 == shown) return;
        shown = elapsedMs / 1000;
        std::cerr << '\r'
                  << strings().format("cli.lan.waiting", shown, app::LanConfigModel::kProgressRangeMs / 1000)
                  << std::flush;
    });
    if (terminal && shown >= 0) std::cerr << '\n';
    if (outcome.kind != app::LanConfigOutcome::Done)
        return outcome.focus == app::LanConfigControl::None ? ExitReader : ExitUsage;

    // A stored LAN port that named this reader follows it to the new address.
    auto &store = env.settings();
    if (store.get(app::settings::PortName) == "LAN: " + address)
        store.set(app::settings::PortName, "LAN: " + dialog.address());
    if (env.options.json)
        std::cout << nlohmann::json{{"address", dialog.address()}}.dump(
                         -1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
    else
        std::cout << dialog.address() << '\n';
    return ExitOk;
}

struct ClientOptions {
    std::string server;
    int serverPort = -1;
};

int client(CliEnvironment &env, const std::string &address, const ClientOptions &client) {
    if (int rc = env.prepare()) return rc;
    if (!client.server.empty() &&
        Orvex_LanSetAddress(address.c_str(), client.server.c_str(), client.serverPort) != 0)
        return env.fail(ExitReader, strings().format("cli.error.lanNoAnswer", address));
    char target[ORVEX_LAN_TEXT_SIZE] = {};
    int port = 0;
    if (Orvex_LanReadAddress(address.c_str(), target, sizeof target, &port) != 0)
        return env.fail(ExitReader, strings().format("cli.error.lanNoAnswer", address));
    if (env.options.json)
        std::cout << nlohmann::json{{"server", target}, {"port", port}}.dump(
                         -1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
    else
        std::cout << strings().text("cli.label.tcpClient") << ": " << target << "-" << port << '\n';
    return ExitOk;
}

void addLanCommands(CLI::App &app, CliEnvironment &env) {
    auto *lan = app.add_subcommand("lan", "LAN readers: search, network settings, TCP client target");
    lan->require_subcommand(1);

    auto all = std::make_shared<bool>(false);
    auto *searchCommand = lan->add_subcommand("search", "List the readers that answer the discovery");
    searchCommand->add_flag("--all", *all, "Every answering device, other makers' marked");
    searchCommand->callback([&env, all] { env.exitCode = search(env, *all); });

    auto showAddress = std::make_shared<std::string>();
    auto *showCommand = lan->add_subcommand("show", "Show a reader's network settings");
    showCommand->add_option("ADDRESS", *showAddress, "a.b.c.d[-port] or [name]")->required();
    showCommand->callback([&env, showAddress] { env.exitCode = show(env, *showAddress); });

    auto setAddress = std::make_shared<std::string>();
    auto setOptions = std::make_shared<SetOptions>();
    auto *setCommand = lan->add_subcommand("set", "Change a reader's address, port, mask and gateway");
    setCommand->add_option("ADDRESS", *setAddress, "a.b.c.d[-port] or [name]")->required();
    auto *dhcp = setCommand->add_option("--dhcp", setOptions->dhcp,
                                        "Address by DHCP, with this name (up to 15 characters)");
    auto *ip = setCommand->add_option("--ip", setOptions->ip, "Fixed address A.B.C.D");
    dhcp->excludes(ip);
    setCommand->add_option("--port", setOptions->port, "TCP port of the reader")->check(CLI::Range(0, 65535));
    setCommand->add_option("--mask", setOptions->mask, "Subnet mask")->check(CLI::ValidIPV4);
    setCommand->add_option("--gateway", setOptions->gateway, "Gateway")->check(CLI::ValidIPV4);
    setCommand->callback([&env, setAddress, setOptions, dhcp, ip] {
        if (dhcp->count() + ip->count() != 1) {
            env.exitCode = env.fail(ExitUsage, strings().text("cli.error.lanSetUsage"));
            return;
        }
        env.exitCode = set(env, *setAddress, *setOptions);
    });

    auto clientAddress = std::make_shared<std::string>();
    auto clientOptions = std::make_shared<ClientOptions>();
    auto *clientCommand =
        lan->add_subcommand("client", "Show or set the server the reader's TCP client connects to");
    clientCommand->add_option("ADDRESS", *clientAddress, "a.b.c.d[-port] or [name]")->required();
    auto *server = clientCommand->add_option("--server", clientOptions->server, "Server address A.B.C.D")
                       ->check(CLI::ValidIPV4);
    auto *serverPort = clientCommand->add_option("--server-port", clientOptions->serverPort, "Server port")
                           ->check(CLI::Range(0, 65535));
    server->needs(serverPort);
    serverPort->needs(server);
    clientCommand->callback(
        [&env, clientAddress, clientOptions] { env.exitCode = client(env, *clientAddress, *clientOptions); });
}

const CommandGroup lanGroup("lan", &addLanCommands);

}  // namespace
}  // namespace orvex::cli
