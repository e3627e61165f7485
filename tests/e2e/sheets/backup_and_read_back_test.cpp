// The safeguards of programming when something around them goes wrong: a
// backup folder full of odd files, a disk that takes only part of a backup,
// no home folder, a block that cannot be read before or after the writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/string_table.h"
#include "common/sheet_bench.h"
#include "common/small_disk.h"
#include "sheets/config_files.h"
#include "sheets/safe_programming.h"
#include "sheets/serial_sheet.h"

namespace orvex::app::test {
namespace {

namespace fs = std::filesystem;

struct Station : Bench {
    explicit Station(const sim::PtyReader &reader) {
        attach(reader);
        guards.backupFolder = dir.file("backups");
    }
    // A sheet filled from the attached reader; `change` gives it another prefix.
    std::unique_ptr<SerialSheet> sheet(bool change) {
        const Link link = connect();
        auto sheet = std::make_unique<SerialSheet>(ctx, link.handle, link.baud, link.flags);
        sheet->readConfiguration();
        if (change) {
            sheet->prefix.setInput("A");
            EXPECT_FALSE(sheet->prefix.insertCharacter());
        }
        return sheet;
    }
    ProgramSafeguards guards;
};

std::unique_ptr<sim::PtyReader> readerWith(void (*fault)(sim::Options &, int), int at) {
    sim::Options o;
    o.versionAnswer = "194A";
    o.baud = 19200;
    fault(o, at);
    return std::make_unique<sim::PtyReader>(o);
}

// How many commands a run with these safeguards sends to a fresh reader.
int commandsOfRun(bool change, ProgramSafeguards guards) {
    auto probe = startReader("194A");
    Station run(*probe);
    auto sheet = run.sheet(change);
    guards.backupFolder = run.guards.backupFolder;
    const int before = probe->commandsSeen();
    programSafely(run.ctx, *sheet, guards);
    return probe->commandsSeen() - before;
}

void touch(const std::string &path) { std::ofstream(path) << "[Prefix]\r\nCount=0\r\n"; }

TEST(BackupSafeguards, PruningKeepsTheRunsBackupGoesByTheNameAndTouchesOnlyBackups) {
    TempDir dir;
    const std::string folder = dir.file("backups");
    fs::create_directories(folder);
    const auto future = fs::file_time_type::clock::now() + std::chrono::hours(24 * 365);
    // Fifty backups from January whose modification time a wrong clock put a
    // year ahead.
    std::vector<std::string> january;
    for (int i = 0; i < 50; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Alder-4_dev-ttyUSB0_20260101T0000%02dZ.mkr", i);
        january.push_back((fs::path(folder) / name).string());
        touch(january.back());
        fs::last_write_time(january.back(), future);
    }
    // Not ours: names a person gave, and a link that only looks like a backup.
    const std::string outside = dir.file("outside.mkr");
    touch(outside);
    const std::vector<std::string> foreign = {folder + "/notes.mkr", folder + "/Alder-4 copy.mkr",
                                              folder + "/Alder-4_dev-ttyUSB0_20260101T000000Z.mkr.txt"};
    for (const std::string &f : foreign) {
        touch(f);
        fs::last_write_time(f, future - std::chrono::hours(24 * 400));
    }
    const std::string link = folder + "/Alder-4_dev-ttyUSB0_20000101T000000Z.mkr";
    fs::create_symlink(outside, link);

    const std::string current = reserveBackupPath(folder, "Alder-4", "/dev/ttyUSB0", "mkr");
    ASSERT_FALSE(current.empty());
    pruneBackups(folder, 50, current);
    EXPECT_TRUE(fs::exists(current));
    EXPECT_FALSE(fs::exists(january.front()));  // the oldest by its name
    for (std::size_t i = 1; i < january.size(); ++i) EXPECT_TRUE(fs::exists(january[i])) << january[i];
    for (const std::string &f : foreign) EXPECT_TRUE(fs::exists(f)) << f;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::exists(outside));

