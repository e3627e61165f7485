// What every orvexctl command shares: the global options, the settings store
// with the one-run overrides, the terminal prompts and the connect context.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <optional>
#include <string>

#include "app/connect.h"
#include "app/prompts.h"
#include "app/settings_store.h"

namespace orvex::cli {

// ExitWouldChange: `program --check` found something to write.
enum ExitCode : int { ExitOk = 0, ExitReader = 1, ExitUsage = 2, ExitWouldChange = 3 };

struct GlobalOptions {
    std::optional<std::string> port;
    std::optional<int> baud, address, timeout;
    std::string language;  // "de", "en" or empty (the stored choice)
    bool json = false;
    bool verbose = false;
    bool yes = false;
    bool no = false;
};

// Prompts on a terminal: messages to stderr (information to stdout unless
// JSON goes there), questions answered by --yes/--no or asked on the
// terminal.
class TerminalPrompts : public app::WindowlessPrompts {
public:
    explicit TerminalPrompts(const GlobalOptions &options) : options_(options) {}

    void showMessage(const std::string &text, app::MessageIcon icon) override;
    bool askYesNo(const std::string &text, bool defaultYes = true) override;

    // False when a question would have to be asked but cannot be.
    bool canAnswerQuestions() const;

private:
    const GlobalOptions &options_;
};

// JSON text that never throws: bytes that are no UTF-8 (file and port names
// are bytes) are replaced, so a document can always be printed, also after a
// command has changed the reader or a file.
std::string jsonText(const nlohmann::json &doc);

// Counts what reaches std::cout from here on, so that a --json run that
// printed nothing can still print its one document at the end.
void watchStdout();
bool stdoutUsed();

class CliEnvironment {
public:
    GlobalOptions options;

    // One JSON document on a line of stdout.
    void printJson(const nlohmann::json &doc);

    // Applies language, tracing and (unless storing) the port overrides.
    // ExitOk, or ExitUsage after printing why.
    int prepare(bool applyOverrides = true);

    app::SettingsStore &settings() { return *settings_; }
    TerminalPrompts &prompts() { return *prompts_; }
    app::ConnectContext &connect() { return *connect_; }

    // The port as --port gave it, else the stored port name as the next
    // connect will use it.
    std::string portName();

    // Prints text (a line) to stderr and returns code. The first such text is
    // the error of the run's JSON document when the command prints none.
    int fail(int code, const std::string &text);
    // With --json, when the run printed nothing to stdout: its one document,
    // {"error": the first failure, "code": exitCode} or {"code", "ok"}. The
    // code is always the exit code.
    void printFinalJson();
    // The failure of the last connect, naming the port and what to do.
    int connectFailure();
    // Its text for a connect result (app::ConnectResult).
    std::string connectFailureText(int connectResult);
    // A reader without the function: names the port and the model.
    int notAvailable(const std::string &model);

    // Set by the command that ran.
    int exitCode = ExitOk;
    // The last connect on a Bluetooth port reached no reader (the reason is printed).
    bool bluetoothReaderMissing = false;

private:
    std::optional<std::string> firstError_;
    std::unique_ptr<app::SettingsStore> settings_;
    std::unique_ptr<TerminalPrompts> prompts_;
    std::unique_ptr<app::ConnectContext> connect_;
};

}  // namespace orvex::cli
