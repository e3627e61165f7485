// The ttys of USB serial bridges (FTDI readers, the Bluetooth dongle's
// cp210x), each with the driver that runs it and its USB serial number.
#pragma once

#include <string>
#include <vector>

namespace orvex {

struct UsbSerialTty {
    std::string node;         // /dev/ttyUSB0
    std::string serial;       // the USB device's serial number (never empty)
    std::string driver;       // "ftdi_sio", "cp210x", ...
    std::string portSyspath;  // the usb-serial port (its latency_timer), "" when none
};

// From libudev, the ttys whose driver is `driver`.
std::vector<UsbSerialTty> usbSerialTtys(const char *driver);

}  // namespace orvex
