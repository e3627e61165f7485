#include "update/installer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/desktop_open.h"
#include "app/string_table.h"
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
                                          const std::string &folder, const FetchOptions &options,
                                          const std::atomic<bool> *stop, std::size_t limit) {
    InstallerDownloadResult result;
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
    const FetchResult fetch = downloadFile(installerUrl, result.path, options, stop, limit);
    result.ok = fetch.outcome == FetchResult::Outcome::Ok;
    if (!result.ok) result.message = strings().format("update.downloadFailed", installerUrl, fetch.error);
    return result;
}

InstallerStartResult startInstaller(const std::string &path, const std::string &opener) {
    InstallerStartResult result;
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(path, ec)) {
        result.message = strings().format("update.fileMissing", path);
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
                                     FetchOptions options,
                                     std::function<void(InstallerDownloadResult)> done) {
    worker_ =
        std::thread([this, installerUrl = std::move(installerUrl), versionFileUrl = std::move(versionFileUrl),
                     folder = std::move(folder), options = std::move(options), done = std::move(done)] {
            InstallerDownloadResult result =
                downloadInstaller(installerUrl, versionFileUrl, folder, options, &stop_);
            if (!stop_ && done) done(std::move(result));
        });
}

InstallerDownload::~InstallerDownload() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

}  // namespace orvex::update
