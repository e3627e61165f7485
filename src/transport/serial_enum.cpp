// Serial port listing on libserialport's port enumeration.
#include "transport/serial_enum.h"

#include <libserialport.h>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace orvex {

namespace {

constexpr std::string_view kMakerPrefixes[] = {"Qel", "Brix"};

bool namesMaker(std::string_view text) {
    return std::any_of(std::begin(kMakerPrefixes), std::end(kMakerPrefixes),
                       [&](std::string_view p) { return text.substr(0, p.size()) == p; });
}

// The path's text before its trailing digits and the number they form.
std::pair<std::string_view, unsigned long> sortKey(std::string_view entry) {
    const std::string_view path = entry.substr(0, entry.find(' '));
    std::size_t digits = path.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(path[digits - 1]))) --digits;
    unsigned long number = 0;
    for (std::size_t i = digits; i < path.size() && i < digits + 9; ++i)
        number = number * 10 + static_cast<unsigned long>(path[i] - '0');
    return {path.substr(0, digits), number};
}

std::string text(const char *s) { return s ? s : ""; }

}  // namespace

std::vector<SerialPortInfo> systemSerialPorts() {
    std::vector<SerialPortInfo> found;
    struct sp_port **ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK || !ports) return found;
    for (int i = 0; ports[i]; ++i) {
        SerialPortInfo info;
        info.path = text(sp_get_port_name(ports[i]));
        info.description = text(sp_get_port_description(ports[i]));
        if (sp_get_port_transport(ports[i]) == SP_TRANSPORT_USB) {
            int vid = -1, pid = -1;
            if (sp_get_port_usb_vid_pid(ports[i], &vid, &pid) == SP_OK) {
                info.vendorId = vid;
                info.productId = pid;
            }
            info.product = text(sp_get_port_usb_product(ports[i]));
        }
        if (!info.path.empty()) found.push_back(std::move(info));
    }
    sp_free_port_list(ports);
    return found;
}

std::string serialPortEntry(const SerialPortInfo &port) {
    if (namesMaker(port.description)) return port.path + " [" + port.description + "]";
    if (namesMaker(port.product)) return port.path + " [" + port.product + "]";
    if (port.vendorId == kVirtualComVendorId && port.productId == kVirtualComProductId)
        return port.path + " [Qel Virtual COM]";
    return port.path;
}

std::vector<std::string> serialPortEntries(std::vector<SerialPortInfo> ports) {
    std::vector<std::string> entries;
    entries.reserve(ports.size());
    for (const auto &p : ports) entries.push_back(serialPortEntry(p));
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::string &a, const std::string &b) { return sortKey(a) < sortKey(b); });
    return entries;
}

}  // namespace orvex
