#include "netns/namespace_guard.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace orvex::netns {
namespace {

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev;
}

bool isNamedNamespace(const struct stat &self) {
    DIR *named = opendir("/run/netns");
    if (!named) return false;
    bool found = false;
    while (dirent *entry = readdir(named)) {
        struct stat ns {};
        std::string path = std::string("/run/netns/") + entry->d_name;
        if (entry->d_name[0] != '.' && stat(path.c_str(), &ns) == 0 && sameFile(ns, self)) found = true;
    }
    closedir(named);
    return found;
}

}  // namespace

bool inSeparateNetworkNamespace() {
    struct stat self {
    }, machine{};
    if (stat("/proc/self/ns/net", &self) != 0) return false;
    if (stat("/proc/1/ns/net", &machine) == 0) return !sameFile(self, machine);
    return isNamedNamespace(self);
}

bool networkAllowed() {
    const char *latch = std::getenv("ORVEX_LAN_NETNS_ONLY");
    if (!latch || !*latch || std::strcmp(latch, "0") == 0) return true;
    return inSeparateNetworkNamespace();
}

}  // namespace orvex::netns
