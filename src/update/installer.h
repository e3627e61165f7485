// Downloading the installer a version file names and starting it, so that
// it can replace the program.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "update/http_fetch.h"

namespace orvex::update {

// $XDG_CACHE_HOME (else ~/.cache, else the temp folder) + "/orvex-readersetup",
// created (0700) when missing.
std::string installerFolder();

struct InstallerDownloadResult {
    bool ok = false;
    std::string path;     // where the installer is (or would have been)
    std::string message;  // why nothing was downloaded, for the person
};

// Checks the installer URL against the version file's URL, then downloads
// it into folder under the URL's file name.
InstallerDownloadResult downloadInstaller(const std::string &installerUrl, const std::string &versionFileUrl,
                                          const std::string &folder, const FetchOptions &options,
                                          const std::atomic<bool> *stop = nullptr,
                                          std::size_t limit = kInstallerLimit);

struct InstallerStartResult {
    bool started = false;
    std::string message;  // "does not exist" / "can not be started" text
};

// A program (ELF or "#!" script) is made executable and started with
// posix_spawn; any other file (a .deb, an archive) is handed to opener
// (xdg-open). Neither goes through a shell.
InstallerStartResult startInstaller(const std::string &path, const std::string &opener = "xdg-open");

// A download on a thread of its own; done is called from that thread.
// Destroying the object stops the transfer and waits for the thread.
class InstallerDownload {
public:
    InstallerDownload(std::string installerUrl, std::string versionFileUrl, std::string folder,
                      FetchOptions options, std::function<void(InstallerDownloadResult)> done);
    ~InstallerDownload();
    InstallerDownload(const InstallerDownload &) = delete;
    InstallerDownload &operator=(const InstallerDownload &) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace orvex::update
