// orvexctl keytable and usb-mode where they used to report success for what
// did not happen: reads cut off halfway, files that would wipe the reader's
// table, a failed write that claimed nothing had changed, targets that are
// not configuration files, mode switches on readers that cannot switch.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <tuple>

#include "common/hid_sim_reader.h"
#include "common/orvexctl_runner.h"
#include "common/temp_folder.h"
#include "sim/key_table.h"
#include "sim/pty_reader.h"

namespace orvex::test {
namespace {

namespace fs = std::filesystem;

constexpr const char *kIncomplete = "could not be read completely";

sim::hid::HidOptions usReader(int unplugAfterKeys = 0) {
    sim::hid::HidOptions o;
    o.layout = "us";
    o.unplugAfterKeyCommands = unplugAfterKeys;
    return o;
}

class KeytableSafety : public ::testing::Test {
protected:
    CtlRun run(const HidSimReader &sim, std::vector<std::string> args) {
        args.insert(args.begin(), {"--lang", "en", "--port", "73011234 HID"});
        return runOrvexctl(config.path(), std::move(args), {"LANG=C", sim.folderEnv()});
    }
    static nlohmann::json json(const CtlRun &r) { return nlohmann::json::parse(r.out, nullptr, false); }
    std::vector<fs::path> backups() const {
        std::vector<fs::path> found;
        std::error_code ec;
        for (const auto &e : fs::directory_iterator(config.path() / "state/orvex-readersetup/backups", ec))
            found.push_back(e.path());
        return found;
    }

