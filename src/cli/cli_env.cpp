#include "cli/cli_env.h"

#include "app/bluetooth_devices.h"
#include "base/message_ids.h"

#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <streambuf>

#include "orvex/orvex.h"
#include "app/interface_settings.h"
#include "app/string_table.h"
#include "cli/command_group.h"
#include "cli/terminal_text.h"

namespace orvex::cli {

using app::StringTable;

namespace {

// Passes every character on and counts them.
class CountingBuffer : public std::streambuf {
public:
    explicit CountingBuffer(std::streambuf *inner) : inner_(inner) {}
    std::size_t count = 0;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        ++count;
        return inner_->sputc(traits_type::to_char_type(c));
    }
    std::streamsize xsputn(const char *s, std::streamsize n) override {
        count += static_cast<std::size_t>(n);
        return inner_->sputn(s, n);
    }
    int sync() override { return inner_->pubsync(); }

private:
    std::streambuf *inner_;
};

CountingBuffer *stdoutCounter = nullptr;

// A message for the terminal: its line ends as the terminal wants them, any
// other control character (a port name, a device's serial number) visible.
std::string terminalMessage(std::string_view text) {
    const std::string lines = terminalLines(text);
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = lines.find_first_of("\n\t", start);
        out += visibleControls(std::string_view(lines).substr(start, end - start));
        if (end == std::string::npos) return out;
        out += lines[end];
        start = end + 1;
    }
}

}  // namespace

