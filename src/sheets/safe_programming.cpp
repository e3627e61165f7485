#include "sheets/safe_programming.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/settings_store.h"
#include "app/string_table.h"
#include "orvex/orvex.h"
#include "sheets/config_files.h"
#include "sheets/programming_stop.h"

namespace orvex::app {

namespace {

namespace fs = std::filesystem;

// A sheet of the same kind filled from the reader as it is now.
struct ReaderState {
    std::unique_ptr<SheetBase> sheet;
    std::string model;
    bool complete() const { return sheet && sheet->failedReads().empty(); }
};

ReaderState readReader(ConnectContext &ctx, const SheetBase &like) {
    ReaderState state;
    int baud = 19200;
    CapabilityFlags flags = 0;
    int handle = connectReader(ctx, baud, flags, true);
    if (handle == 0) return state;
    char name[30] = {};
    if (Orvex_GetDeviceName(handle, name, sizeof name) > 0) state.model = name;
    state.sheet = like.freshSheet(ctx, handle, baud);
    state.sheet->readConfiguration();  // closes the link
    return state;
}

std::vector<std::string> unreadParts(const ReaderState &state) {
    return state.sheet ? state.sheet->failedReads() : std::vector<std::string>{"connection"};
}

// Appends the parts of `more` that `parts` does not name yet.
void addParts(std::vector<std::string> &parts, const std::vector<std::string> &more) {
    for (const std::string &part : more)
        if (std::find(parts.begin(), parts.end(), part) == parts.end()) parts.push_back(part);
}

// File-name safe: letters, digits, '.', '-'; runs of anything else as one '-'.
std::string fileNamePart(const std::string &text) {
    std::string out;
    for (unsigned char c : text) {
        const bool keep = std::isalnum(c) || c == '.' || c == '-';
        if (keep)
            out += static_cast<char>(c);
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-') out.pop_back();
    return out.empty() ? "reader" : out;
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    return stamp;
}

// The parts the reader took, and the failed one last: a write whose answer
// was lost or garbled may still have reached the reader.
std::vector<std::string> partsWritten(const std::vector<SheetWrite> &writes) {
    std::vector<std::string> parts;
    for (const SheetWrite &w : writes) addParts(parts, {w.what});
    return parts;
}

// Saves the reader's state as the backup; the reason when it cannot.
std::string saveBackup(const ReaderState &state, const SheetBase &sheet, const ConnectContext &ctx,
                       const ProgramSafeguards &options, std::string &path) {
    if (!state.complete())
        return StringTable::instance().format("program.backupUnreadable", partNames(unreadParts(state)));
    const std::string folder = options.backupFolder.empty() ? defaultBackupFolder() : options.backupFolder;
    path =
        reserveBackupPath(folder, state.model, ctx.settings.get(settings::PortName), sheet.fileExtension());
    if (path.empty() || !state.sheet->saveBackupFile(path)) {
        std::error_code ignored;
        if (!path.empty()) fs::remove(path, ignored);
        const std::string where = path.empty() ? folder : path;
        path.clear();
        return StringTable::instance().format("program.backupUnsaved", where);
    }
    if (!state.model.empty()) writeReaderModel(path, state.model);
    pruneBackups(folder, options.backupsKept);
    return {};
}

}  // namespace

std::string defaultBackupFolder() {
    fs::path state;
    if (const char *xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg == '/')
        state = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        state = fs::path(home) / ".local" / "state";
    else
        state = fs::temp_directory_path();
    return (state / "orvex-readersetup" / "backups").string();
}

std::string reserveBackupPath(const std::string &folder, const std::string &model, const std::string &port,
                              const char *extension) {
    std::error_code error;
    fs::create_directories(folder, error);
    const std::string stem = fileNamePart(model) + "_" + fileNamePart(port) + "_" + utcStamp();
    for (int n = 1; n < 1000; ++n) {
        const std::string name = stem + (n > 1 ? "-" + std::to_string(n) : "") + "." + extension;
        const std::string path = (fs::path(folder) / name).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) return {};
    }
    return {};
}

void pruneBackups(const std::string &folder, std::size_t kept) {
    struct Entry {
        fs::file_time_type time;
        fs::path path;
    };
    std::vector<Entry> backups;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(folder, error)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file(error) || (ext != ".mkr" && ext != ".mkp")) continue;
        backups.push_back({entry.last_write_time(error), entry.path()});
    }
    if (backups.size() <= kept) return;
    // Newest first; the name (with its time) breaks ties within a clock tick.
    std::sort(backups.begin(), backups.end(), [](const Entry &a, const Entry &b) {
        return a.time != b.time ? a.time > b.time : a.path.filename() > b.path.filename();
    });
    for (std::size_t i = kept; i < backups.size(); ++i) fs::remove(backups[i].path, error);
}

