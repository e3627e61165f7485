// Configuration jobs on every LAN reader at once: the search finds the
// maker's readers, each gets its own link, settings and prompts, and the
// jobs run in parallel. The command line only prints the results.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sheets/config_jobs.h"

namespace orvex::app {

struct FleetOptions {
    std::vector<std::string> only;  // addresses to keep from the search; empty = all
    int jobs = 0;                   // parallel jobs; 0 = one per reader
    bool answerQuestions = false;   // the answer to every question a job asks
    std::string settingsPath;       // copied for each job (timeouts, address); may be empty
    ProgramSafeguards safeguards;   // of every programming job (the read-back is its verification)
    // The search; tests and the benchmark may stand in for the SDK's.
    std::function<std::vector<std::string>()> search;
};

inline constexpr int kMaxFleetJobs = 32;

struct FleetReaderResult {
    std::string address;  // as the search listed it
    std::string model;
    // "done", "unchanged" (held the file already), "would_change" (check),
    // "skipped" (another model than the file's), "failed", "refused",
    // "no_connection", "backup_failed", "mismatch" (read back differs from the file),
    // "readback_failed" (a part could not be read back), "stopped" (by a signal)
    std::string result;
    double seconds = 0;
    std::string error;  // why, when result is not "done"/"skipped"
    ConfigJobResult job;

    bool succeeded() const {
        return result == "done" || result == "skipped" || result == "unchanged" || result == "would_change";
    }
};

// The maker's readers on the LAN, narrowed to options.only (in its spelling
// of the address, matched case-insensitively, with or without "-10001").
std::vector<std::string> findFleet(const FleetOptions &options);

// Programs file into every reader of the fleet with options.safeguards
// (each read back and compared with what the file means unless turned off).
std::vector<FleetReaderResult> programFleet(const std::vector<std::string> &readers, const std::string &file,
                                            const FleetOptions &options);

// Saves every reader's configuration as folder/<address>.mkr.
std::vector<FleetReaderResult> readFleet(const std::vector<std::string> &readers, const std::string &folder,
                                         const FleetOptions &options);

}  // namespace orvex::app
