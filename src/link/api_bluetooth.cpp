// Bluetooth entries of the C API: the dongle list, and inquiry and link
// set-up on an open dongle port.
#include "orvex/orvex.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "link/api_support.h"
#include "link/list_buffer.h"
#include "link/wait_hook.h"
#include "transport/dongle_devices.h"
#include "transport/dongle_transport.h"

using namespace orvex;

namespace {

// The port's dongle, ready for a long wait (the caller's hook keeps running).
DongleTransport *dongleOf(Port &port) {
    auto *dongle = dynamic_cast<DongleTransport *>(port.transport());
    if (dongle) dongle->setWaitHook([] { runWaitHook(); });
    return dongle;
}

}  // namespace

extern "C" {

int Orvex_BtListDongles(char *buffer, int size) {
    return fillListBuffer(buffer, size, dongle::dongleListNames());
}

int Orvex_BtInquiry(int handle, unsigned char *buffer, int size, int timeout, int classFilter) {
    auto port = api::portOf(handle);
    DongleTransport *dongle = port ? dongleOf(*port) : nullptr;
    if (!dongle || !buffer || size <= 0) return 0;
    return dongle->inquiry(buffer, static_cast<std::size_t>(size), std::max(timeout, 0),
                           static_cast<std::uint32_t>(classFilter));
}

int Orvex_BtConnect(int handle, const unsigned char *address, int channel, int timeout) {
    auto port = api::portOf(handle);
    DongleTransport *dongle = port ? dongleOf(*port) : nullptr;
    if (!dongle || !address) return 0;
    dongle::Address peer;
    std::copy_n(address, peer.size(), peer.begin());
    const int result = dongle->connect(peer, static_cast<std::uint8_t>(channel), std::max(timeout, 0));
    if (result == 0) {
        port->setLastError(ORVEX_ERR_NONE);
        return 1;
    }
    port->setLastError(result == dongle::kNoAnswer ? ORVEX_ERR_BT_TIMEOUT : result);
    return 0;
}

int Orvex_BtRemoteName(int handle, const unsigned char *address, char *name, int size, int timeout) {
    auto port = api::portOf(handle);
    DongleTransport *dongle = port ? dongleOf(*port) : nullptr;
    if (!dongle || !address) return ORVEX_FAILED;
    dongle::Address device;
    std::copy_n(address, device.size(), device.begin());
    const std::optional<std::string> told = dongle->remoteName(device, std::max(timeout, 0));
    if (!told) {
        port->setLastError(ORVEX_ERR_BT_TIMEOUT);
        return ORVEX_FAILED;
    }
    if (!name || size <= static_cast<int>(told->size())) {
        port->setLastError(ORVEX_ERR_BUFFER_TOO_SMALL);
        return ORVEX_FAILED;
    }
    std::memcpy(name, told->c_str(), told->size() + 1);
    port->setLastError(ORVEX_ERR_NONE);
    return static_cast<int>(told->size());
}

}  // extern "C"
