// Configuration commands of orvexctl: read-config (reader -> .mkr/.mkp),
// program (file -> reader, through the configuration sheet) and show (the
// file as the read-content report shows a reader).
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/string_table.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "base/ini_file.h"
#include "sheets/ps2_sheet.h"
#include "sheets/serial_sheet.h"
#include "orvex/orvex.h"
#include "params/content_report.h"
#include "params/page_text.h"

namespace orvex::cli {

using app::CapabilityFlags;
using app::StringTable;

namespace {

// Passes everything on to the terminal and keeps the messages for --json.
class RecordingPrompts : public app::Prompts {
public:
    explicit RecordingPrompts(app::Prompts &inner) : inner_(inner) {}

    void showMessage(const std::string &text, app::MessageIcon icon) override {
        messages.push_back(text);
        inner_.showMessage(text, icon);
    }
    bool askYesNo(const std::string &text, bool defaultYes) override {
        bool yes = inner_.askYesNo(text, defaultYes);
        questions.push_back({{"question", text}, {"answer", yes}});
        return yes;
    }
    std::optional<std::string> chooseOpenFile(const std::string &, const std::string &,
                                              const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> chooseSaveFile(const std::string &, const std::string &, const std::string &,
                                              const std::string &) override {
        return std::nullopt;
    }

    std::vector<std::string> messages;
    nlohmann::json questions = nlohmann::json::array();

private:
    app::Prompts &inner_;
};

// A connect context of the environment whose prompts are recorded.
struct RecordedContext {
    explicit RecordedContext(CliEnvironment &env) : prompts(env.prompts()), ctx(env.settings(), prompts) {
        const app::ConnectContext &base = env.connect();
        ctx.devices = base.devices;
        ctx.bluetoothDeviceDialog = base.bluetoothDeviceDialog;
        ctx.interfaceDialog = base.interfaceDialog;
    }
    RecordingPrompts prompts;
    app::ConnectContext ctx;
};

std::string Hex(const std::vector<std::uint8_t> &bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char b[4];
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        out += b;
    }
    return out;
}

std::string Lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsMkp(const std::string &path) {
    return Lower(std::filesystem::path(path).extension().string()) == ".mkp";
}
bool IsMkr(const std::string &path) {
    return Lower(std::filesystem::path(path).extension().string()) == ".mkr";
}

std::string Say(const char *name, const char *german) { return app::PageText(name, german); }

// A file of the other reader kind is refused before anything is read.
bool KindMatches(CapabilityFlags flags, const std::string &path) {
    const bool wedge = app::HasCapability(flags, app::CAP_PS2);
    return wedge ? !IsMkr(path) : !IsMkp(path);
}

int WrongKind(CliEnvironment &env, CapabilityFlags flags) {
    const bool wedge = app::HasCapability(flags, app::CAP_PS2);
    return env.Fail(
        ExitUsage,
        wedge ? Say("cli.config.needMkp",
                    "Dieses Gerät ist ein Tastaturgerät: Konfigurationsdatei *.mkp angeben.")
              : Say("cli.config.needMkr",
                    "Dieses Gerät hat eine Zeichenschnittstelle: Konfigurationsdatei *.mkr angeben."));
}

nlohmann::json WritesJson(const std::vector<app::SheetWrite> &writes) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto &w : writes) out.push_back({{"what", w.what}, {"bytes", Hex(w.bytes)}, {"ok", w.ok}});
    return out;
}

nlohmann::json RefusalJson(const app::SheetBase &sheet) {
    if (!sheet.lastRefusal()) return nullptr;
    const auto &[page, f] = *sheet.lastRefusal();
    nlohmann::json j{{"page", page}, {"field", f.field}, {"message_id", f.messageId}, {"message", f.text()}};
    if (f.selectPosition) j["select_position"] = f.selectPosition;
    return j;
}

void PrintRefusal(const app::SheetBase &sheet) {
    if (!sheet.lastRefusal()) return;
    const auto &[page, f] = *sheet.lastRefusal();
    std::string where = page + "/" + f.field;
    if (f.selectPosition) where += ":" + std::to_string(f.selectPosition);
    std::cerr << Say("cli.config.field", "Feld") << ": " << where << '\n';
}

// One connection for the sheet; the sheet's ReadConfiguration closes it.
struct Connected {
    int handle = 0;
    int baud = 19200;
    CapabilityFlags flags = 0;
};

