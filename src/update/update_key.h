// The key installers must be signed with: the settings' [Version] PublicKey=,
// else the one set at packaging time (CMake ORVEX_UPDATE_PUBLIC_KEY).
#pragma once

#include <string>

namespace orvex::app {
class SettingsStore;
}

namespace orvex::update {

// The setting's name as messages give it.
inline constexpr const char *kPublicKeySettingName = "[Version] PublicKey=";

std::string builtInPublicKey();
// Empty when neither gives a key.
std::string resolvePublicKey(const app::SettingsStore &settings);

}  // namespace orvex::update
