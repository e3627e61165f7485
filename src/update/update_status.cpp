#include "update/update_status.h"

#include "update/version_file.h"

// Set for this file only, so a new day recompiles nothing else.
#ifndef ORVEX_BUILD_DATE
#define ORVEX_BUILD_DATE ""
#endif

namespace orvex::update {

namespace {

// Current stands for "a version file came": the caller looks inside.
UpdateState fetchState(const std::optional<FetchResult> &fetch, const VersionFile &file, const char *section,
                       std::string &error) {
    if (!fetch) return UpdateState::Pending;
    error = fetch->error;
    switch (fetch->outcome) {
        case FetchResult::Outcome::Failed:
            return UpdateState::NoConnection;
        case FetchResult::Outcome::HttpError:
            return UpdateState::Unusable;
        case FetchResult::Outcome::Ok:
            break;
    }
    // An empty answer, an error page or garbage is no version file.
    if (!file.hasSection(section)) {
        error = std::string("no [") + section + "] section in the answer";
        return UpdateState::Unusable;
    }
    return UpdateState::Current;
}

std::string_view bodyOf(const std::optional<FetchResult> &fetch) {
    return fetch ? std::string_view(fetch->body) : std::string_view();
}

}  // namespace

ProgramStatus evaluateProgram(const std::optional<FetchResult> &fetch, const std::string &currentVersion,
                              const std::string &currentBuild) {
    ProgramStatus status;
    status.current = currentVersion;
    status.currentBuild = currentBuild;
    const VersionFile file(bodyOf(fetch));
    status.state = fetchState(fetch, file, kProgramSection, status.error);
    if (status.state != UpdateState::Current) return status;
    status.newest = file.product(kProgramSection);
    if (status.newest.version.empty() || status.newest.build.empty()) {
        status.state = UpdateState::NoEntry;
        status.error = std::string("no Version or Build in [") + kProgramSection + "]";
    } else if (isNewer(currentVersion, currentBuild, status.newest.version, status.newest.build))
        status.state = UpdateState::Newer;
    return status;
}

DeviceStatus evaluateDevice(const std::optional<FetchResult> &fetch, const app::DeviceIdentity &identity) {
    DeviceStatus status;
    status.typeCode = identity.typeCodeText;
    status.current = identity.versionText;
    const VersionFile file(bodyOf(fetch));
    status.state = fetchState(fetch, file, kAliasSection, status.error);
    if (status.state != UpdateState::Current) return status;
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
