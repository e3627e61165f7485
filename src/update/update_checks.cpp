#include "update/update_checks.h"

#include "update/update_url.h"

namespace orvex::update {

UpdateChecks::UpdateChecks(const std::string &baseUrl, FetchOptions options)
    : program_(std::make_unique<UpdateSource>(VersionFileUrl(baseUrl, kProgramFileName), options)),
      device_(std::make_unique<UpdateSource>(VersionFileUrl(baseUrl, kDeviceFileName), options)) {}

UpdateChecks::UpdateChecks(std::unique_ptr<UpdateSource> program, std::unique_ptr<UpdateSource> device)
    : program_(std::move(program)), device_(std::move(device)) {}

std::unique_ptr<UpdateChecks> UpdateChecks::ForSettings(const app::SettingsStore &settings) {
    return std::make_unique<UpdateChecks>(ResolveBaseUrl(settings));
}

ProgramStatus UpdateChecks::ProgramNow(std::chrono::milliseconds wait) const {
    return EvaluateProgram(program_->Result(wait), ProgramVersion(), ProgramBuild());
}

DeviceStatus UpdateChecks::DeviceNow(const app::DeviceIdentity &identity,
                                     std::chrono::milliseconds wait) const {
    return EvaluateDevice(device_->Result(wait), identity);
}

}  // namespace orvex::update