std::string jsonText(const nlohmann::json &doc) {
    return doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void watchStdout() {
    if (stdoutCounter) return;
    // Never destroyed: std::cout is flushed at exit after every static of
    // this program is gone, and must still find its buffer then.
    stdoutCounter = new CountingBuffer(std::cout.rdbuf());
    std::cout.rdbuf(stdoutCounter);
}

bool stdoutUsed() { return stdoutCounter && stdoutCounter->count > 0; }

void CliEnvironment::printJson(const nlohmann::json &doc) { std::cout << jsonText(doc) << std::endl; }

void TerminalPrompts::showMessage(const std::string &text, app::MessageIcon icon) {
    const bool toStdout = icon == app::MessageIcon::Information && !options_.json;
    (toStdout ? std::cout : std::cerr) << terminalMessage(text) << std::endl;
}

bool TerminalPrompts::canAnswerQuestions() const {
    return options_.yes || options_.no || isatty(STDIN_FILENO);
}

bool TerminalPrompts::askYesNo(const std::string &text, bool defaultYes) {
    if (options_.yes) return true;
    if (options_.no || !isatty(STDIN_FILENO)) return false;
    const auto &strings = StringTable::instance();
    std::cerr << terminalMessage(text) << strings.text("cli.question.yesNo") << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    if (answer.empty()) return defaultYes;
    const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
    return first == 'y' || first == strings.text("cli.answer.yes").front();
}

int CliEnvironment::prepare(bool applyOverrides) {
    settings_ = std::make_unique<app::SettingsStore>();
    prompts_ = std::make_unique<TerminalPrompts>(options);
    connect_ = std::make_unique<app::ConnectContext>(*settings_, *prompts_);
    // A Bluetooth port reaches the reader remembered by "bt connect".
    connect_->bluetoothDeviceDialog = [this](int handle) {
        bluetoothReaderMissing = true;
        const auto reader = app::rememberedReader(*settings_);
        if (!reader) {
            fail(ExitReader, StringTable::instance().text("cli.bt.noReader"));
            return false;
        }
        const int error = app::connectBtDevice(handle, reader->address);
        bluetoothReaderMissing = error != 0;
        if (error == 0) return true;
        fail(ExitReader,
             StringTable::instance().format("cli.bt.unreachable", app::btAddressText(reader->address),
                                            reader->name, app::btConnectErrorText(error)));
        return false;
    };

    auto &strings = StringTable::instance();
    const bool english =
        options.language.empty() ? settings_->get(app::settings::Language) == 1 : options.language == "en";
    if (english) {
        if (!strings.loadEnglish())
            std::cerr << terminalMessage(strings.text(app::msg::kLanguageMissing)) << '\n';
    } else {
        strings.useGerman();
    }
    if (options.verbose) Orvex_SetTraceEcho(1);

    if (options.address && (*options.address < app::AddressMin || *options.address > app::AddressMax))
        return fail(ExitUsage, "--address: " +
                                   strings.format(app::msg::kIntegerRange, app::AddressMin, app::AddressMax));
    if (options.timeout && (*options.timeout < app::TimeoutMin || *options.timeout > app::TimeoutMax))
        return fail(ExitUsage, "--timeout: " +
                                   strings.format(app::msg::kIntegerRange, app::TimeoutMin, app::TimeoutMax));
    if (options.baud && *options.baud <= 0)
        return fail(ExitUsage, "--baud: " + strings.format(app::msg::kIntegerRange, 1, 2147483647));
    // An empty name would fall back to the default port, which nobody asked for.
    if (options.port && options.port->find_first_not_of(" \t") == std::string::npos)
        return fail(ExitUsage, strings.text("cli.error.emptyPort"));

    if (applyOverrides) {
        using namespace app::settings;
        if (options.port) {
            settings_->override(app::settings::PortName.section, app::settings::PortName.key,
                                app::withBluetoothPrefix(*options.port));
            connect_->devices.keepNamedPort = true;
            if (options.port->rfind(app::LanPrefix, 0) == 0)
                settings_->override(PortEthernet.section, PortEthernet.key, "1");
        }
        if (options.baud)
            settings_->override(PortBaudrate.section, PortBaudrate.key, std::to_string(*options.baud));
        if (options.address)
            settings_->override(PortAddress.section, PortAddress.key, std::to_string(*options.address));
        if (options.timeout)
            settings_->override(PortTimeoutConnect.section, PortTimeoutConnect.key,
                                std::to_string(*options.timeout));
    }
    return ExitOk;
}

std::string CliEnvironment::portName() {
    // Named as the person gave it, whatever prefix the settings store adds.
    if (options.port) return *options.port;
    std::string name = settings_->get(app::settings::PortName);
    return name.empty() ? app::settings::DefaultPortName : name;
}

int CliEnvironment::fail(int code, const std::string &text) {
    std::cerr << terminalMessage(text) << std::endl;
    if (!firstError_) firstError_ = text;
    return code;
}

void CliEnvironment::printFinalJson() {
    if (!options.json || stdoutUsed()) return;
    if (exitCode != ExitOk && firstError_)
        printJson({{"error", *firstError_}, {"code", exitCode}});
    else
        printJson({{"code", exitCode}, {"ok", exitCode == ExitOk}});
}

int CliEnvironment::connectFailure() { return fail(ExitReader, connectFailureText(connect_->lastResult)); }

std::string CliEnvironment::connectFailureText(int connectResult) {
    const char *key = "cli.error.cannotOpen";
    switch (connectResult) {
        case app::ConnectNoAnswer:
            key = "cli.error.noAnswer";
            break;
        case app::ConnectUnsupported:
        case app::ConnectProgrammer:
            key = "cli.error.unsupported";
            break;
        case app::ConnectPortBusy:
            key = "cli.error.portBusy";
            break;
        default:
            break;
    }
    return StringTable::instance().format(key, portName());
}

int CliEnvironment::notAvailable(const std::string &model) {
    return fail(ExitReader, StringTable::instance().format("cli.error.notAvailable", portName(), model));
}

CommandGroup::CommandGroup(const char *groupName, AddCommandsFunction addFunction)
    : name(groupName), add(addFunction) {
    registry().push_back(this);
}

std::vector<const CommandGroup *> &CommandGroup::registry() {
    static std::vector<const CommandGroup *> groups;
    return groups;
}

const std::vector<const CommandGroup *> &CommandGroup::all() { return registry(); }

}  // namespace orvex::cli
