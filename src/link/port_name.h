// The SDK port name: which transport it names, and the reader's bus address.
#pragma once

#include <string>

namespace orvex {

enum class PortClass { Lan, Hid, Dongle, RejectedDongle, SystemSerial, Ftdi };

struct PortName {
    std::string name;  // without the bus address suffix
    int busAddress = 1;
    PortClass portClass = PortClass::SystemSerial;
    std::string device;  // SystemSerial: tty path; Ftdi: USB serial number
};

PortName parsePortName(const std::string &text);

// Names of system serial ports keep the caller's baud argument; every other
// link runs at 19200.
bool keepsBaudArgument(const std::string &text);

}  // namespace orvex