    TempFolder config;
};

// A reader that goes away part-way through the key queries: every command
// that reads the table fails and leaves its file (and the reader) as it was.
TEST_F(KeytableSafety, ACutOffTableReadFailsEveryCommandThatReadsIt) {
    const std::string kept = "[HID_KEYS]\r\nScanCode003Normal=2\r\n";
    struct Case {
        std::vector<std::string> args;
        std::string file;  // left as it was
        int unplugAfter;   // key queries answered before the reader goes
    };
    const std::string keys = config.file("keys.mkr"), conf = config.file("conf.mkr");
    {
        // A complete configuration to program and to read over.
        HidSimReader sim(usReader());
        ASSERT_EQ(run(sim, {"--no", "read-config", conf}).code, 0);
    }
    const std::string confBefore = TempFolder::read(conf);
    const Case cases[] = {
        {{"keytable", "get", keys}, keys, 25},
        {{"keytable", "compare"}, "", 25},
        {{"--no", "read-config", conf}, conf, 25},
        // program reads the reader whole, then again for the backup: that one is cut.
        {{"--no", "program", conf}, conf, 94 + 25},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args[c.args.size() > 2 ? 1 : 0] + " " + c.args.back());
        TempFolder::write(keys, kept);
        HidSimReader sim(usReader(c.unplugAfter));
        const auto stateBefore = sim.reader().state();
        const CtlRun r = run(sim, c.args);
        EXPECT_EQ(r.code, 1) << r.out << r.err;
        std::string said = r.err;
        for (char &ch : said) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_NE(said.find("key table"), std::string::npos) << r.err;
        EXPECT_NE(said.find(kIncomplete), std::string::npos) << r.err;
        if (c.file == keys) {
            EXPECT_EQ(TempFolder::read(keys), kept);
        }
        if (c.file == conf) {
            EXPECT_EQ(TempFolder::read(conf), confBefore);
        }
        EXPECT_EQ(sim.reader().state().keyTable, stateBefore.keyTable);
    }
}

// From the command line nobody sees the table before it is written: a file
// that lacks keys is refused unless asked for; a backup of the reader's
// table is kept and puts it back.
TEST_F(KeytableSafety, SetRefusesPartialFilesAndKeepsABackupThatRestores) {
    HidSimReader sim(usReader());
    // The US keys 1, 2 and 3 alone.
    const std::string some =
        "[HID_KEYS]\r\nScanCode002Normal=1\r\nScanCode002Shift=!\r\nScanCode003Normal=2\r\n"
        "ScanCode003Shift=@\r\nScanCode004Normal=3\r\nScanCode004Shift=#\r\n";
    std::string blank = "[HID_KEYS]\r\n";
    for (int scan = 0; scan < 128; ++scan)
        for (const char *slot : {"Normal", "Shift", "AltGr"}) {
            char key[32];
            std::snprintf(key, sizeof key, "ScanCode%03d%s=\r\n", scan, slot);
            blank += key;
        }
    const std::pair<const char *, std::string> refused[] = {
        {"no section", "[Daten]\r\n"},
        {"empty section", "[HID_KEYS]\r\n[Suffix]\r\n"},
        {"some keys", some},
        {"every key, no character", blank},
    };
    for (const auto &[what, content] : refused) {
        SCOPED_TRACE(what);
        TempFolder::write(config.file("part.mkr"), content);
        const CtlRun r = run(sim, {"--json", "keytable", "set", config.file("part.mkr")});
        EXPECT_EQ(r.code, 2) << r.err;
        EXPECT_NE(r.err.find("HID_KEYS"), std::string::npos) << r.err;
        EXPECT_EQ(sim.reader().state().keyTable, sim::usKeyTable());
    }
    EXPECT_TRUE(backups().empty());

    // Asked for: the keys the file names, the rest cleared.
    TempFolder::write(config.file("part.mkr"), some);
    CtlRun partial = run(sim, {"--json", "keytable", "set", "--allow-partial", config.file("part.mkr")});
    ASSERT_EQ(partial.code, 0) << partial.err;
    ASSERT_EQ(backups().size(), 1u);
    const std::string firstBackup = json(partial)["backup"];
    EXPECT_EQ(fs::path(firstBackup), backups()[0]);
    EXPECT_EQ(run(sim, {"keytable", "compare", config.file("part.mkr")}).code, 0);
    EXPECT_NE(sim.reader().state().keyTable, sim::usKeyTable());

    // The backup of the US table restores it.
    EXPECT_EQ(fs::path(firstBackup).extension(), ".mkr");
    CtlRun restore = run(sim, {"--json", "keytable", "set", firstBackup});
    ASSERT_EQ(restore.code, 0) << restore.err;
    EXPECT_EQ(sim.reader().state().keyTable, sim::usKeyTable());
    EXPECT_EQ(backups().size(), 2u);
    EXPECT_EQ(run(sim, {"keytable", "compare", firstBackup}).code, 0);
}

// The reader goes away after the 94 queries and 11 keys: those 11 changed.
TEST_F(KeytableSafety, AWriteCutOffCountsTheKeysTheReaderTook) {
    HidSimReader sim(usReader(94 + 11));
    const CtlRun r = run(sim, {"--json", "keytable", "set"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(json(r)["changed"], 11) << r.out;
    EXPECT_FALSE(json(r)["ok"].get<bool>());
    EXPECT_NE(r.err.find("11"), std::string::npos) << r.err;
    EXPECT_EQ(json(r)["backup"], backups().at(0).string());
}

// keytable get FILE writes only into what can hold a key table; each
// unusable target has one exit code and its own message, before the reader
// is asked.
TEST_F(KeytableSafety, GetRefusesTargetsThatAreNoConfigurationFiles) {
    HidSimReader sim(usReader());
    std::string noise(5000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    TempFolder::write(config.file("noise.bin"), noise);
    TempFolder::write(config.file("other.mkp"), "");
    fs::create_directory(config.file("folder"));
    ASSERT_EQ(::mkfifo(config.file("fifo").c_str(), 0600), 0);
    // Usage errors as read-config's (2), the file system's answers as its (1).
    const std::tuple<std::string, int, std::string> targets[] = {
        {"", 2, "No configuration file"},
        {config.file("noise.bin"), 2, "not a configuration file"},
        {config.file("other.mkp"), 2, ".mkr"},
        {config.file("folder"), 1, "Is a directory"},
        {config.file("fifo"), 1, "not a regular file"},
        {config.file("missing/keys.mkr"), 1, "No such file or directory"},
    };
    std::set<std::string> messages;
    for (const auto &[target, code, says] : targets) {
        SCOPED_TRACE(target);
        const CtlRun r = run(sim, {"keytable", "get", target});
        EXPECT_EQ(r.code, code) << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("settings"), std::string::npos) << r.err;
        messages.insert(r.err);
    }
    EXPECT_EQ(messages.size(), std::size(targets));
    EXPECT_EQ(TempFolder::read(config.file("noise.bin")), noise);
    EXPECT_FALSE(fs::exists(config.file("missing")));

    // What a key table goes into: a configuration, and a new file.
    const std::string conf = config.file("conf.mkr");
    ASSERT_EQ(run(sim, {"--no", "read-config", conf}).code, 0);
    EXPECT_EQ(run(sim, {"keytable", "get", conf}).code, 0);
    EXPECT_EQ(run(sim, {"keytable", "get", config.file("new.mkr")}).code, 0);
}

// Only readers 6401-6415 in keyboard mode and the maker's virtual COM port
// switch; --force does not make another reader switchable.
TEST_F(KeytableSafety, UsbModeOnlyOnSwitchableReaders) {
    sim::hid::HidOptions o = usReader();
    o.serial = "73011234";
    HidSimReader hid7301(o);
    CtlRun r = run(hid7301, {"usb-mode", "vcom", "--force"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("6401"), std::string::npos) << r.err;
    EXPECT_EQ(hid7301.reader().mode(), sim::hid::UsbMode::Hid);
    EXPECT_EQ(hid7301.reader().state().usbMode, 1);

    sim::Options serialOptions;
    serialOptions.versionAnswer = "1245";
    sim::PtyReader serial(serialOptions);
    const int modeBefore = serial.state().usbMode;
    for (const char *mode : {"hid", "vcom"}) {
        r = runOrvexctl(config.path(),
                        {"--lang", "en", "--port", serial.slavePath(), "usb-mode", mode, "--force"},
                        {"LANG=C"});
        EXPECT_EQ(r.code, 1) << mode << r.err;
        EXPECT_EQ(serial.state().usbMode, modeBefore);
    }
}

}  // namespace
}  // namespace orvex::test
