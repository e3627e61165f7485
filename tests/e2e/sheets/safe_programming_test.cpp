// Programming with its safeguards against simulated readers: the backup
// restores the old configuration exactly, the read-back catches a write that
// did not stick, a reader that holds everything gets no write, and a backup
// that cannot be kept stops the run before the first write.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <fstream>

#include "app/string_table.h"
#include "common/sheet_bench.h"
#include "sheets/config_jobs.h"
#include "sheets/safe_programming.h"
#include "sheets/serial_sheet.h"

namespace orvex::app::test {
namespace {

namespace fs = std::filesystem;
using sim::Bytes;

// Recorded prompts that can act on the reader when a message appears.
class HookPrompts : public ScriptedPrompts {
public:
    void showMessage(const std::string &text, MessageIcon icon) override {
        ScriptedPrompts::showMessage(text, icon);
        if (onMessage) onMessage(text);
    }
    std::function<void(const std::string &)> onMessage;
};

struct Station {
    Station() : settings(dir.file("settings.ini")), ctx(settings, prompts) {
        ctx.devices = DeviceListProviders{};
        guards.backupFolder = dir.file("backups");
    }
    void attach(const sim::PtyReader &reader) {
        settings.set(settings::PortName, reader.slavePath());
        settings.set(settings::PortBaudrate, 19200);
        settings.set(settings::PortTimeoutConnect, 200);
    }
    // A sheet filled from the attached reader, then given other sequences.
    std::unique_ptr<SerialSheet> changedSheet() {
        int baud = 19200;
        CapabilityFlags flags = 0;
        const int handle = connectReader(ctx, baud, flags, false);
        EXPECT_GT(handle, 0);
        auto sheet = std::make_unique<SerialSheet>(ctx, handle, baud, flags);
        sheet->readConfiguration();
        for (const char *c : {"02", "A"}) {
            sheet->prefix.setInput(c);
            EXPECT_FALSE(sheet->prefix.insertCharacter());
        }
        sheet->suffix.setInput("0D");
        EXPECT_FALSE(sheet->suffix.insertCharacter());
        return sheet;
    }
    std::vector<fs::path> backups() const {
        std::vector<fs::path> found;
        std::error_code ignored;
        for (const auto &e : fs::directory_iterator(guards.backupFolder, ignored)) found.push_back(e.path());
        return found;
    }

    TempDir dir;
    SettingsStore settings;
    HookPrompts prompts;
    ConnectContext ctx;
    ProgramSafeguards guards;
};

// Programs path into reader with every safeguard off: the file as it is.
std::vector<Bytes> programmedBlocks(const std::string &path, const char *version = "194A") {
    auto reader = startReader(version);
    Station run;
    run.attach(*reader);
    ProgramSafeguards plain;
    plain.backup = plain.verify = false;
    const ConfigJobResult r = programFileJob(run.ctx, path, plain);
    EXPECT_EQ(r.outcome, "done") << (r.messages.empty() ? r.error : r.messages.back());
    return blocks(reader->state());
}

TEST(SafeProgramming, BackupRestoresTheOldConfigurationAndReadBackConfirms) {
    Station run;
    auto reader = startReader("194A");
    reader->modifyState([](sim::ReaderState &s) {
        s.prefix = {0x5B, 0xFF};
        s.parameter = {0x03, 20, '!', 7};
    });
    const std::vector<Bytes> before = blocks(reader->state());
    run.attach(*reader);
    auto sheet = run.changedSheet();

    const SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.outcome, ProgramOutcome::Done);
    EXPECT_EQ(r.verdict, "done");
    EXPECT_TRUE(r.notHeld.empty());
    EXPECT_EQ(r.differing, (std::vector<std::string>{"prefix", "suffix"}));
    ASSERT_EQ(run.backups(), std::vector<fs::path>{r.backupPath});
    EXPECT_EQ(fs::path(r.backupPath).extension(), ".mkr");
    EXPECT_NE(blocks(reader->state()), before);
    EXPECT_EQ(programmedBlocks(r.backupPath), before);
}

TEST(SafeProgramming, ReaderThatHoldsEverythingGetsNoWriteAndCheckWritesNothing) {
    Station run;
    auto reader = startReader("194A");
    run.attach(*reader);
    auto sheet = run.changedSheet();
    const std::vector<Bytes> before = blocks(reader->state());

    run.guards.check = true;
    SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.verdict, "would_change");
    EXPECT_EQ(r.differing, (std::vector<std::string>{"prefix", "suffix"}));
    EXPECT_EQ(blocks(reader->state()), before);
    EXPECT_TRUE(run.backups().empty());

