// Commands that talk to the reader: identify, report, power-on, tx-power,
// factory-reset and transceive.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

#include "base/capabilities.h"
#include "base/cp1252.h"
#include "app/main_commands.h"
#include "app/string_table.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "cli/terminal_text.h"
#include "orvex/orvex.h"
#include "params/read_content.h"
#include "params/reader_option_models.h"

namespace orvex::cli {

using app::StringTable;

namespace {

constexpr int kAnswerBufferSize = 1024;

std::string hexBytes(const unsigned char *data, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", data[i]);
        out += hex;
    }
    return out;
}

// After the dialog's own message: which port, the link's error code, what to do.
int commandFailed(CliEnvironment &env, int handle) {
    return env.fail(ExitReader, StringTable::instance().format("cli.error.commandFailed", env.portName(),
                                                               Orvex_GetLastError(handle)));
}

// The exit code of a settings command whose dialog step set `result`.
int commandResult(CliEnvironment &env, app::CommandOutcome outcome, int result) {
    switch (outcome) {
        case app::CommandOutcome::NoConnection:
            return env.connectFailure();
        case app::CommandOutcome::NotAvailable:
            return env.notAvailable(env.connect().lastModel);
        case app::CommandOutcome::Ran:
            break;
    }
    return result;
}

void printJson(const nlohmann::json &document) { std::cout << jsonText(document) << '\n'; }

int identify(CliEnvironment &env) {
    if (int rc = env.prepare()) return rc;
    auto &ctx = env.connect();
    int baud = 19200;
    app::CapabilityFlags flags = 0;
    int handle = app::connectReader(ctx, baud, flags, true);
    if (handle == 0) return env.connectFailure();
    const auto reader = app::identifyAndClose(ctx, handle);
    if (!reader)
        return env.fail(ExitReader, StringTable::instance().format("cli.error.noAnswer", env.portName()));

    const auto version = app::parseVersionAnswer(reader->versionAnswer);
    const unsigned digit = version ? version->digitValue : app::versionDigitValue(reader->versionAnswer[3]);
    const std::string typeCode = reader->versionAnswer.substr(0, 3);
    if (env.options.json) {
        printJson({{"port", env.portName()},
                   {"version_answer", reader->versionAnswer},
                   {"type_code", typeCode},
                   {"model", reader->modelName},
                   {"version_digit", digit},
                   {"capabilities", flags},
                   {"title", ctx.title}});
        return ExitOk;
    }
    const auto &s = StringTable::instance();
    char caps[16];
    std::snprintf(caps, sizeof caps, "0x%08X", flags);
    const std::pair<const char *, std::string> lines[] = {
        {"cli.label.port", env.portName()},
        {"cli.label.model", reader->modelName},
        {"cli.label.typeCode", typeCode},
        {"cli.label.versionAnswer", reader->versionAnswer},
        {"cli.label.versionDigit", std::to_string(digit)},
        {"cli.label.capabilities", caps},
        {"cli.label.title", ctx.title},
    };
    for (const auto &[label, value] : lines) {
        std::string padded = s.text(label);
        while (app::utf8Length(padded) < 18) padded += ' ';
        std::cout << padded << ": " << visibleControls(value) << '\n';
    }
    return ExitOk;
}

int report(CliEnvironment &env) {
    if (int rc = env.prepare()) return rc;
    app::ReadContentState state;
    if (!app::readContent(env.connect(), state)) return env.connectFailure();
    if (env.options.json)
        printJson({{"port", env.portName()}, {"complete", state.complete}, {"report", state.text}});
    else
        std::cout << state.text << (state.text.empty() || state.text.back() == '\n' ? "" : "\n")
                  << std::flush;
    if (!state.complete)
        return env.fail(ExitReader, StringTable::instance().format("cli.error.readFailed", env.portName()));
    return ExitOk;
}

constexpr const char *kPowerOnWords[] = {"programming", "reader", "silent"};

// action "get", or "set" with one of kPowerOnWords.
int powerOn(CliEnvironment &env, const std::string &action, const std::string &word) {
    if (int rc = env.prepare()) return rc;
    const auto &s = StringTable::instance();
    int result = ExitOk;
    auto bluetoothDialog = [&](int &) { result = env.notAvailable(env.connect().lastModel); };
    auto powerOnDialog = [&](int &handle, bool silentOffered) {
        app::PowerOnModel dialog(handle, silentOffered, env.prompts());
        int index = dialog.show() ? dialog.selectedIndex() : -1;
        if (action == "set") {
            index = 0;
            while (word != kPowerOnWords[index]) ++index;
            if (index == 2 && !dialog.silentOptionEnabled()) {
                result = env.notAvailable(env.connect().lastModel);
                return;
            }
            if (!dialog.set(index)) index = -1;
        }
        if (index < 0) {
            result = commandFailed(env, handle);
        } else if (env.options.json) {
            printJson({{"port", env.portName()},
                       {"power_on", kPowerOnWords[index]},
                       {"value", app::powerOnValueFromIndex(index)}});
        } else if (action == "get") {
            std::cout << s.text("param.powerOn") << ": " << s.text("param.powerOn." + std::to_string(index))
                      << " (" << kPowerOnWords[index] << ")\n";
        }
    };
    return commandResult(
        env, app::runStartModeCommandWithoutFrame(env.connect(), bluetoothDialog, powerOnDialog), result);
}

struct TxPowerOptions {
    std::string iso15693, iso14443;  // "full", "half" or empty (unchanged)
};

int txPower(CliEnvironment &env, const std::string &action, const TxPowerOptions &opts) {
    if (action == "set" && opts.iso15693.empty() && opts.iso14443.empty()) {
        env.prepare(false);
        return env.fail(ExitUsage, StringTable::instance().text("cli.error.nothingToSet"));
    }
    if (int rc = env.prepare()) return rc;
    const auto &s = StringTable::instance();
    int result = ExitOk;
    auto txPowerDialog = [&](int &handle) {
        app::TxPowerModel dialog(handle, env.prompts());
        const bool read = dialog.show();
        if (action == "get" && !read) {
            result = commandFailed(env, handle);
            return;
        }
        if (action == "set") {
            app::TxPower power = dialog.power();
            if (!opts.iso15693.empty()) power.iso15693Half = opts.iso15693 == "half";
            if (!opts.iso14443.empty()) power.iso14443Half = opts.iso14443 == "half";
            if (!dialog.set(power)) {
                result = commandFailed(env, handle);
                return;
            }
        }
        const auto &p = dialog.power();
        if (env.options.json) {
            printJson({{"port", env.portName()},
                       {"iso15693", p.iso15693Half ? "half" : "full"},
                       {"iso14443", p.iso14443Half ? "half" : "full"}});
        } else if (action == "get") {
            auto level = [&](bool half) { return s.text(half ? "txPower.half" : "txPower.full"); };
            std::cout << s.text("txPower.iso15693") << ": " << level(p.iso15693Half) << '\n'
                      << s.text("txPower.iso14443") << ": " << level(p.iso14443Half) << '\n';
        }
    };
    // Without a main frame, the command's own identification decides alone.
    return commandResult(
        env, app::runTxPowerCommand(env.connect(), app::CAP_TX_POWER_MENU_MASK, txPowerDialog), result);
}

int factoryReset(CliEnvironment &env) {
    if (int rc = env.prepare()) return rc;
    const auto &s = StringTable::instance();
    if (!env.prompts().canAnswerQuestions()) return env.fail(ExitUsage, s.text("cli.error.needAnswer"));
    switch (app::runFactoryReset(env.connect(), app::CAP_FACTORY_RESET)) {
        case app::FactoryResetOutcome::Done:
            if (env.options.json) printJson({{"port", env.portName()}, {"factory_reset", true}});
            return ExitOk;
        case app::FactoryResetOutcome::Declined:
            return env.fail(ExitReader, s.format("cli.error.declined", env.portName()));
        case app::FactoryResetOutcome::Failed:
            return env.fail(ExitReader, s.format("cli.error.rejected", env.portName()));
        case app::FactoryResetOutcome::NoConnection:
            return env.connectFailure();
        case app::FactoryResetOutcome::NotAvailable:
            break;
    }
    return env.notAvailable(env.connect().lastModel);
}

int transceive(CliEnvironment &env, const std::string &hex) {
    std::string request;
    if (!parseHexBytes(hex, request)) {
        env.prepare(false);
        return env.fail(ExitUsage, StringTable::instance().format("cli.error.badHex", hex));
    }
    if (int rc = env.prepare()) return rc;
    app::CommandConnection link = app::connectForCommand(env.connect());
    if (link.handle == 0) return env.connectFailure();
    unsigned char answer[kAnswerBufferSize];
    const int n = Orvex_Transceive(link.handle, reinterpret_cast<const unsigned char *>(request.data()),
                                   static_cast<int>(request.size()), answer, kAnswerBufferSize);
    const int result = n < 0 ? commandFailed(env, link.handle) : ExitOk;
    app::closeReader(link.handle);
    if (n < 0) return result;
    if (env.options.json)
        printJson({{"port", env.portName()}, {"answer", hexBytes(answer, n)}});
    else
        std::cout << hexBytes(answer, n) << '\n';
    return ExitOk;
}

}  // namespace

