// What the version files say about the program and about the reader
// identified last: the facts the About box lines, the main window's update
// notices and orvexctl's "update check" are built from.
#pragma once

#include <optional>
#include <string>

#include "app/reader_identity.h"
#include "update/http_fetch.h"
#include "update/version_file.h"

namespace orvex::update {

inline constexpr const char *kProgramSection = "OrvexReaderSetup";

enum class UpdateState {
    Pending,       // the fetch has not ended
    NoConnection,  // the server was not reached
    Unusable,      // reached, but no version file came: another HTTP status, or a text without its section
    NoEntry,       // a version file that names no version or build (device: no alias)
    Current,
    Newer,
};

struct ProgramStatus {
    UpdateState state = UpdateState::Pending;
    std::string current;       // the program's version
    std::string currentBuild;  // the program's build date
    ProductEntry newest;       // as the file gives it (empty when absent)
    std::string error;         // why the fetch failed or the answer is no version file
};

struct DeviceStatus {
    UpdateState state = UpdateState::Pending;
    std::string typeCode;  // three characters of the version answer
    std::string current;   // "1.%02d"
    std::string section;   // from "Alias"; empty without an entry
    ProductEntry newest;
    std::string error;
};

// fetch: the version file's fetch, nullopt while it runs.
ProgramStatus evaluateProgram(const std::optional<FetchResult> &fetch, const std::string &currentVersion,
                              const std::string &currentBuild);
DeviceStatus evaluateDevice(const std::optional<FetchResult> &fetch, const app::DeviceIdentity &identity);

// The program's version as the update check compares it, and its build date
// ("%Y-%m-%d", compiled in).
std::string programVersion();
std::string programBuild();

}  // namespace orvex::update
