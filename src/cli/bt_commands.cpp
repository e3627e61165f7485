// "bt": the maker's Bluetooth dongles and the readers behind them: list the
// dongles, search, connect (remembered for every later command), standby time.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "app/bluetooth_devices.h"
#include "app/bluetooth_standby.h"
#include "app/connect.h"
#include "base/message_ids.h"
#include "app/settings_store.h"
#include "app/string_table.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "orvex/orvex.h"

namespace orvex::cli {
namespace {

// Room for every device the dongle can report in one inquiry.
constexpr int kSearchCapacity = 29;
constexpr int kMaxSearchSeconds = 60;

const app::StringTable &strings() { return app::StringTable::instance(); }

std::string jsonDump(const nlohmann::json &doc) {
    return doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Opens the stored (or --port) dongle; 0 after saying why not, with the
// command's exit code in `code`.
int openDongle(CliEnvironment &env, int &code) {
    const app::DonglePort port = app::openStoredDongle(env.settings(), env.connect().devices);
    if (!port.isBluetooth) {
        code = env.fail(ExitUsage, strings().format("cli.bt.notDongle", env.portName()));
        return 0;
    }
    if (!port.handle)
        code = env.fail(
            ExitReader,
            strings().format(port.busy ? "cli.error.portBusy" : "cli.error.cannotOpen", env.portName()));
    return port.handle;
}

struct ClosePort {
    int handle;
    ~ClosePort() {
        if (handle > 0) Orvex_ClosePort(handle);
    }
};

int dongles(CliEnvironment &env) {
    if (int rc = env.prepare()) return rc;
    std::vector<std::string> names;
    if (env.connect().devices.bluetoothDongles) names = env.connect().devices.bluetoothDongles();
    if (env.options.json) {
        std::cout << jsonDump(names) << '\n';
    } else {
        for (const auto &name : names) std::cout << name << '\n';
    }
    return ExitOk;
}

int search(CliEnvironment &env, int seconds) {
    if (int rc = env.prepare()) return rc;
    if (seconds < 1 || seconds > kMaxSearchSeconds)
        return env.fail(ExitUsage, strings().text("cli.bt.badSeconds"));
    int code = ExitOk;
    const int handle = openDongle(env, code);
    if (!handle) return code;
    ClosePort close{handle};
    const auto found = app::searchBtDevices(handle, seconds, kSearchCapacity);
    if (!found) return env.fail(ExitReader, strings().format("cli.bt.dongleSilent", env.portName()));
    if (env.options.json) {
        auto list = nlohmann::json::array();
        for (const auto &d : *found)
            list.push_back({{"address", app::btAddressText(d.address)}, {"name", d.name}});
        std::cout << jsonDump(list) << '\n';
    } else {
        for (const auto &d : *found) std::cout << app::btAddressText(d.address) << ' ' << d.name << '\n';
    }
    return ExitOk;
}

int connect(CliEnvironment &env, const std::string &addressText) {
    if (int rc = env.prepare()) return rc;
    const auto address = app::parseBtAddressText(addressText);
    if (!address) return env.fail(ExitUsage, strings().format("cli.bt.badAddress", addressText));
    int code = ExitOk;
    const int handle = openDongle(env, code);
    if (!handle) return code;
    ClosePort close{handle};
    const int error = app::connectBtDevice(handle, *address);
    if (error) return env.fail(ExitReader, app::btConnectErrorText(error));
    // The name the reader tells, as a search would list it; one that tells
    // none keeps the name known before, or is named by its address.
    const auto before = app::rememberedReader(env.settings());
    const std::optional<std::string> told = app::btRemoteName(handle, *address);
    const std::string name = told                                    ? *told
                             : before && before->address == *address ? before->name
                                                                     : app::btAddressText(*address);
    app::rememberReader(env.settings(), {*address, name});
    return ExitOk;
}

int standby(CliEnvironment &env, const std::optional<std::string> &setTo) {
    if (int rc = env.prepare()) return rc;
    if (setTo) {
        if (auto error = app::standbyInputError(*setTo)) return env.fail(ExitUsage, "standby: " + *error);
    }
    int baud = 19200;
    app::CapabilityFlags flags = 0;
    int handle = app::connectReader(env.connect(), baud, flags, false);
    if (handle == 0) return env.connectFailure();
    struct Close {
        int &handle;
        ~Close() { app::closeReader(handle); }
    } close{handle};
    if (env.bluetoothReaderMissing) return ExitReader;
    if (!(flags & app::CAP_BLUETOOTH))
        return env.fail(ExitUsage, strings().format("cli.bt.notDongle", env.portName()));
    if (setTo) {
        if (!app::writeStandbySeconds(handle, std::stoi(*setTo)))
            return env.fail(ExitReader, strings().text(app::msg::kProgrammingFailed));
        return ExitOk;
    }
    const auto seconds = app::readStandbySeconds(handle);
    if (!seconds) return env.fail(ExitReader, strings().text(app::msg::kConfigNotRead));
    if (env.options.json)
        std::cout << jsonDump({{"seconds", *seconds}}) << '\n';
    else
        std::cout << *seconds << '\n';
    return ExitOk;
}

void addBtCommands(CLI::App &app, CliEnvironment &env) {
    auto *bt = app.add_subcommand("bt", "Bluetooth readers through the maker's dongle");
    bt->require_subcommand(1);

    bt->add_subcommand("dongles", "List the attached dongles (use one with --port \"SERIAL BT\")")
        ->callback([&env] { env.exitCode = dongles(env); });

    auto *searchCmd = bt->add_subcommand(
        "search", "Search the readers and other devices around the dongle: address and name per line");
    auto seconds = std::make_shared<int>(app::kBtSearchSeconds);
    searchCmd->add_option("--seconds", *seconds, "Inquiry time in seconds (default 20)");
    searchCmd->callback([&env, seconds] { env.exitCode = search(env, *seconds); });

    auto *connectCmd =
        bt->add_subcommand("connect", "Set up the link to a reader and remember it for every later command");
    auto address = std::make_shared<std::string>();
    connectCmd->add_option("ADDRESS", *address, "12 hex digits as bt search prints them")->required();
    connectCmd->callback([&env, address] { env.exitCode = connect(env, *address); });

    auto *standbyCmd = bt->add_subcommand("standby", "The remembered reader's standby time in seconds");
    standbyCmd->require_subcommand(1);
    standbyCmd->add_subcommand("get", "Print the standby time")->callback([&env] {
        env.exitCode = standby(env, std::nullopt);
    });
    auto *setCmd = standbyCmd->add_subcommand("set", "Set the standby time, 10-2500 s in steps of 10 s");
    auto value = std::make_shared<std::string>();
    setCmd->add_option("SECONDS", *value, "10-2500")->required();
    setCmd->callback([&env, value] { env.exitCode = standby(env, *value); });
}

const CommandGroup btGroup("bt", &addBtCommands);

}  // namespace
}  // namespace orvex::cli
