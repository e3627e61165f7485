// USB entries of the C API: the USB reader list, the driver state read from
// sysfs, and the report-level commands of HID readers.
#include <sys/utsname.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "link/api_support.h"
#include "link/list_buffer.h"
#include "link/trace.h"
#include "transport/ftdi_transport.h"
#include "transport/hid_transport.h"
#include "transport/usb_driver_state.h"
#include "transport/usb_ids.h"

namespace {

orvex::HidTransport *hidOf(orvex::Port &port) {
    orvex::Transport *transport = port.transport();
    if (!transport || transport->kind() != orvex::TransportKind::Hid) return nullptr;
    return static_cast<orvex::HidTransport *>(transport);
}

}  // namespace

extern "C" {

int Orvex_ListUsbDevices(char *buffer, int size) {
    orvex::routeTransportDiagnostics();
    std::vector<std::string> entries = orvex::listFtdiReaders();
    for (auto &name : orvex::listHidReaders()) entries.push_back(std::move(name));
    std::erase_if(entries, [](const std::string &entry) { return !orvex::passesArticleFilter(entry); });
    return orvex::fillListBuffer(buffer, size, entries);
}

int Orvex_GetUsbDriverState(void) { return orvex::usbDriverState("/sys"); }

int Orvex_IsVirtualComDriverInstalled(void) {
    struct utsname kernel {};
    const std::string release = uname(&kernel) == 0 ? kernel.release : "";
    return orvex::virtualComDriverAvailable("/sys", "/lib/modules/" + release) ? 1 : 0;
}

int Orvex_HidTransceive(int handle, const unsigned char *request, int length, unsigned char *answer,
                        int size) {
    auto port = orvex::api::portOf(handle);
    if (!port) return ORVEX_FAILED;
    orvex::HidTransport *hid = hidOf(*port);
    if (!hid || !answer || size <= 0) return ORVEX_FAILED;
    const std::vector<std::uint8_t> reply = hid->command(orvex::api::bytes(request, length));
    if (reply.empty()) return ORVEX_FAILED;
    const std::size_t n = std::min(reply.size(), static_cast<std::size_t>(size));
    std::memcpy(answer, reply.data(), n);
    return static_cast<int>(n);
}

int Orvex_HidWrite(int handle, const unsigned char *data, int length) {
    auto port = orvex::api::portOf(handle);
    if (!port) return ORVEX_FAILED;
    orvex::HidTransport *hid = hidOf(*port);
    return orvex::api::status(hid && hid->sendCommand(orvex::api::bytes(data, length)));
}

}  // extern "C"
