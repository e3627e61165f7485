// The configuration jobs of a front end: read the reader's configuration into
// a file, program a file into the reader, show a file as the read-content
// report. Each runs the configuration sheet of the reader's kind without
// choosers and returns what happened; the command line prints the result and
// the desktop program's sheet windows show it. Messages still go to the
// context's prompts as they arise.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/connect.h"
#include "params/content_report.h"
#include "params/page_model.h"
#include "sheets/config_files.h"
#include "sheets/safe_programming.h"
#include "sheets/sheet_base.h"

namespace orvex::app {

enum class JobStatus {
    Ok,
    Refused,       // the file or the request is unusable; nothing was changed
    Failed,        // the reader or the file system failed the job
    NoConnection,  // no reader (connectResult tells why)
};

struct JobQuestion {
    std::string text;
    bool answer = false;
};

struct ConfigJobResult {
    JobStatus status = JobStatus::Failed;
    std::string file;
    ConfigFileKind kind = ConfigFileKind::None;  // the reader's (read, program) or the file's (show)
    std::string model;                           // the reader's model name
    int connectResult = 0;                       // ConnectContext::lastResult of the job's connect

    // read: whether the file was written; the blocks saved; what could not be read.
    // program: the blocks the file means the reader to hold.
    bool saved = false;
    ReaderContent blocks;
    std::vector<std::string> failedReads;

    // program: "done", "failed", "refused", "wrong_model", "no_connection",
    // "not_loaded", "unchanged" (nothing to write), "would_change" (check),
    // "backup_failed", "mismatch" (read back differs), "readback_failed" (a
    // part could not be read back), "stopped" (by a signal, at a write
    // boundary); every write in order.
    std::string outcome;
    std::vector<SheetWrite> writes;
    // program: whether the run changes (changed, would change) the reader,
    // the parts that differ(ed) by write name, the backup kept, the parts
    // written before a failure, the parts the read-back did not hold.
    bool changed = true;
    std::vector<std::string> differing;
    std::string backupPath;
    std::vector<std::string> written;
    std::vector<std::string> notHeld;

    std::optional<std::pair<std::string, ValidationFailure>> refusal;
    std::vector<JobQuestion> questions;
    std::vector<std::string> messages;  // every message shown, in order
    std::string report;                 // show: the report text
    std::string error;                  // the reason of a refused or failed job, when no message says it
};

// "mkr", "mkp", or "" for None.
const char *kindName(ConfigFileKind kind);

// Reads the whole configuration and saves it into path (created, or its
// sections of this kind replaced). Any block that cannot be read fails the
// job and leaves the file as it was.
ConfigJobResult readConfigurationJob(ConnectContext &ctx, const std::string &path);

// Loads path and programs it with the safeguards. A file that is no
// configuration, one of the other reader kind, or one whose values give any
// message is refused before anything is written.
ConfigJobResult programFileJob(ConnectContext &ctx, const std::string &path,
                               const ProgramSafeguards &safeguards = {});

// The report of what programming path would write, without a reader; the
// capabilities are taken from the file (a second data set, a key table).
ConfigJobResult showFileJob(ConnectContext &ctx, const std::string &path);

}  // namespace orvex::app
