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

int failWith(orvex::Port &port, int error) {
    port.setLastError(error);
    return ORVEX_FAILED;
}

// Why a report-level command cannot be sent on this port, or ORVEX_ERR_NONE
// (with `hid` set). Resets the last error as every command does.
int reportCommandError(orvex::Port &port, const unsigned char *request, int length,
                       orvex::HidTransport *&hid) {
    port.setLastError(ORVEX_ERR_NONE);
    hid = hidOf(port);
    if (!hid) return ORVEX_ERR_MODE;  // not a reader in USB keyboard mode
    if (!request || length <= 0) return ORVEX_ERR_EMPTY_REQUEST;
    // One report carries the whole command: report ID, length byte, payload.
    if (length > hid->lengths().output - 2) return ORVEX_ERR_LENGTH;
    return ORVEX_ERR_NONE;
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
    orvex::HidTransport *hid = nullptr;
    if (const int error = reportCommandError(*port, request, length, hid)) return failWith(*port, error);
    const std::vector<std::uint8_t> reply = hid->command(orvex::api::bytes(request, length));
    if (reply.empty()) return failWith(*port, ORVEX_ERR_TIMEOUT);
    // A cut answer would look like a whole one to the caller.
    return orvex::api::copyAnswer(*port, reply, answer, size);
}

int Orvex_HidWrite(int handle, const unsigned char *data, int length) {
    auto port = orvex::api::portOf(handle);
    if (!port) return ORVEX_FAILED;
    orvex::HidTransport *hid = nullptr;
    if (const int error = reportCommandError(*port, data, length, hid)) return failWith(*port, error);
    if (!hid->sendCommand(orvex::api::bytes(data, length))) return failWith(*port, ORVEX_ERR_TIMEOUT);
    return ORVEX_OK;
}

}  // extern "C"
