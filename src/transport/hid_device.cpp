#include "transport/hid_device.h"

#include <cstdlib>

namespace orvex {

std::vector<HidDeviceInfo> attachedHidDevices() {
    std::vector<HidDeviceInfo> all = hidrawDevices();
    if (const char *folder = std::getenv(kHidSimDirVariable); folder && *folder) {
        auto simulated = simulatedHidDevices(folder);
        all.insert(all.end(), simulated.begin(), simulated.end());
    }
    return all;
}

std::optional<OpenedHidDevice> openHidDevice(const HidDeviceInfo &device) {
    std::optional<OpenedHidDevice> opened =
        device.simulated ? connectSimulatedHidDevice(device) : openHidrawNode(device);
    if (!opened) return opened;
    if (opened->lengths.input <= 0) opened->lengths.input = kDefaultHidReportLength;
    if (opened->lengths.output <= 0) opened->lengths.output = kDefaultHidReportLength;
    return opened;
}

}  // namespace orvex
