#include "app/settings_store.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/ini_file.h"

namespace orvex::app {

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {}

std::string SettingsStore::DefaultPath() {
    std::string base;
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char *home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = ".config";
    }
    return base + "/Qel Applikationen/OrvexReaderSetup.ini";
}

const std::string *SettingsStore::overrideFor(std::string_view section, std::string_view key) const {
    const auto it = overrides_.find({std::string(section), std::string(key)});
    return it == overrides_.end() ? nullptr : &it->second;
}

void SettingsStore::Override(std::string_view section, std::string_view key, std::string value) {
    overrides_[{std::string(section), std::string(key)}] = std::move(value);
}

int SettingsStore::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    if (const auto *v = overrideFor(section, key)) {
        IniFile ini;
        ini.ParseText("[s]\nk=" + *v + "\n");
        return ini.GetInt("s", "k", defaultValue);
    }
    IniFile ini;
    if (!ini.Open(path_, false, false, true)) return defaultValue;
    return ini.GetInt(section, key, defaultValue);
}

std::string SettingsStore::ReadText(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    if (const auto *v = overrideFor(section, key)) return *v;
    IniFile ini;
    if (!ini.Open(path_, false, false, true)) return std::string(defaultValue);
    if (!ini.HasKey(section, key)) return std::string(defaultValue);
    return ini.GetString(section, key, defaultValue);
}

bool SettingsStore::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteText(section, key, std::to_string(value));
}

bool SettingsStore::WriteText(std::string_view section, std::string_view key, std::string_view value) {
    if (overrideFor(section, key)) {
        Override(section, key, std::string(value));
        return true;
    }
    std::error_code ec;
    const auto folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    IniFile ini;
    if (!ini.Open(path_, true, true, true)) return false;
    ini.WriteString(section, key, value);
    return ini.Close();
}

std::string SettingsStore::PortNameOrDefault() {
    std::string name = Get(settings::PortName);
    if (name.empty()) {
        name = settings::DefaultPortName;
        Set(settings::PortName, name);
    }
    return name;
}

}  // namespace orvex::app
