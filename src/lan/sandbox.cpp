#include "lan/sandbox.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace orvex::lan {
namespace {

bool inOwnNetworkNamespace() {
    struct stat self{}, machine{};
    if (stat("/proc/self/ns/net", &self) != 0 || stat("/proc/1/ns/net", &machine) != 0) return false;
    return self.st_ino != machine.st_ino || self.st_dev != machine.st_dev;
}

}  // namespace

bool networkAllowed() {
    const char *latch = std::getenv("ORVEX_LAN_NETNS_ONLY");
    if (!latch || !*latch || std::strcmp(latch, "0") == 0) return true;
    return inOwnNetworkNamespace();
}

}  // namespace orvex::lan