void addReaderCommands(CLI::App &app, CliEnvironment &env) {
    app.add_subcommand("identify", "Connect and identify the reader")->callback([&env] {
        env.exitCode = identify(env);
    });
    app.add_subcommand("report", "Read the reader's configuration as a report")->callback([&env] {
        env.exitCode = report(env);
    });

    auto *powerOnCommand = app.add_subcommand("power-on", "The mode the reader starts in");
    powerOnCommand->require_subcommand(1);
    powerOnCommand->add_subcommand("get", "Show the power-on mode")->callback([&env] {
        env.exitCode = powerOn(env, "get", {});
    });
    auto mode = std::make_shared<std::string>();
    auto *setMode = powerOnCommand->add_subcommand("set", "Set the power-on mode");
    setMode->add_option("mode", *mode, "programming, reader or silent")
        ->required()
        ->check(CLI::IsMember({"programming", "reader", "silent"}));
    setMode->callback([&env, mode] { env.exitCode = powerOn(env, "set", *mode); });

    auto *tx = app.add_subcommand("tx-power", "Transmit power of the ISO 15693 and ISO 14443 modes");
    tx->require_subcommand(1);
    tx->add_subcommand("get", "Show the transmit power")->callback([&env] {
        env.exitCode = txPower(env, "get", {});
    });
    auto txOpts = std::make_shared<TxPowerOptions>();
    auto *txSet = tx->add_subcommand("set", "Set the transmit power");
    txSet->add_option("--iso15693", txOpts->iso15693, "full or half")->check(CLI::IsMember({"full", "half"}));
    txSet->add_option("--iso14443", txOpts->iso14443, "full or half")->check(CLI::IsMember({"full", "half"}));
    txSet->callback([&env, txOpts] { env.exitCode = txPower(env, "set", *txOpts); });

    app.add_subcommand("factory-reset", "Restore the factory settings (asks twice)")->callback([&env] {
        env.exitCode = factoryReset(env);
    });

    auto hex = std::make_shared<std::string>();
    auto *tr = app.add_subcommand("transceive", "Send one command (hex bytes) and print the answer");
    tr->add_option("hex", *hex, "Command byte and data, e.g. \"F0\" or \"F4 80\"")->required();
    tr->callback([&env, hex] { env.exitCode = transceive(env, *hex); });
}

}  // namespace orvex::cli
