#include "update/update_status.h"

#include "update/version_file.h"

// Set for this file only, so a new day recompiles nothing else.
#ifndef ORVEX_BUILD_DATE
#define ORVEX_BUILD_DATE ""
#endif

namespace orvex::update {

namespace {

UpdateState FetchState(const std::optional<FetchResult> &fetch, std::string &error) {
    if (!fetch) return UpdateState::Pending;
    error = fetch->error;
    return fetch->reached() ? UpdateState::Current : UpdateState::NoConnection;
}

}  // namespace

ProgramStatus EvaluateProgram(const std::optional<FetchResult> &fetch, const std::string &currentVersion,
                              const std::string &currentBuild) {
    ProgramStatus status;
    status.current = currentVersion;
    status.currentBuild = currentBuild;
    status.state = FetchState(fetch, status.error);
    if (status.state != UpdateState::Current) return status;
    status.newest = VersionFile(fetch->body).Product(kProgramSection);
    if (status.newest.version.empty() || status.newest.build.empty())
        status.state = UpdateState::NoEntry;
    else if (IsNewer(currentVersion, currentBuild, status.newest.version, status.newest.build))
        status.state = UpdateState::Newer;
    return status;
}

DeviceStatus EvaluateDevice(const std::optional<FetchResult> &fetch, const app::DeviceIdentity &identity) {
    DeviceStatus status;
    status.typeCode = identity.typeCodeText;
    status.current = identity.versionText;
    status.state = FetchState(fetch, status.error);
    if (status.state != UpdateState::Current) return status;
    const VersionFile file(fetch->body);
    status.section = file.AliasFor(identity.typeCodeText);
    if (status.section.empty()) {
        status.state = UpdateState::NoEntry;
        return status;
    }
    status.newest = file.Product(status.section);
    if (status.newest.version.empty())
        status.state = UpdateState::NoEntry;
    else if (IsNewer(status.current, {}, status.newest.version, status.newest.build))
        status.state = UpdateState::Newer;
    return status;
}

std::string ProgramVersion() { return app::ProductVersionString(); }

std::string ProgramBuild() { return ORVEX_BUILD_DATE; }

}  // namespace orvex::update
