#include "update/update_status.h"

#include "update/version_file.h"

// Set for this file only, so a new day recompiles nothing else.
#ifndef ORVEX_BUILD_DATE
#define ORVEX_BUILD_DATE ""
#endif

namespace orvex::update {

namespace {

UpdateState fetchState(const std::optional<FetchResult> &fetch, std::string &error) {
    if (!fetch) return UpdateState::Pending;
    error = fetch->error;
    return fetch->reached() ? UpdateState::Current : UpdateState::NoConnection;
}

}  // namespace

ProgramStatus evaluateProgram(const std::optional<FetchResult> &fetch, const std::string &currentVersion,
                              const std::string &currentBuild) {
    ProgramStatus status;
    status.current = currentVersion;
    status.currentBuild = currentBuild;
    status.state = fetchState(fetch, status.error);
    if (status.state != UpdateState::Current) return status;
    status.newest = VersionFile(fetch->body).product(kProgramSection);
    if (status.newest.version.empty() || status.newest.build.empty())
        status.state = UpdateState::NoEntry;
    else if (isNewer(currentVersion, currentBuild, status.newest.version, status.newest.build))
        status.state = UpdateState::Newer;
    return status;
}

DeviceStatus evaluateDevice(const std::optional<FetchResult> &fetch, const app::DeviceIdentity &identity) {
    DeviceStatus status;
    status.typeCode = identity.typeCodeText;
    status.current = identity.versionText;
    status.state = fetchState(fetch, status.error);
    if (status.state != UpdateState::Current) return status;
    const VersionFile file(fetch->body);
    status.section = file.aliasFor(identity.typeCodeText);
    if (status.section.empty()) {
        status.state = UpdateState::NoEntry;
        return status;
    }
    status.newest = file.product(status.section);
    if (status.newest.version.empty())
        status.state = UpdateState::NoEntry;
    else if (isNewer(status.current, {}, status.newest.version, status.newest.build))
        status.state = UpdateState::Newer;
    return status;
}

std::string programVersion() { return app::productVersionString(); }

std::string programBuild() { return ORVEX_BUILD_DATE; }

}  // namespace orvex::update