    // Backups named in the future: the run's own stays all the same.
    for (int i = 0; i < 60; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Alder-4_dev-ttyUSB0_20990101T0000%02dZ.mkr", i);
        touch((fs::path(folder) / name).string());
    }
    pruneBackups(folder, 50, current);
    EXPECT_TRUE(fs::exists(current));
    for (std::size_t i = 1; i < january.size(); ++i) EXPECT_FALSE(fs::exists(january[i])) << january[i];
    EXPECT_TRUE(fs::exists(folder + "/Alder-4_dev-ttyUSB0_20990101T000059Z.mkr"));
    EXPECT_FALSE(fs::exists(folder + "/Alder-4_dev-ttyUSB0_20990101T000010Z.mkr"));
}

// The model note of a backup is part of the one write: on a disk with room
// for one copy of the file the backup either holds it or the run stops.
TEST(BackupSafeguards, ABackupIsWrittenWholeOrTheRunStops) {
    SmallDisk disk(32);
    if (!disk.available()) GTEST_SKIP() << "needs root for a tmpfs of its own";
    auto reader = startReader("194A");
    Station run(*reader);
    auto sheet = run.sheet(true);
    run.guards.backupFolder = disk.file("backups");
    fs::create_directories(run.guards.backupFolder);
    disk.fill(1);

    const SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    if (r.verdict == "backup_failed") {
        EXPECT_TRUE(sheet->writes().empty());
    } else {
        ASSERT_EQ(r.verdict, "done") << r.error;
        ASSERT_FALSE(sheet->deviceName().empty());
        EXPECT_EQ(readerModelOf(r.backupPath), sheet->deviceName()) << readFile(r.backupPath);
    }
}

// No home: a backup folder under /tmp would be shared with every user.
TEST(BackupSafeguards, WithoutAHomeNothingIsProgrammedWithABackup) {
    struct SavedVariable {
        explicit SavedVariable(const char *name) : name(name) {
            if (const char *v = std::getenv(name)) value = v;
        }
        ~SavedVariable() { value ? setenv(name, value->c_str(), 1) : unsetenv(name); }
        const char *name;
        std::optional<std::string> value;
    } home("HOME"), state("XDG_STATE_HOME");
    unsetenv("HOME");
    setenv("XDG_STATE_HOME", "", 1);
    EXPECT_EQ(defaultBackupFolder(), "");
    EXPECT_EQ(reserveBackupPath("", "Alder-4", "/dev/ttyUSB0", "mkr"), "");

    auto reader = startReader("194A");
    Station run(*reader);
    run.guards.backupFolder.clear();
    auto sheet = run.sheet(true);
    const std::vector<sim::Bytes> before = blocks(reader->state());
    SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.verdict, "backup_failed");
    EXPECT_EQ(r.error, text("program.noBackupFolder"));
    EXPECT_EQ(blocks(reader->state()), before);

    run.guards.backup = false;
    r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.verdict, "done") << r.error;
}

// A reader that holds the file, on a line that loses the separator read:
// "cannot tell" is an error naming the part, not "would change".
TEST(BackupSafeguards, CheckWithAnUnreadablePartFailsNamingIt) {
    ProgramSafeguards check;
    check.check = true;
    const int commands = commandsOfRun(false, check);
    auto probe = startReader("194A");
    Station run(*probe);
    auto sheet = run.sheet(false);
    // The separator read is the last before the closing output-mode command.
    auto reader = readerWith([](sim::Options &o, int at) { o.dropEvery = at; }, commands - 1);
    run.attach(*reader);
    run.guards.check = true;
    const SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.outcome, ProgramOutcome::Failed);
    EXPECT_NE(r.verdict, "would_change");
    EXPECT_NE(r.error.find(partName("separator")), std::string::npos) << r.error;
    ASSERT_FALSE(run.prompts.messages.empty());
    EXPECT_EQ(run.prompts.messages.back(), r.error);
}

// The link is cut while the read-back reads the suffix: what was read back
// is confirmed, what was not is named as unread, not as "not held".
TEST(BackupSafeguards, CutOffReadBackSaysWhatCouldNotBeRead) {
    ProgramSafeguards plain;
    plain.backup = false;
    const int commands = commandsOfRun(true, plain);
    // From the end: suffix, removal and separator reads, closing output mode.
    auto reader = readerWith([](sim::Options &o, int at) { o.hangupAfter = at; }, commands - 3);
    auto probe = startReader("194A");
    Station run(*probe);
    auto sheet = run.sheet(true);
    run.attach(*reader);
    run.guards.backup = false;

    const SafeProgramResult r = programSafely(run.ctx, *sheet, run.guards);
    EXPECT_EQ(r.outcome, ProgramOutcome::Failed);
    EXPECT_EQ(r.verdict, "readback_failed");
    EXPECT_TRUE(r.notHeld.empty()) << partNames(r.notHeld);
    ASSERT_FALSE(r.unreadBack.empty());
    EXPECT_EQ(r.unreadBack.front(), "suffix");
    EXPECT_EQ(std::count(r.unreadBack.begin(), r.unreadBack.end(), "prefix"), 0);
    EXPECT_NE(r.error.find(partName("suffix")), std::string::npos) << r.error;
    EXPECT_EQ(r.error.find(text("program.notHeldNoBackup").substr(0, 20)), std::string::npos) << r.error;
}

}  // namespace
}  // namespace orvex::app::test