    run.guards.check = false;
    ASSERT_EQ(programSafely(run.ctx, *sheet, run.guards).verdict, "done");
    run.guards.skipUnchanged = true;
    const int commands = reader->commandsSeen();
    r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.verdict, "unchanged");
    EXPECT_FALSE(r.changed());
    EXPECT_EQ(run.backups().size(), 1u);  // only the run that wrote kept one
    // Only reads: the connect, the block reads and the closing output mode.
    EXPECT_LT(reader->commandsSeen() - commands, 20);
    run.guards.check = true;
    EXPECT_EQ(programSafely(run.ctx, *sheet, run.guards).verdict, "unchanged");
}

TEST(SafeProgramming, WriteThatDidNotStickFailsTheRunNamingIt) {
    Station run;
    auto reader = startReader("194A");
    run.attach(*reader);
    auto sheet = run.changedSheet();
    // The reader loses the suffix right after the last write was answered.
    run.prompts.onMessage = [&](const std::string &text) {
        if (text == app::text(509)) reader->modifyState([](sim::ReaderState &s) { s.suffix = {0x0A, 0xFF}; });
    };
    const SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.outcome, ProgramOutcome::Failed);
    EXPECT_EQ(r.verdict, "mismatch");
    EXPECT_EQ(r.notHeld, std::vector<std::string>{"suffix"});
    EXPECT_NE(r.error.find(r.backupPath), std::string::npos) << r.error;
    EXPECT_EQ(run.prompts.messages.back(), r.error);
}

TEST(SafeProgramming, FailurePartWayNamesTheWrittenPartsAndTheBackup) {
    Station run;
    auto probe = startReader("1245");
    run.attach(*probe);
    auto sheet = run.changedSheet();
    run.guards.verify = false;
    // One whole run counted; its suffix write is the fourth command from the
    // end (suffix, removal, separator, output mode 2).
    const int opened = probe->commandsSeen();
    ASSERT_EQ(programSafely(run.ctx, *sheet, run.guards).verdict, "done");
    const int total = probe->commandsSeen() - opened;

    auto reader = startReader("1245", total - 3);
    reader->modifyState([](sim::ReaderState &s) { s.prefix = {0x5B, 0xFF}; });
    const std::vector<Bytes> before = blocks(reader->state());
    run.attach(*reader);
    const SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.outcome, ProgramOutcome::Failed);
    ASSERT_FALSE(r.written.empty());
    EXPECT_EQ(r.written.front(), "prefix");
    // The write that got no answer may have reached the reader: named last.
    EXPECT_EQ(r.written.back(), "suffix");
    EXPECT_NE(r.error.find(partName("prefix")), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(r.backupPath), std::string::npos) << r.error;
    EXPECT_NE(blocks(reader->state()), before);
    EXPECT_EQ(programmedBlocks(r.backupPath, "1245"), before);
}

TEST(SafeProgramming, BackupThatCannotBeKeptStopsBeforeAnyWrite) {
    Station run;
    auto reader = startReader("194A");
    run.attach(*reader);
    auto sheet = run.changedSheet();
    const std::vector<Bytes> before = blocks(reader->state());
    std::ofstream(run.dir.file("plain-file")) << "x";
    run.guards.backupFolder = run.dir.file("plain-file") + "/backups";

    SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.verdict, "backup_failed");
    EXPECT_TRUE(sheet->writes().empty());
    EXPECT_EQ(blocks(reader->state()), before);
    EXPECT_EQ(run.prompts.messages.back(), r.error);

    // The desktop program asks; yes programs without a backup.
    run.guards.askWithoutBackup = true;
    run.prompts.answers = {true};
    r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.verdict, "done");
    EXPECT_TRUE(r.backupPath.empty());
    ASSERT_EQ(run.prompts.questions.size(), 1u);
    EXPECT_NE(run.prompts.questions[0].find(run.guards.backupFolder.substr(0, 20)), std::string::npos);
    EXPECT_NE(blocks(reader->state()), before);
}

TEST(SafeProgramming, BackupsAreUniqueAndOnlyTheNewestAreKept) {
    TempDir dir;
    const std::string folder = dir.file("backups");
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i)
        paths.push_back(reserveBackupPath(folder, "ID MR/101", "LAN: 10.0.0.1-10001", "mkr"));
    for (const auto &p : paths) {
        ASSERT_FALSE(p.empty());
        EXPECT_EQ(fs::path(p).filename().string().rfind("ID-MR-101_LAN-10.0.0.1-10001_", 0), 0u) << p;
    }
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).size(), paths.size());
    // Oldest first by modification time.
    auto t = fs::file_time_type::clock::now();
    for (std::size_t i = 0; i < paths.size(); ++i)
        fs::last_write_time(paths[i], t - std::chrono::hours(paths.size() - i));
    pruneBackups(folder, 2);
    EXPECT_FALSE(fs::exists(paths[0]));
    EXPECT_FALSE(fs::exists(paths[2]));
    EXPECT_TRUE(fs::exists(paths[3]));
    EXPECT_TRUE(fs::exists(paths[4]));
}

}  // namespace
}  // namespace orvex::app::test
