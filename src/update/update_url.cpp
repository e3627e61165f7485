#include "update/update_url.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "app/settings_store.h"

#ifndef ORVEX_UPDATE_BASE_URL
#define ORVEX_UPDATE_BASE_URL "https://updates.qel-applikationen.example"
#endif

namespace orvex::update {

namespace {

constexpr app::TextSetting kBaseUrlSetting{"Version", "BaseUrl", ""};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string part(CURLU *url, CURLUPart part) {
    char *value = nullptr;
    if (curl_url_get(url, part, &value, 0) != CURLUE_OK || !value) return {};
    std::string out(value);
    curl_free(value);
    return out;
}

}  // namespace

std::string builtInBaseUrl() { return ORVEX_UPDATE_BASE_URL; }

std::string resolveBaseUrl(const app::SettingsStore &settings) {
    if (const char *env = std::getenv("ORVEX_UPDATE_BASE_URL"); env && *env) return env;
    std::string stored = settings.get(kBaseUrlSetting);
    return stored.empty() ? builtInBaseUrl() : stored;
}

std::string versionFileUrl(std::string_view base, std::string_view fileName) {
    while (!base.empty() && base.back() == '/') base.remove_suffix(1);
    std::string url(base);
    url += kSoftwarePath;
    url += fileName;
    return url;
}

std::optional<UrlParts> splitUrl(const std::string &url) {
    CURLU *handle = curl_url();
    if (!handle) return std::nullopt;
    std::optional<UrlParts> parts;
    // Only absolute URLs with an explicit scheme count.
    if (curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK)
        parts = UrlParts{lower(part(handle, CURLUPART_SCHEME)), lower(part(handle, CURLUPART_HOST)),
                         part(handle, CURLUPART_PATH)};
    curl_url_cleanup(handle);
    if (parts && (parts->scheme.empty() || parts->host.empty())) return std::nullopt;
    return parts;
}

bool isLoopbackHost(std::string_view host) {
    return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

bool isReservedHost(std::string_view host) {
    while (!host.empty() && host.back() == '.') host.remove_suffix(1);
    for (std::string_view reserved : {"example", "invalid"})
        if (host == reserved || endsWith(host, "." + std::string(reserved))) return true;
    return false;
}

std::string fetchRefusal(const std::string &url) {
    const auto parts = splitUrl(url);
    if (!parts) return "not a valid address";
    if (parts->scheme == "https") return {};
    if (parts->scheme == "http" && isLoopbackHost(parts->host)) return {};
    return "only HTTPS addresses are fetched";
}

std::string installerRefusal(const std::string &installerUrl, const std::string &versionFileUrl) {
    const auto installer = splitUrl(installerUrl);
    const auto versionFile = splitUrl(versionFileUrl);
    if (!installer || !versionFile) return "not a valid address";
    if (installer->host != versionFile->host) return "not on the server of the version file";
    if (installer->scheme == "https") return {};
    if (installer->scheme == "http" && versionFile->scheme == "http" && isLoopbackHost(installer->host))
        return {};
    return "not an HTTPS address";
}

std::string installerFileName(const std::string &installerUrl) {
    const auto parts = splitUrl(installerUrl);
    if (!parts) return {};
    const auto slash = parts->path.rfind('/');
    std::string name = slash == std::string::npos ? parts->path : parts->path.substr(slash + 1);
    if (name == "." || name == "..") return {};
    return name;
}

}  // namespace orvex::update
