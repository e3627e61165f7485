// Where HID readers are found: hidraw nodes of the system (through libudev)
// and the simulated devices of the folder named by ORVEX_HID_SIM_DIR. Both
// give a file descriptor on which one write is one output report (report ID
// first) and one read is one input report (without report ID).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "transport/hid_report_descriptor.h"

namespace orvex {

struct HidDeviceInfo {
    std::string node;  // hidraw device node, or the simulated device's socket
    bool simulated = false;
    int vendorId = 0;
    int productId = 0;
    std::optional<std::string> serial;  // nullopt: the serial number cannot be read
    HidReportLengths lengths;           // simulated devices only: from NAME.ini (0 = unknown)
};

// Report lengths when the device does not tell them.
inline constexpr int kDefaultHidReportLength = 9;
// Report ID plus 64 bytes: longer reports are not supported.
inline constexpr int kMaxHidReportLength = 65;

// The environment variable that names the folder of simulated HID devices.
inline constexpr const char *kHidSimDirVariable = "ORVEX_HID_SIM_DIR";

// hidraw devices in the order the system lists them.
std::vector<HidDeviceInfo> hidrawDevices();
// Simulated devices of `folder` (NAME.ini with NAME.sock beside it), by name.
std::vector<HidDeviceInfo> simulatedHidDevices(const std::string &folder);
// Both: the system's first, then those of ORVEX_HID_SIM_DIR when it is set.
std::vector<HidDeviceInfo> attachedHidDevices();

// An opened device: read/write, non-blocking, close-on-exec.
struct OpenedHidDevice {
    int fd = -1;
    bool isSocket = false;
    HidReportLengths lengths;  // each 9 when unknown
};

// Opens the node and reads the report lengths (descriptor or NAME.ini).
std::optional<OpenedHidDevice> openHidDevice(const HidDeviceInfo &device);
// The two kinds, each with lengths 0 where unknown.
std::optional<OpenedHidDevice> openHidrawNode(const HidDeviceInfo &device);
std::optional<OpenedHidDevice> connectSimulatedHidDevice(const HidDeviceInfo &device);

}  // namespace orvex
