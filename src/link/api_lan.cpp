// LAN entries of the C API. None of them takes a handle: each finds its reader
// on the host's adapters, does its exchange and lets go again.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "lan/adapters.h"
#include "lan/discovery.h"
#include "lan/network_config.h"
#include "link/list_buffer.h"
#include "orvex/orvex.h"

namespace {

int searchInto(char *buffer, int size, bool verify) {
    if (!buffer || size < 1) return 0;
    auto adapters = orvex::lan::adapterSource().adapters();
    return orvex::fillListBuffer(buffer, size,
                                 orvex::lan::search(adapters, orvex::lan::kAnswerTimeout, verify));
}

void copyText(char *buffer, const std::string &text) {
    if (!buffer) return;
    std::size_t length = std::min<std::size_t>(text.size(), ORVEX_LAN_TEXT_SIZE - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

}  // namespace

extern "C" {

int Orvex_LanSearchAll(char *buffer, int size) { return searchInto(buffer, size, false); }

int Orvex_LanSearch(char *buffer, int size) { return searchInto(buffer, size, true); }

int Orvex_LanCheck(const char *address) { return address && orvex::lan::isReachable(address) ? 1 : 0; }

int Orvex_LanReadSettings(const char *address, char *name, char *ipAddress, char *netmask, char *gateway) {
    if (!address) return ORVEX_LAN_FAILED;
    orvex::lan::NetworkSettingsText settings;
    int result = orvex::lan::readSettings(address, settings);
    if (result != ORVEX_OK) return result;
    copyText(ipAddress, settings.address);
    if (name)
        copyText(name, settings.name);
    else if (settings.address.empty())
        copyText(ipAddress, settings.name);
    copyText(netmask, settings.mask);
    copyText(gateway, settings.gateway);
    return ORVEX_OK;
}

int Orvex_LanReadAddress(const char *address, char *target, int size, int *port) {
    if (!address || !target || !port) return ORVEX_LAN_NULL_POINTER;
    if (size < ORVEX_LAN_ADDRESS_SIZE) return ORVEX_LAN_BUFFER_TOO_SMALL;
    orvex::lan::ClientTarget read;
    int result = orvex::lan::readClientTarget(address, read);
    if (result != ORVEX_OK) return result;
    std::size_t length = std::min<std::size_t>(read.address.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(target, read.address.data(), length);
    target[length] = '\0';
    *port = read.port;
    return ORVEX_OK;
}

int Orvex_LanSetAddress(const char *address, const char *target, int port) {
    if (!address || !target) return ORVEX_LAN_NULL_POINTER;
    return orvex::lan::setClientTarget(address, target, port);
}

int Orvex_LanConfigure(const char *address, const char *newAddress, const char *netmask,
                       const char *gateway) {
    if (!address || !newAddress) return ORVEX_LAN_NULL_POINTER;
    return orvex::lan::configure(address, newAddress, netmask ? netmask : "", gateway ? gateway : "");
}

}  // extern "C"
