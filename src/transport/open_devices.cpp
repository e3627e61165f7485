#include "transport/open_devices.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <memory>

namespace orvex {

namespace {

constexpr int kMaxLinkHops = 8;

struct DirCloser {
    void operator()(DIR *d) const { closedir(d); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

bool allDigits(const char *name) {
    if (!*name) return false;
    for (; *name; ++name)
        if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
    return true;
}

dev_t characterDeviceOf(const std::string &path) {
    struct stat s {};
    if (stat(path.c_str(), &s) != 0 || !S_ISCHR(s.st_mode)) return 0;
    return s.st_rdev;
}

}  // namespace

OpenDevices OpenDevices::scan(const std::string &procRoot) {
    OpenDevices open;
    Dir proc(opendir(procRoot.c_str()));
    if (!proc) return open;
    while (const dirent *process = readdir(proc.get())) {
        if (!allDigits(process->d_name)) continue;
        const std::string fdFolder = procRoot + "/" + process->d_name + "/fd";
        Dir fds(opendir(fdFolder.c_str()));
        if (!fds) continue;  // another user's process, or gone meanwhile
        while (const dirent *fd = readdir(fds.get())) {
            if (!allDigits(fd->d_name)) continue;
            const std::string entry = fdFolder + "/" + fd->d_name;
            const dev_t device = characterDeviceOf(entry);
            if (!device) continue;
            open.numbers_.insert(device);
            char target[PATH_MAX];
            const ssize_t n = readlink(entry.c_str(), target, sizeof target - 1);
            if (n > 0) open.paths_.emplace(target, static_cast<std::size_t>(n));
        }
    }
    return open;
}

bool OpenDevices::holds(const std::string &node) const {
    if (const dev_t device = characterDeviceOf(node); device && numbers_.count(device)) return true;
    // Link by link, lexically: the node itself and every name it leads to.
    std::filesystem::path name = node;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        if (paths_.count(name.string())) return true;
        char target[PATH_MAX];
        const ssize_t n = readlink(name.c_str(), target, sizeof target - 1);
        if (n <= 0) return false;
        name = (name.parent_path() / std::string(target, static_cast<std::size_t>(n))).lexically_normal();
    }
    return false;
}

}  // namespace orvex
