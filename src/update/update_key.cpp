#include "update/update_key.h"

#include "app/settings_store.h"

// Set for this file only, so a new key recompiles nothing else.
#ifndef ORVEX_UPDATE_PUBLIC_KEY
#define ORVEX_UPDATE_PUBLIC_KEY ""
#endif

namespace orvex::update {

namespace {

constexpr app::TextSetting kPublicKeySetting{"Version", "PublicKey", ""};

}  // namespace

std::string builtInPublicKey() { return ORVEX_UPDATE_PUBLIC_KEY; }

std::string resolvePublicKey(const app::SettingsStore &settings) {
    std::string stored = settings.get(kPublicKeySetting);
    return stored.empty() ? builtInPublicKey() : stored;
}

}  // namespace orvex::update
