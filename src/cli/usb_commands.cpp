// Commands for readers on USB: "keytable get|set|compare [FILE]" for readers
// in USB keyboard mode, "usb-mode hid|vcom" for switchable readers.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/connect.h"
#include "app/string_table.h"
#include "app/usb_mode_switch.h"
#include "base/capabilities.h"
#include "base/ini_file.h"
#include "cli/cli_env.h"
#include "cli/command_group.h"
#include "orvex/orvex.h"
#include "params/key_table_file.h"
#include "params/key_table_transfer.h"
#include "sheets/key_table_backup.h"
#include "sheets/key_table_target.h"
#include "sheets/reader_key_table_link.h"

namespace orvex::cli {

using app::StringTable;

namespace {

constexpr int kHidMode = 1;
constexpr int kVirtualComMode = 2;

// The progress of a transfer as one line on a terminal's stderr, rewritten in place.
class ProgressLine {
public:
    ProgressLine() : terminal_(isatty(STDERR_FILENO)) {}
    ~ProgressLine() {
        if (shown_) std::cerr << '\n' << std::flush;
    }
    app::KeyTableProgress callback() {
        return [this](app::KeyTableStep step, int done, int total) {
            if (!terminal_) return;
            shown_ = true;
            std::cerr << '\r' << app::keyTableProgressText(step, done, total) << "\x1b[K" << std::flush;
        };
    }

private:
    bool terminal_;
    bool shown_ = false;
};

// An open link to a reader in USB keyboard mode, closed at the end.
struct HidReaderLink {
    int handle = 0;
    ~HidReaderLink() {
        if (handle) app::closeReader(handle);
    }
};

// Connects; ExitOk with link.handle set, or the failure printed.
int connectHidReader(CliEnvironment &env, HidReaderLink &link) {
    int baud = 19200;
    app::CapabilityFlags flags = 0;
    link.handle = app::connectReader(env.connect(), baud, flags, true);
    if (link.handle == 0) return env.connectFailure();
    if (!app::hasCapability(flags, app::CAP_HID)) return env.notAvailable(env.connect().lastModel);
    return ExitOk;
}

char keyChar(std::uint8_t c) { return c ? static_cast<char>(c) : ' '; }
std::string keyText(std::uint8_t c) { return c ? std::string(1, static_cast<char>(c)) : std::string(); }

void printTable(CliEnvironment &env, const app::KeyTable &table) {
    if (env.options.json) {
        nlohmann::json keys = nlohmann::json::array();
        for (const app::KeyMapEntry &key : app::keyMap()) {
            const app::KeyEntry &e = table.keys[key.scan];
            keys.push_back({{"scan_code", key.scan},
                            {"normal", keyText(e.normal)},
                            {"shift", keyText(e.shift)},
                            {"altgr", keyText(e.altGr)}});
        }
        env.printJson({{"port", env.portName()}, {"keys", keys}});
        return;
    }
    // One line per row of the drawn keyboard: each key as normal, shift, AltGr.
    std::size_t at = 0;
    for (const int count : app::kKeyboardRows) {
        std::string line;
        for (int i = 0; i < count; ++i, ++at) {
            const app::KeyEntry &e = table.keys[app::keyMap()[at].scan];
            line += std::string(line.empty() ? "" : " ") + keyChar(e.normal) + keyChar(e.shift) +
                    keyChar(e.altGr);
        }
        std::cout << line << '\n';
    }
}

// What a reference file's "HID_KEYS" section must hold.
enum class SectionNeed { Any, WholeTable };

// The table of FILE's "HID_KEYS" section, or the host's layout without FILE.
// For writing (WholeTable) a section without keys or characters, or with
// fewer keys than the table, is refused: nobody has seen the table, and the
// keys it lacks would be cleared on the reader.
std::optional<app::KeyTable> referenceTable(CliEnvironment &env, const std::string &file,
                                            SectionNeed need = SectionNeed::Any) {
    if (file.empty()) return app::hostKeyTable();
    const auto &st = StringTable::instance();
    app::IniFile ini;
    app::KeyTable table;
    if (!ini.open(file, false, false, true) || !app::loadKeyTable(ini, table)) {
        env.fail(ExitUsage, st.format("cli.keytable.noSection", file));
        return std::nullopt;
    }
    if (need == SectionNeed::WholeTable) {
        const app::KeyTableSectionCount count = app::countKeyTableSection(ini);
        if (count.characters == 0) {
            env.fail(ExitUsage, st.format("cli.keytable.emptySection", file));
            return std::nullopt;
        }
        if (count.keys < app::kKeyTableFileKeys) {
            env.fail(ExitUsage,
                     st.format("cli.keytable.partialSection", file, count.keys, app::kKeyTableFileKeys));
            return std::nullopt;
        }
    }
    return table;
}

// The reader's key table, read with a progress line; nullopt once the
// failure is reported.
std::optional<app::KeyTable> readTable(CliEnvironment &env, const HidReaderLink &link) {
    std::optional<app::KeyTable> table;
    {
        ProgressLine progress;
        table = app::readReaderKeyTable(link.handle, progress.callback());
    }
    if (!table)
        env.fail(ExitReader, StringTable::instance().format("cli.keytable.incomplete", env.portName()));
    return table;
}

// file: nullopt prints the table; a path (also an empty one) stores it there.
int keyTableGet(CliEnvironment &env, const std::optional<std::string> &file) {
    if (int rc = env.prepare()) return rc;
    const auto &st = StringTable::instance();
    // The target is judged before the reader is asked: a refused one costs no read.
    if (file)
        if (const app::TargetProblem problem = app::keyTableTargetProblem(*file); !problem.text.empty())
            return problem.usage ? env.fail(ExitUsage, problem.text)
                                 : env.fail(ExitReader, st.format("cli.keytable.notSaved", problem.text));
    HidReaderLink link;
    if (int rc = connectHidReader(env, link)) return rc;
    const std::optional<app::KeyTable> table = readTable(env, link);
    if (!table) return ExitReader;
    if (!file) {
        printTable(env, *table);
        return ExitOk;
    }
    // Into the file's section, keeping everything else the file holds.
    app::IniFile ini;
    if (!ini.open(*file, true, true, true))
        return env.fail(ExitReader, st.format("cli.keytable.notSaved", ini.errorText()));
    ini.clearSection("HID_KEYS");
    app::saveKeyTable(*table, ini);
    if (!ini.flush()) return env.fail(ExitReader, st.format("cli.keytable.notSaved", ini.errorText()));
    if (env.options.json) env.printJson({{"port", env.portName()}, {"file", *file}, {"saved", true}});
    return ExitOk;
}

int keyTableSet(CliEnvironment &env, const std::string &file, bool allowPartial) {
    if (int rc = env.prepare()) return rc;
    const auto &st = StringTable::instance();
    const std::optional<app::KeyTable> table =
        referenceTable(env, file, allowPartial ? SectionNeed::Any : SectionNeed::WholeTable);
    if (!table) return ExitUsage;
    HidReaderLink link;
    if (int rc = connectHidReader(env, link)) return rc;
    const std::optional<app::KeyTable> reader = readTable(env, link);
    if (!reader) return ExitReader;

    // The table about to be overwritten is kept, unless nothing changes.
    app::KeyTableBackup backup;
    if (app::keyTableWrites(*reader, *table).size() > 1) {
        backup = app::saveKeyTableBackup(*reader, env.connect().lastModel,
                                         env.settings().get(app::settings::PortName));
        if (backup.path.empty()) return env.fail(ExitReader, backup.error);
        if (!env.options.json) std::cout << st.format("cli.keytable.backup", backup.path) << '\n';
    }

    app::KeyTableWriteStats stats;
    bool ok;
    {
        ProgressLine progress;
        ok = app::writeKeyTableChanges(link.handle, *reader, *table, progress.callback(), &stats);
    }
    if (env.options.json)
        env.printJson({{"port", env.portName()},
                       {"ok", ok},
                       {"changed", stats.changed},
                       {"read_backs", stats.readBacks},
                       {"backup", backup.path.empty() ? nlohmann::json() : nlohmann::json(backup.path)}});
    if (!ok) {
        std::string why = stats.changed > 0
                              ? st.format("cli.keytable.partlyStored", env.portName(), stats.changed)
                              : st.format("cli.keytable.notStored", env.portName());
        if (!backup.path.empty()) why += " " + st.format("cli.keytable.restore", backup.path);
        return env.fail(ExitReader, why);
    }
    if (!env.options.json) std::cout << st.format("cli.keytable.stored", stats.changed) << '\n';
    return ExitOk;
}

int keyTableCompare(CliEnvironment &env, const std::string &file) {
    if (int rc = env.prepare()) return rc;
    const std::optional<app::KeyTable> reference = referenceTable(env, file);
    if (!reference) return ExitUsage;
    HidReaderLink link;
    if (int rc = connectHidReader(env, link)) return rc;
    const std::optional<app::KeyTable> reader = readTable(env, link);
    if (!reader) return ExitReader;
    std::vector<std::string> texts;
    const int differences = app::countLayoutDifferences(*reader, *reference, &texts);
    if (env.options.json) {
        env.printJson({{"port", env.portName()}, {"differences", differences}, {"details", texts}});
    } else {
        std::cout << StringTable::instance().format("cli.keytable.differences", differences) << '\n';
        for (const auto &t : texts) std::cout << t << '\n';
    }
    return differences == 0 ? ExitOk : ExitReader;
}

int usbMode(CliEnvironment &env, const std::string &mode, bool force) {
    if (int rc = env.prepare()) return rc;
    const auto &st = StringTable::instance();
    // Only where the desktop program offers the switch: other readers take
    // the mode command for something else or not at all (--force is about the
    // driver, not about the reader).
    const auto &comPorts = env.connect().devices.comPorts;
    if (!app::offersUsbModeSwitch(env.portName(), comPorts ? comPorts() : std::vector<std::string>{}))
        return env.fail(ExitReader, st.format("cli.usbMode.notSwitchable", env.portName()));
    const int wanted = mode == "hid" ? kHidMode : kVirtualComMode;
    if (wanted == kVirtualComMode && !Orvex_IsVirtualComDriverInstalled() && !force)
        return env.fail(ExitReader, st.text(10134) + "\n" + st.format("cli.usbMode.needsDriver"));

    int baud = 19200;
    app::CapabilityFlags flags = 0;
    int handle = app::connectReader(env.connect(), baud, flags, true);
    if (handle == 0) return env.connectFailure();
    const int current = app::hasCapability(flags, app::CAP_HID) ? kHidMode : kVirtualComMode;
    const std::string key = wanted == kHidMode ? "cli.usbMode.hid" : "cli.usbMode.vcom";
    if (current == wanted) {
        app::closeReader(handle);
        if (env.options.json)
            env.printJson({{"port", env.portName()}, {"mode", mode}, {"switched", false}});
        else
            std::cout << st.text("cli.usbMode.already") << '\n';
        return ExitOk;
    }
    if (!app::switchUsbModeAndClose(handle, wanted))
        return env.fail(ExitReader, st.format("cli.error.rejected", env.portName()));
    if (env.options.json)
        env.printJson({{"port", env.portName()}, {"mode", mode}, {"switched", true}});
    else
        std::cout << st.text(key) << '\n';
    return ExitOk;
}

void addUsbCommands(CLI::App &app, CliEnvironment &env) {
    auto *keys = app.add_subcommand("keytable", "Key table of a reader in USB keyboard (HID) mode");
    keys->require_subcommand(1);
    auto file = std::make_shared<std::string>();
    auto *get = keys->add_subcommand(
        "get", "Read the reader's key table; with FILE store it in its HID_KEYS section");
    auto *getFile = get->add_option("FILE", *file, "configuration file (.mkr) to store the table in");
    get->callback([&env, file, getFile] {
        env.exitCode = keyTableGet(env, getFile->count() ? std::optional(*file) : std::nullopt);
    });
    auto allowPartial = std::make_shared<bool>(false);
    auto *set = keys->add_subcommand(
        "set",
        "Write the key table of FILE (default: this computer's layout) to the reader; the reader's table is "
        "saved in the backup folder first");
    set->callback([&env, file, allowPartial] { env.exitCode = keyTableSet(env, *file, *allowPartial); });
    set->add_option("FILE", *file, "configuration file with a complete HID_KEYS section")
        ->check(CLI::ExistingFile);
    set->add_flag("--allow-partial", *allowPartial,
                  "write a HID_KEYS section that lacks keys or is empty (the missing keys are cleared)");
    keys->add_subcommand("compare",
                         "Compare the reader's key table with FILE (default: this computer's layout); exit "
                         "code 1 when they differ")
        ->callback([&env, file] { env.exitCode = keyTableCompare(env, *file); })
        ->add_option("FILE", *file, "configuration file with a HID_KEYS section")
        ->check(CLI::ExistingFile);

    auto mode = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    auto *usb =
        app.add_subcommand("usb-mode", "Switch a USB reader to HID keyboard mode or virtual COM mode");
    usb->add_option("MODE", *mode, "hid or vcom")->required()->check(CLI::IsMember({"hid", "vcom"}));
    usb->add_flag("--force", *force, "switch to vcom even when the virtual COM driver seems missing");
    usb->callback([&env, mode, force] { env.exitCode = usbMode(env, *mode, *force); });
}

const CommandGroup usbGroup("usb", &addUsbCommands);

}  // namespace
}  // namespace orvex::cli
