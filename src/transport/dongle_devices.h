// The maker's Bluetooth dongles attached now: ttys of the cp210x USB bridge
// whose USB serial number starts with "QEL-RT2856#".
#pragma once

#include <string>
#include <vector>

namespace orvex::dongle {

inline constexpr const char *kSerialPrefix = "QEL-RT2856#";
inline constexpr const char *kNameSuffix = " BT";

struct DongleDevice {
    std::string serial;   // USB serial number
    std::string devnode;  // its tty, /dev/ttyUSB0
};

// From libudev.
std::vector<DongleDevice> attachedDongles();

// List names: serial number + " BT".
std::vector<std::string> dongleListNames();

}  // namespace orvex::dongle
