// Where the version files and installers come from, and which addresses the
// update check may fetch at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvex::app {
class SettingsStore;
}

namespace orvex::update {

inline constexpr std::string_view kSoftwarePath = "/rfid/software/";
inline constexpr std::string_view kProgramFileName = "RFIDVersionsHF.txt";
inline constexpr std::string_view kDeviceFileName = "RFIDDeviceVersions.txt";

// The maker's server as set at packaging time.
std::string builtInBaseUrl();
// $ORVEX_UPDATE_BASE_URL, else "Version"/"baseUrl" of the settings, else the
// built-in one.
std::string resolveBaseUrl(const app::SettingsStore &settings);
// base (without a trailing slash) + "/rfid/software/" + file name.
std::string versionFileUrl(std::string_view base, std::string_view fileName);

struct UrlParts {
    std::string scheme;  // lower case
    std::string host;    // lower case
    std::string path;
};
std::optional<UrlParts> splitUrl(const std::string &url);

// Hosts on the loopback interface, the only ones reached over plain HTTP.
bool isLoopbackHost(std::string_view host);
// Reserved names that never resolve (".example", ".invalid"): refused before
// any name lookup, so the built-in default sends nothing anywhere.
bool isReservedHost(std::string_view host);

// Whether a version file may be fetched from url: HTTPS, or HTTP to a
// loopback host. Empty when allowed, else the reason.
std::string fetchRefusal(const std::string &url);

// An installer must come over HTTPS (HTTP only when the version file itself
// came from the same loopback host) from the version file's host. Empty when
// allowed, else the reason.
std::string installerRefusal(const std::string &installerUrl, const std::string &versionFileUrl);

// The installer's file name: the last segment of the URL's path; empty when
// that names no file (".", "..", nothing).
std::string installerFileName(const std::string &installerUrl);

}  // namespace orvex::update
