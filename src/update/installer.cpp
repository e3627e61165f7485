#include "update/installer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/desktop_open.h"
#include "app/string_table.h"
#include "update/minisign.h"
#include "update/update_key.h"
#include "update/update_url.h"

extern char **environ;

namespace orvex::update {

namespace fs = std::filesystem;

namespace {

const app::StringTable &strings() { return app::StringTable::instance(); }

bool looksLikeProgram(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char head[4] = {};
    const ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    if (n >= 4 && head[0] == 0x7f && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') return true;
    return n >= 2 && head[0] == '#' && head[1] == '!';
}

// posix_spawn's result (0 when started); the child is reaped in the background.
int spawnProgram(const std::string &path) {
    if (::chmod(path.c_str(), 0700) != 0) return errno;
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return ENOMEM;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char *> argv{const_cast<char *>(path.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return rc;
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}

void removeWithSignature(const std::string &path) {
    std::error_code ec;
    fs::remove(path, ec);
    fs::remove(path + std::string(kSignatureSuffix), ec);
}

// The key to verify with, or the message why there is none usable.
std::optional<MinisignPublicKey> usableKey(const std::string &publicKey, std::string &message) {
    if (publicKey.empty()) {
        message = strings().format("update.noPublicKey", kPublicKeySettingName);
        return std::nullopt;
    }
    auto key = parseMinisignPublicKey(publicKey);
    if (!key) message = strings().format("update.badPublicKey", kPublicKeySettingName);
    return key;
}

bool writeSignature(const std::string &path, const std::string &text) {
    const std::string partial = path + ".part";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (::close(fd) == 0 && written && std::rename(partial.c_str(), path.c_str()) == 0) return true;
    std::remove(partial.c_str());
    return false;
}

}  // namespace

std::string installerFolder() {
    fs::path base;
    if (const char *cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        base = cache;
    else if (const char *home = std::getenv("HOME"); home && *home == '/')
        base = fs::path(home) / ".cache";
    else
        base = fs::temp_directory_path();
    const fs::path folder = base / "orvex-readersetup";
    std::error_code ec;
    fs::create_directories(folder, ec);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    return folder.string();
}

InstallerDownloadResult downloadInstaller(const std::string &installerUrl, const std::string &versionFileUrl,
                                          const std::string &folder, const std::string &publicKey,
                                          const FetchOptions &options, const std::atomic<bool> *stop,
                                          std::size_t limit) {
    InstallerDownloadResult result;
    const auto key = usableKey(publicKey, result.message);
    if (!key) return result;
    if (installerUrl.empty()) {
        result.message = strings().text("update.noInstaller");
        return result;
    }
    if (const std::string refusal = installerRefusal(installerUrl, versionFileUrl); !refusal.empty()) {
        result.message = strings().format("update.installerRefused", installerUrl, refusal);
        return result;
    }
    const std::string name = installerFileName(installerUrl);
    if (name.empty()) {
        result.message = strings().format("update.installerRefused", installerUrl, "no file name");
        return result;
    }
    result.path = (fs::path(folder) / name).string();
    auto refused = [&](const std::string &why) {
        result.message = strings().format("update.notVerified", installerUrl, why);
        return result;
    };
    // The signature first: without one (or by another key) the installer is not fetched at all.
    const std::string signatureUrl = installerUrl + std::string(kSignatureSuffix);
    const FetchResult signatureFetch = fetchText(signatureUrl, options, stop, kSignatureFileLimit);
    if (signatureFetch.outcome != FetchResult::Outcome::Ok)
        return refused("no signature " + signatureUrl + " (" + signatureFetch.error + ")");
    const auto signature = parseMinisignSignature(signatureFetch.body);
    if (!signature) return refused("not a minisign signature: " + signatureUrl);
    if (signature->keyId != key->keyId) return refused("signed by another key");

    // Under a name nothing starts, never executable, until it is verified.
    const std::string unverified = result.path + ".unverified";
    const FetchResult fetch = downloadFile(installerUrl, unverified, options, stop, limit);
    if (fetch.outcome != FetchResult::Outcome::Ok) {
        result.message = strings().format("update.downloadFailed", installerUrl, fetch.error);
        return result;
    }
    if (const std::string why = verifyMinisignFile(unverified, *signature, *key); !why.empty()) {
        std::remove(unverified.c_str());
        return refused(why);
    }
    const std::string signaturePath = result.path + std::string(kSignatureSuffix);
    if (!writeSignature(signaturePath, signatureFetch.body) ||
        std::rename(unverified.c_str(), result.path.c_str()) != 0) {
        std::remove(unverified.c_str());
        std::remove(signaturePath.c_str());
        result.message =
            strings().format("update.downloadFailed", installerUrl, "cannot write " + result.path);
        return result;
    }
    result.ok = true;
    return result;
}

InstallerStartResult startInstaller(const std::string &path, const std::string &publicKey,
                                    const std::string &opener) {
    InstallerStartResult result;
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(path, ec)) {
        result.message = strings().format("update.fileMissing", path);
        return result;
    }
    const auto key = usableKey(publicKey, result.message);
    if (!key) return result;
    if (const std::string why = verifyMinisignFile(path, *key); !why.empty()) {
        removeWithSignature(path);
        result.message = strings().format("update.notVerified", path, why);
        return result;
    }
    int spawnResult = 0;
    int openResult = 0;
    if (looksLikeProgram(path)) {
        spawnResult = spawnProgram(path);
        result.started = spawnResult == 0;
    } else {
        openResult = app::desktopOpen(path, fs::path(path).parent_path().string(), {}, opener);
        result.started = openResult >= 32;
    }
    if (!result.started)
        result.message = strings().format("update.cannotStart", path, spawnResult, openResult, errno);
    return result;
}

InstallerDownload::InstallerDownload(std::string installerUrl, std::string versionFileUrl, std::string folder,
                                     std::string publicKey, FetchOptions options,
                                     std::function<void(InstallerDownloadResult)> done) {
    worker_ =
        std::thread([this, installerUrl = std::move(installerUrl), versionFileUrl = std::move(versionFileUrl),
                     folder = std::move(folder), publicKey = std::move(publicKey),
                     options = std::move(options), done = std::move(done)] {
            InstallerDownloadResult result =
                downloadInstaller(installerUrl, versionFileUrl, folder, publicKey, options, &stop_);
            if (!stop_ && done) done(std::move(result));
        });
}

InstallerDownload::~InstallerDownload() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

}  // namespace orvex::update
