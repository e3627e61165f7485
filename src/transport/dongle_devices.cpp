#include "transport/dongle_devices.h"

#include <cstring>

#ifdef ORVEX_HAVE_UDEV
#include <libudev.h>
#endif

namespace orvex::dongle {

namespace {
constexpr const char *kBridgeDriver = "cp210x";

#ifdef ORVEX_HAVE_UDEV
bool onBridge(udev_device *tty) {
    if (const char *driver = udev_device_get_property_value(tty, "ID_USB_DRIVER"))
        if (std::strcmp(driver, kBridgeDriver) == 0) return true;
    for (udev_device *d = udev_device_get_parent(tty); d; d = udev_device_get_parent(d)) {
        const char *driver = udev_device_get_driver(d);
        if (driver && std::strcmp(driver, kBridgeDriver) == 0) return true;
    }
    return false;
}
#endif
}  // namespace

std::vector<DongleDevice> attachedDongles() {
    std::vector<DongleDevice> found;
#ifdef ORVEX_HAVE_UDEV
    udev *u = udev_new();
    if (!u) return found;
    udev_enumerate *e = udev_enumerate_new(u);
    udev_enumerate_add_match_subsystem(e, "tty");
    udev_enumerate_scan_devices(e);
    udev_list_entry *entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e)) {
        udev_device *tty = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
        if (!tty) continue;
        udev_device *usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
        const char *serial = usb ? udev_device_get_sysattr_value(usb, "serial") : nullptr;
        const char *node = udev_device_get_devnode(tty);
        if (serial && node && std::strncmp(serial, kSerialPrefix, std::strlen(kSerialPrefix)) == 0 &&
            onBridge(tty))
            found.push_back({serial, node});
        udev_device_unref(tty);
    }
    udev_enumerate_unref(e);
    udev_unref(u);
#endif
    return found;
}

std::vector<std::string> dongleListNames() {
    std::vector<std::string> names;
    for (const auto &d : attachedDongles()) names.push_back(d.serial + kNameSuffix);
    return names;
}

}  // namespace orvex::dongle
