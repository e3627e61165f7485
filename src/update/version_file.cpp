#include "update/version_file.h"

#include <algorithm>

namespace orvex::update {

namespace {

// Large enough for any real version part; bounded so nothing overflows.
constexpr long long kPartLimit = 1'000'000'000;

long long leadingNumber(std::string_view text) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min(kPartLimit, value * 10 + (c - '0'));
    }
    return value;
}

}  // namespace

VersionNumber parseVersion(std::string_view text) {
    const auto point = text.find('.');
    if (point == std::string_view::npos) return {leadingNumber(text), 0};
    return {leadingNumber(text.substr(0, point)), leadingNumber(text.substr(point + 1))};
}

bool isNewer(std::string_view currentVersion, std::string_view currentBuild, std::string_view fileVersion,
             std::string_view fileBuild) {
    const VersionNumber current = parseVersion(currentVersion);
    const VersionNumber file = parseVersion(fileVersion);
    if (file != current) return file > current;
    return !currentBuild.empty() && !fileBuild.empty() && currentBuild < fileBuild;
}

VersionFile::VersionFile(std::string_view text) { ini_.parseText(text); }

ProductEntry VersionFile::product(std::string_view section) const {
    if (section.empty()) return {};
    return {ini_.getString(section, "Version"), ini_.getString(section, "Build"),
            ini_.getString(section, "Installer")};
}

std::string VersionFile::aliasFor(std::string_view typeCode) const {
    if (typeCode.empty()) return {};
    return ini_.getString(kAliasSection, typeCode);
}

}  // namespace orvex::update
