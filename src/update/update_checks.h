// The program's two update sources (program and reader firmware), alive for
// the whole run, and the bounded lookups the user-interface thread makes.
#pragma once

#include <chrono>
#include <memory>

#include "update/update_source.h"
#include "update/update_status.h"

namespace orvex::app {
class SettingsStore;
}

namespace orvex::update {

// Longest wait of a lookup on the user-interface thread.
inline constexpr std::chrono::milliseconds kLookupWait{500};

class UpdateChecks {
public:
    // Both files under baseUrl.
    UpdateChecks(const std::string &baseUrl, FetchOptions options = {});
    // The sources as given (tests).
    UpdateChecks(std::unique_ptr<UpdateSource> program, std::unique_ptr<UpdateSource> device);
    // The base URL from the environment, the settings or the built-in one.
    static std::unique_ptr<UpdateChecks> forSettings(const app::SettingsStore &settings);

    UpdateSource &program() { return *program_; }
    UpdateSource &device() { return *device_; }

    ProgramStatus programNow(std::chrono::milliseconds wait = kLookupWait) const;
    DeviceStatus deviceNow(const app::DeviceIdentity &identity,
                           std::chrono::milliseconds wait = kLookupWait) const;

private:
    std::unique_ptr<UpdateSource> program_;
    std::unique_ptr<UpdateSource> device_;
};

}  // namespace orvex::update
