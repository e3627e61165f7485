#include "update/version_file.h"

#include <algorithm>

namespace orvex::update {

namespace {

// Large enough for any real version part; bounded so nothing overflows.
constexpr long long kPartLimit = 1'000'000'000;

long long LeadingNumber(std::string_view text) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min(kPartLimit, value * 10 + (c - '0'));
    }
    return value;
}

}  // namespace

VersionNumber ParseVersion(std::string_view text) {
    const auto point = text.find('.');
    if (point == std::string_view::npos) return {LeadingNumber(text), 0};
    return {LeadingNumber(text.substr(0, point)), LeadingNumber(text.substr(point + 1))};
}

bool IsNewer(std::string_view currentVersion, std::string_view currentBuild, std::string_view fileVersion,
             std::string_view fileBuild) {
    const VersionNumber current = ParseVersion(currentVersion);
    const VersionNumber file = ParseVersion(fileVersion);
    if (file != current) return file > current;
    return !currentBuild.empty() && !fileBuild.empty() && currentBuild < fileBuild;
}

VersionFile::VersionFile(std::string_view text) { ini_.ParseText(text); }

ProductEntry VersionFile::Product(std::string_view section) const {
    if (section.empty()) return {};
    return {ini_.GetString(section, "Version"), ini_.GetString(section, "Build"),
            ini_.GetString(section, "Installer")};
}

std::string VersionFile::AliasFor(std::string_view typeCode) const {
    if (typeCode.empty()) return {};
    return ini_.GetString("Alias", typeCode);
}

}  // namespace orvex::update
