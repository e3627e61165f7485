#include "update/update_checks.h"

#include "update/update_url.h"

namespace orvex::update {

UpdateChecks::UpdateChecks(const std::string &baseUrl, FetchOptions options)
    : program_(std::make_unique<UpdateSource>(versionFileUrl(baseUrl, kProgramFileName), options)),
      device_(std::make_unique<UpdateSource>(versionFileUrl(baseUrl, kDeviceFileName), options)) {}

UpdateChecks::UpdateChecks(std::unique_ptr<UpdateSource> program, std::unique_ptr<UpdateSource> device)
    : program_(std::move(program)), device_(std::move(device)) {}

std::unique_ptr<UpdateChecks> UpdateChecks::forSettings(const app::SettingsStore &settings) {
    return std::make_unique<UpdateChecks>(resolveBaseUrl(settings));
}

ProgramStatus UpdateChecks::programNow(std::chrono::milliseconds wait) const {
    return evaluateProgram(program_->result(wait), programVersion(), programBuild());
}

DeviceStatus UpdateChecks::deviceNow(const app::DeviceIdentity &identity,
                                     std::chrono::milliseconds wait) const {
    return evaluateDevice(device_->result(wait), identity);
}

}  // namespace orvex::update
