#include "app/settings_store.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/atomic_file.h"
#include "base/ini_file.h"

namespace orvex::app {

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {}

std::string SettingsStore::defaultPath() {
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

void SettingsStore::override(std::string_view section, std::string_view key, std::string value) {
    overrides_[{std::string(section), std::string(key)}] = std::move(value);
}

std::optional<SettingsStore::FileStamp> SettingsStore::stampOf(const std::string &path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileStamp{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                     static_cast<unsigned long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                     static_cast<long long>(st.st_mtim.tv_nsec)};
}

// The parsed file is kept while its stamp stays the same (another program
// may change it meanwhile), so a large file is not parsed once per setting.
const IniFile *SettingsStore::loaded() const {
    const auto stamp = stampOf(path_);
    if (!stamp) {
        cache_.reset();
        return nullptr;
    }
    if (cache_ && *stamp == stamp_) return cache_.get();
    auto ini = std::make_shared<IniFile>();
    ini->setSizeLimit(0);  // other programs' entries may make it large
    if (!ini->open(path_, false, false, true)) {
        cache_.reset();
        return nullptr;
    }
    cache_ = std::move(ini);
    stamp_ = *stamp;
    return cache_.get();
}

int SettingsStore::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    if (const auto *v = overrideFor(section, key)) return v->empty() ? defaultValue : parseDecimal(*v);
    const IniFile *ini = loaded();
    return ini ? ini->getInt(section, key, defaultValue) : defaultValue;
}

std::string SettingsStore::readText(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    if (const auto *v = overrideFor(section, key)) return *v;
    const IniFile *ini = loaded();
    if (!ini || !ini->hasKey(section, key)) return std::string(defaultValue);
    return ini->getString(section, key, defaultValue);
}

bool SettingsStore::writeInt(std::string_view section, std::string_view key, int value) {
    return writeText(section, key, std::to_string(value));
}

bool SettingsStore::writeText(std::string_view section, std::string_view key, std::string_view value) {
    if (overrideFor(section, key)) {
        override(section, key, std::string(value));
        return true;
    }
    std::error_code ec;
    const auto folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (!loaded()) {
        // Only a missing file starts empty; anything else in its place
        // (a directory, a FIFO, no permission) is a failure.
        IniFile probe;
        probe.setSizeLimit(0);
        if (!probe.open(path_, true, true, true)) return false;
        cache_ = std::make_shared<IniFile>();
    }
    if (cache_->hasKey(section, key) && cache_->getString(section, key) == value) return true;
    cache_->writeString(section, key, value);
    std::string error;
    if (!writeFileAtomically(path_, cache_->serialize(), error)) {
        cache_.reset();
        return false;
    }
    // The content held is the file just written: keep it under its new stamp.
    if (const auto stamp = stampOf(path_))
        stamp_ = *stamp;
    else
        cache_.reset();
    return true;
}

std::string SettingsStore::portNameOrDefault() {
    std::string name = get(settings::PortName);
    if (name.empty()) {
        name = settings::DefaultPortName;
        set(settings::PortName, name);
    }
    return name;
}

}  // namespace orvex::app