SafeProgramResult programSafely(ConnectContext &ctx, SheetBase &sheet, const ProgramSafeguards &options) {
    SafeProgramResult result;
    const bool readFirst = options.check || options.skipUnchanged || options.backup;
    ReaderState before;
    if (readFirst) {
        before = readReader(ctx, sheet);
        if (!before.sheet) {
            result.outcome = ProgramOutcome::NoConnection;
            return result;
        }
        const ReaderImage meant = sheet.image();
        result.compared = before.complete();
        result.differing = differingParts(meant, before.sheet->image());
        addParts(result.differing, unreadParts(before));
    }
    if (options.check) {
        result.outcome = ProgramOutcome::Done;
        result.verdict = result.changed() ? "would_change" : "unchanged";
        return result;
    }
    if (options.skipUnchanged && !result.changed()) {
        result.outcome = ProgramOutcome::Done;
        result.verdict = "unchanged";  // the front end says so
        return result;
    }
    if (options.backup) {
        const std::string why = saveBackup(before, sheet, ctx, options, result.backupPath);
        if (!why.empty()) {
            const bool goOn =
                options.askWithoutBackup &&
                ctx.prompts.askYesNo(StringTable::instance().format("program.askWithoutBackup", why), false);
            if (!goOn) {
                result.outcome = ProgramOutcome::Stopped;
                result.verdict = "backup_failed";
                result.error = why;
                ctx.prompts.showMessage(why, MessageIcon::Error);
                return result;
            }
        }
    }
    before = {};

    result.outcome = sheet.program();
    if (result.outcome == ProgramOutcome::Failed) {
        result.written = partsWritten(sheet.writes());
        if (const int signal = programmingStopSignal()) {
            result.verdict = "stopped";
            result.error = programmingStoppedText(signal, result.written, result.backupPath);
            ctx.prompts.showMessage(result.error, MessageIcon::Error);
            return result;
        }
        if (!result.written.empty()) {
            const StringTable &strings = StringTable::instance();
            result.error =
                result.backupPath.empty()
                    ? strings.format("program.partlyWrittenNoBackup", partNames(result.written))
                    : strings.format("program.partlyWritten", partNames(result.written), result.backupPath);
            ctx.prompts.showMessage(result.error, MessageIcon::Error);
        }
        return result;
    }
    if (result.outcome != ProgramOutcome::Done) return result;
    result.verdict = "done";
    if (!options.verify) return result;

    // The pages as programmed (programming may have settled a value, e.g.
    // the power-on mode it was asked to put back).
    const ReaderImage meant = sheet.image();
    const ReaderState after = readReader(ctx, sheet);
    result.notHeld = after.sheet ? differingParts(meant, after.sheet->image(), true)
                                 : std::vector<std::string>{"connection"};
    if (after.sheet) addParts(result.notHeld, unreadParts(after));
    if (result.notHeld.empty()) return result;
    result.outcome = ProgramOutcome::Failed;
    result.verdict = "mismatch";
    result.error =
        result.backupPath.empty()
            ? StringTable::instance().format("program.notHeldNoBackup", partNames(result.notHeld))
            : StringTable::instance().format("program.notHeld", partNames(result.notHeld), result.backupPath);
    ctx.prompts.showMessage(result.error, MessageIcon::Error);
    return result;
}

}  // namespace orvex::app
