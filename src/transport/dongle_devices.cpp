#include "transport/dongle_devices.h"

#include "transport/usb_serial_ttys.h"

namespace orvex::dongle {

constexpr const char *kBridgeDriver = "cp210x";

std::vector<DongleDevice> attachedDongles() {
    std::vector<DongleDevice> found;
    for (const UsbSerialTty &tty : usbSerialTtys(kBridgeDriver))
        if (tty.serial.rfind(kSerialPrefix, 0) == 0) found.push_back({tty.serial, tty.node});
    return found;
}

std::vector<std::string> dongleListNames() {
    std::vector<std::string> names;
    for (const auto &d : attachedDongles()) names.push_back(d.serial + kNameSuffix);
    return names;
}

}  // namespace orvex::dongle
