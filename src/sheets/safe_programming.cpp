#include "sheets/safe_programming.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>

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

// What a read brings besides its own block: the power-on and DTR modes and
// the TCP-client target are asked only when the parameter block came, the
// ISO option only with the data-format block.
struct CarriedParts {
    const char *read;
    std::vector<const char *> parts;
};
const CarriedParts kCarried[] = {
    {"parameters", {"powerOn", "dtrMode", "tcpClientTarget"}},
    {"data", {"isoOption"}},
};

// Whether `part` is known after a read that missed `unread`.
bool readBack(const std::string &part, const std::vector<std::string> &unread) {
    if (unread.empty()) return true;
    if (std::find(unread.begin(), unread.end(), "connection") != unread.end()) return false;
    if (std::find(unread.begin(), unread.end(), part) != unread.end()) return false;
    for (const CarriedParts &c : kCarried)
        if (std::find(unread.begin(), unread.end(), c.read) != unread.end() &&
            std::find_if(c.parts.begin(), c.parts.end(), [&](const char *p) { return part == p; }) !=
                c.parts.end())
            return false;
    return true;
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
    if (folder.empty()) return text("program.noBackupFolder");
    path =
        reserveBackupPath(folder, state.model, ctx.settings.get(settings::PortName), sheet.fileExtension());
    if (path.empty() || !state.sheet->saveBackupFile(path, state.model)) {
        std::error_code ignored;
        if (!path.empty()) fs::remove(path, ignored);
        const std::string where = path.empty() ? folder : path;
        path.clear();
        return StringTable::instance().format("program.backupUnsaved", where);
    }
    pruneBackups(folder, options.backupsKept, path);
    return {};
}

}  // namespace

std::string defaultBackupFolder() {
    fs::path state;
    if (const char *xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg == '/')
        state = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home == '/')
        state = fs::path(home) / ".local" / "state";
    else
        return {};
    return (state / "orvex-readersetup" / "backups").string();
}

std::string reserveBackupPath(const std::string &folder, const std::string &model, const std::string &port,
                              const char *extension) {
    if (folder.empty()) return {};  // a relative name would land in the working folder
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

void pruneBackups(const std::string &folder, std::size_t kept, const std::string &current) {
    // <model>_<port>_<UTC time>[-n].mkr|mkp, as reserveBackupPath names them.
    static const std::regex kBackupName(
        R"([A-Za-z0-9.-]+_[A-Za-z0-9.-]+_(\d{8}T\d{6}Z)(?:-(\d{1,3}))?\.mk[rp])");
    struct Entry {
        std::string stamp;
        int number;
        fs::path path;
    };
    std::vector<Entry> backups;
    std::error_code error;
    const fs::path keep = current.empty() ? fs::path() : fs::path(current).filename();
    for (const auto &entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        std::smatch m;
        if (!entry.is_regular_file(error) || entry.is_symlink(error) ||
            !std::regex_match(name, m, kBackupName))
            continue;
        if (!keep.empty() && name == keep.string()) {
            kept = kept > 0 ? kept - 1 : 0;  // the current run's backup is one of those kept
            continue;
        }
        backups.push_back({m[1].str(), m[2].matched ? std::stoi(m[2].str()) : 1, entry.path()});
    }
    if (backups.size() <= kept) return;
    std::sort(backups.begin(), backups.end(), [](const Entry &a, const Entry &b) {
        if (a.stamp != b.stamp) return a.stamp > b.stamp;
        if (a.number != b.number) return a.number > b.number;
        return a.path.filename() > b.path.filename();
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
        // A part that could not be read says nothing about a change: the
        // reader may well hold it.
        if (!before.complete()) {
            result.outcome = ProgramOutcome::Failed;
            result.error =
                StringTable::instance().format("program.checkUnreadable", partNames(unreadParts(before)));
            ctx.prompts.showMessage(result.error, MessageIcon::Error);
            return result;
        }
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
    // A stop request ends the run however the sheet ended (a signal can also
    // cut short the sheet's own connect).
    if (result.outcome != ProgramOutcome::Done && programmingStopSignal() != 0)
        result.outcome = ProgramOutcome::Failed;
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
    // A part that could not be read back is not known to differ: it is
    // named as unread, not as a part the reader does not hold.
    result.unreadBack = unreadParts(after);
    if (after.sheet)
        for (const std::string &part : differingParts(meant, after.sheet->image(), true))
            if (readBack(part, result.unreadBack)) result.notHeld.push_back(part);
    if (result.notHeld.empty() && result.unreadBack.empty()) return result;
    result.outcome = ProgramOutcome::Failed;
    result.verdict = result.notHeld.empty() ? "readback_failed" : "mismatch";
    const StringTable &strings = StringTable::instance();
    if (!result.unreadBack.empty())
        result.error = strings.format("program.readBackFailed", partNames(result.unreadBack));
    if (!result.notHeld.empty()) {
        if (!result.error.empty()) result.error += "\n";
        result.error += result.backupPath.empty()
                            ? strings.format("program.notHeldNoBackup", partNames(result.notHeld))
                            : strings.format("program.notHeld", partNames(result.notHeld), result.backupPath);
    } else if (!result.backupPath.empty()) {
        result.error += " " + strings.format("program.backupKeptIn", result.backupPath);
    }
    ctx.prompts.showMessage(result.error, MessageIcon::Error);
    return result;
}

}  // namespace orvex::app