Connected Connect(app::ConnectContext &ctx) {
    Connected c;
    c.handle = app::ConnectReader(ctx, c.baud, c.flags, true);
    return c;
}

const char *OutcomeName(app::ProgramOutcome o) {
    switch (o) {
        case app::ProgramOutcome::Done:
            return "done";
        case app::ProgramOutcome::Failed:
            return "failed";
        case app::ProgramOutcome::Stopped:
            return "refused";
        case app::ProgramOutcome::WrongModel:
            return "wrong_model";
        case app::ProgramOutcome::NoConnection:
            return "no_connection";
    }
    return "failed";
}

int ReadConfig(CliEnvironment &env, const std::string &file) {
    if (int rc = env.Prepare()) return rc;
    RecordedContext rec(env);
    Connected c = Connect(rec.ctx);
    if (c.handle == 0) return env.ConnectFailure();
    if (!KindMatches(c.flags, file)) {
        app::CloseReader(c.handle);
        return WrongKind(env, c.flags);
    }
    const bool wedge = app::HasCapability(c.flags, app::CAP_PS2);
    bool saved;
    std::string model;
    app::ReaderContent image;
    const app::SheetBase *sheetBase;
    std::unique_ptr<app::SerialSheet> serial;
    std::unique_ptr<app::Ps2Sheet> ps2;
    if (wedge) {
        char name[30] = {};
        Orvex_GetDeviceName(c.handle, name, sizeof name);
        model = name;
        ps2 = std::make_unique<app::Ps2Sheet>(rec.ctx, c.handle, c.flags);
        ps2->ReadConfiguration();
        saved = ps2->SaveMkpFile(file);
        image = ps2->ProgramImage();
        sheetBase = ps2.get();
    } else {
        serial = std::make_unique<app::SerialSheet>(rec.ctx, c.handle, c.baud, c.flags);
        model = serial->deviceName();
        serial->ReadConfiguration();
        saved = serial->SaveMkrFile(file);
        image = serial->ProgramImage();
        sheetBase = serial.get();
    }
    if (env.options.json) {
        nlohmann::json blocks;
        auto put = [&](const char *key, const std::optional<std::vector<std::uint8_t>> &b) {
            if (b) blocks[key] = Hex(*b);
        };
        put("prefix", image.prefix);
        put("data", image.dataFormat);
        put("parameters", image.parameters);
        put("suffix", image.suffix);
        put("removal", image.removal);
        put("separator", image.separator);
        std::cout << nlohmann::json{{"port", env.PortName()},
                                    {"model", model},
                                    {"kind", wedge ? "mkp" : "mkr"},
                                    {"file", file},
                                    {"saved", saved},
                                    {"blocks", blocks},
                                    {"refused", RefusalJson(*sheetBase)},
                                    {"messages", rec.prompts.messages}}
                         .dump()
                  << '\n';
    } else if (saved) {
        std::cout << Say("cli.config.saved", "Konfiguration gespeichert") << ": " << file << '\n';
    } else {
        PrintRefusal(*sheetBase);
    }
    return saved ? ExitOk : ExitReader;
}

int Program(CliEnvironment &env, const std::string &file) {
    if (int rc = env.Prepare()) return rc;
    if (!std::filesystem::is_regular_file(file))
        return env.Fail(ExitUsage, app::Text(610) + " (" + file + ")");
    RecordedContext rec(env);
    Connected c = Connect(rec.ctx);
    if (c.handle == 0) return env.ConnectFailure();
    if (!KindMatches(c.flags, file)) {
        app::CloseReader(c.handle);
        return WrongKind(env, c.flags);
    }
    const bool wedge = app::HasCapability(c.flags, app::CAP_PS2);
    app::ProgramOutcome outcome = app::ProgramOutcome::Failed;
    std::string model;
    bool loaded = true;
    const app::SheetBase *sheetBase;
    std::unique_ptr<app::SerialSheet> serial;
    std::unique_ptr<app::Ps2Sheet> ps2;
    if (wedge) {
        ps2 = std::make_unique<app::Ps2Sheet>(rec.ctx, c.handle, c.flags);
        ps2->ReadConfiguration();
        ps2->LoadMkpFile(file);
        outcome = ps2->Program();
        sheetBase = ps2.get();
    } else {
        serial = std::make_unique<app::SerialSheet>(rec.ctx, c.handle, c.baud, c.flags);
        model = serial->deviceName();
        serial->ReadConfiguration();
        loaded = serial->LoadMkrFile(file);
        if (loaded) outcome = serial->Program();
        sheetBase = serial.get();
    }
    if (env.options.json) {
        std::cout << nlohmann::json{{"port", env.PortName()},
                                    {"model", model},
                                    {"file", file},
                                    {"outcome", loaded ? OutcomeName(outcome) : "not_loaded"},
                                    {"writes", WritesJson(sheetBase->writes())},
                                    {"refused", RefusalJson(*sheetBase)},
                                    {"questions", rec.prompts.questions},
                                    {"messages", rec.prompts.messages}}
                         .dump()
                  << '\n';
    } else {
        PrintRefusal(*sheetBase);
    }
    if (!loaded) return ExitUsage;
    switch (outcome) {
        case app::ProgramOutcome::Done:
            return ExitOk;
        case app::ProgramOutcome::Stopped:
            return ExitUsage;
        case app::ProgramOutcome::NoConnection:
            return env.ConnectFailure();
        default:
            return ExitReader;
    }
}

