#include "link/port_name.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace orvex {

namespace {

constexpr std::string_view kDevPrefix = "/dev/";
constexpr std::string_view kWin32Prefix = "\\\\.\\";

bool startsWith(const std::string &s, std::string_view prefix) { return s.rfind(prefix, 0) == 0; }
bool endsWith(const std::string &s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
constexpr std::string_view kDongleSuffix = " BT";

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Cuts the bus address off. tty paths contain colons of their own
// (/dev/serial/by-path/...), so for them only an all-digit tail after the
// last colon counts.
void cutBusAddress(PortName &p) {
    if (startsWith(p.name, kDevPrefix)) {
        const auto colon = p.name.rfind(':');
        if (colon == std::string::npos || !allDigits(std::string_view(p.name).substr(colon + 1))) return;
        p.busAddress = std::atoi(p.name.c_str() + colon + 1);
        p.name.erase(colon);
        return;
    }
    const auto colon = p.name.find(':');
    if (colon == std::string::npos || colon + 1 == p.name.size()) return;
    p.busAddress = std::atoi(p.name.c_str() + colon + 1);
    p.name.erase(colon);
}

// "a.b.c.d..." or "[device id]...": three dots, the first not leading.
bool looksLikeLan(const std::string &name) {
    if (startsWith(name, "[")) return true;
    const auto firstDot = name.find('.');
    return firstDot != std::string::npos && firstDot != 0 && std::count(name.begin(), name.end(), '.') >= 3;
}

// "COMn" / "\\.\COMn" (any case, n from 1, trailing text ignored) is the
// n-th system port, /dev/ttyS(n-1) as Wine maps it; anything else is the USB
// serial number of an FTDI device.
void classifySerial(PortName &p) {
    if (startsWith(p.name, kDevPrefix)) {
        p.portClass = PortClass::SystemSerial;
        p.device = p.name;
        return;
    }
    std::string rest = startsWith(p.name, kWin32Prefix) ? p.name.substr(kWin32Prefix.size()) : p.name;
    const bool com = rest.size() >= 4 && std::toupper(static_cast<unsigned char>(rest[0])) == 'C' &&
                     std::toupper(static_cast<unsigned char>(rest[1])) == 'O' &&
                     std::toupper(static_cast<unsigned char>(rest[2])) == 'M' && rest[3] >= '1' &&
                     rest[3] <= '9';
    if (!com) {
        p.portClass = PortClass::Ftdi;
        p.device = rest;
        return;
    }
    std::size_t end = 3;
    while (end < rest.size() && std::isdigit(static_cast<unsigned char>(rest[end]))) ++end;
    const long number = std::strtol(rest.substr(3, end - 3).c_str(), nullptr, 10);
    p.portClass = PortClass::SystemSerial;
    p.device = "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace

PortName parsePortName(const std::string &text) {
    PortName p;
    p.name = text;
    cutBusAddress(p);
    // A tty path is never a LAN, HID or dongle name, even when it holds dots
    // or those letters (/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.2:1.0),
    // unless it ends in " BT": then it is the dongle on that tty.
    if (startsWith(p.name, kDevPrefix) && endsWith(p.name, kDongleSuffix)) {
        p.portClass = PortClass::Dongle;
    } else if (startsWith(p.name, kDevPrefix)) {
        classifySerial(p);
    } else if (looksLikeLan(p.name)) {
        p.portClass = PortClass::Lan;
    } else if (p.name.find("HID") != std::string::npos) {
        p.portClass = PortClass::Hid;
    } else if (p.name.find("BT") != std::string::npos) {
        p.portClass = p.name.find("BTW") != std::string::npos ? PortClass::RejectedDongle : PortClass::Dongle;
    } else {
        classifySerial(p);
    }
    return p;
}

bool keepsBaudArgument(const std::string &text) {
    return startsWith(text, "COM") || startsWith(text, std::string(kWin32Prefix) + "COM") ||
           startsWith(text, kDevPrefix);
}

}  // namespace orvex
