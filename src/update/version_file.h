// The maker's version files: INI text naming the newest version, its build
// date and its installer per product section, plus an "Alias" section that
// maps a reader's type code to the section describing that reader type.
#pragma once

#include <string>
#include <string_view>

#include "base/ini_file.h"

namespace orvex::update {

// A version "major.minor" as the two leading decimal numbers around the first
// point; a part without digits counts 0, no point means minor 0.
struct VersionNumber {
    long long major = 0;
    long long minor = 0;
    auto operator<=>(const VersionNumber &) const = default;
};
VersionNumber parseVersion(std::string_view text);

// Newer when the file's version is higher. Builds decide only between equal
// versions and only when both are known, so an older version is never
// offered and a source without a build of its own never sees every file
// build as newer.
bool isNewer(std::string_view currentVersion, std::string_view currentBuild, std::string_view fileVersion,
             std::string_view fileBuild);

// The section every reader firmware file has.
inline constexpr const char *kAliasSection = "Alias";

struct ProductEntry {
    std::string version;
    std::string build;
    std::string installer;
};

class VersionFile {
public:
    explicit VersionFile(std::string_view text);

    bool hasSection(std::string_view section) const { return ini_.hasSection(section); }
    ProductEntry product(std::string_view section) const;
    // The section named for typeCode under "Alias"; empty without an entry.
    std::string aliasFor(std::string_view typeCode) const;

private:
    app::IniFile ini_;
};

}  // namespace orvex::update