// Capabilities under which a file shows unchanged: every family and option.
constexpr CapabilityFlags kShowEverything =
    app::CAP_MIFARE | app::CAP_ICODE1 | app::CAP_DESFIRE | app::CAP_USED_BYTES | app::CAP_BIT_REVERSE |
    app::CAP_DECIMAL_NO_ZEROS | app::CAP_ASCII_NO_NUL | app::CAP_BLOCK_SEQUENCE | app::CAP_EXTENDED |
    app::CAP_LEFT_ALIGN | app::CAP_PLAIN_SERIAL;

int Show(CliEnvironment &env, const std::string &file) {
    if (int rc = env.Prepare(false)) return rc;
    app::IniFile probe;
    if (!probe.Open(file, false, false, true)) return env.Fail(ExitUsage, app::Text(610) + " (" + file + ")");
    RecordedContext rec(env);
    app::ReaderContent content;
    CapabilityFlags flags;
    if (IsMkp(file)) {
        flags = app::CAP_PS2;
        app::Ps2Sheet sheet(rec.ctx, 0, flags);
        sheet.LoadMkpFile(file);
        content = sheet.ProgramImage();
    } else {
        flags = kShowEverything;
        if (probe.HasKey("Data", "TransponderTyp2")) flags |= app::CAP_TWO_DATA_BLOCKS;
        if (probe.HasSection("HID_KEYS")) flags |= app::CAP_HID;
        app::SerialSheet sheet(rec.ctx, 0, 19200, flags);
        if (!sheet.LoadMkrFile(file)) return ExitUsage;
        content = sheet.ProgramImage();
    }
    const std::string report = app::BuildContentReport(content, flags);
    if (env.options.json)
        std::cout << nlohmann::json{{"file", file},
                                    {"kind", IsMkp(file) ? "mkp" : "mkr"},
                                    {"report", report},
                                    {"messages", rec.prompts.messages}}
                         .dump()
                  << '\n';
    else
        std::cout << report << std::flush;
    return ExitOk;
}

void AddConfigCommands(CLI::App &app, CliEnvironment &env) {
    static std::string readFile, programFile, showFile;
    auto *read = app.add_subcommand(
        "read-config",
        "Read the reader's whole configuration and save it as .mkr (or .mkp for keyboard-wedge readers)");
    read->add_option("FILE", readFile, "Configuration file to write")->required();
    read->callback([&env] { env.exitCode = ReadConfig(env, readFile); });

    auto *program = app.add_subcommand(
        "program",
        "Load a configuration file and program it into the reader (--yes/--no answer question 587)");
    program->add_option("FILE", programFile, "Configuration file (.mkr or .mkp)")
        ->required()
        ->check(CLI::ExistingFile);
    program->callback([&env] { env.exitCode = Program(env, programFile); });

    auto *show =
        app.add_subcommand("show", "Print a configuration file as the read-content report, without a reader");
    show->add_option("FILE", showFile, "Configuration file (.mkr or .mkp)")
        ->required()
        ->check(CLI::ExistingFile);
    show->callback([&env] { env.exitCode = Show(env, showFile); });
}

const CommandGroup configGroup("config", &AddConfigCommands);

}  // namespace
}  // namespace orvex::cli
