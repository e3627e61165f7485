// "Programmieren" with what a careful tool does around it: the reader's
// current configuration is read first (is there anything to write at all?)
// and kept as a backup file, and after the last write the configuration is
// read back and compared with what was meant. Both front ends program
// through here; the command line can switch each safeguard off.
#pragma once

#include <string>
#include <vector>

#include "sheets/sheet_base.h"

namespace orvex::app {

struct ProgramSafeguards {
    bool check = false;          // compare only: nothing is written, no backup kept
    bool skipUnchanged = false;  // a reader that holds everything already gets no write
    bool backup = true;
    bool verify = true;
    // A backup that fails: ask whether to program without one (desktop
    // program); otherwise the run stops (command line).
    bool askWithoutBackup = false;
    std::string backupFolder;  // empty: defaultBackupFolder()
    std::size_t backupsKept = 50;
};

struct SafeProgramResult {
    ProgramOutcome outcome = ProgramOutcome::Failed;
    // "done", "unchanged" (nothing to write), "would_change" (check),
    // "backup_failed", "mismatch" (the read-back differs), "readback_failed"
    // (a part could not be read back), "stopped" (a stop was requested,
    // programming_stop.h); empty: the sheet's outcome tells.
    std::string verdict;
    bool compared = false;               // the reader was read completely before
    std::vector<std::string> differing;  // parts the run changes (would change), by write name
    std::string backupPath;              // the backup kept, if any
    std::vector<std::string>
        written;  // parts written before a failure, the failed one (perhaps written) last
    std::vector<std::string> notHeld;     // parts read back with other content than meant
    std::vector<std::string> unreadBack;  // parts the read-back could not read
    std::string error;                    // the message of a safeguard that stopped or failed the run

    bool changed() const { return !compared || !differing.empty(); }
};

// $XDG_STATE_HOME/orvex-readersetup/backups (~/.local/state when unset).
// Empty without either: a shared folder (/tmp) would let other users read
// the backups and have its pruning remove theirs.
std::string defaultBackupFolder();

// A free file name in folder for a backup of model on port now, e.g.
// "ID-ISC.MR101_dev-ttyUSB0_20261211T021530Z.mkr" (reserved by creating it).
// Empty when folder is empty or nothing can be created there.
std::string reserveBackupPath(const std::string &folder, const std::string &model, const std::string &port,
                              const char *extension);

// Removes all but the newest `kept` backups in folder, newest by the time in
// their names (a clock set wrong once must not decide), never `current` (the
// backup just made, counted among the kept). Only regular files named as
// reserveBackupPath names them are touched.
void pruneBackups(const std::string &folder, std::size_t kept, const std::string &current = {});

// Programs the sheet's page values with the safeguards. Messages of the
// safeguards go to the context's prompts like the sheet's own.
SafeProgramResult programSafely(ConnectContext &ctx, SheetBase &sheet, const ProgramSafeguards &options);

}  // namespace orvex::app
