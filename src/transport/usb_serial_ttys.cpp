#include "transport/usb_serial_ttys.h"

#include <cstring>

#include "transport/udev_ptr.h"

namespace orvex {

namespace {

// udev's ID_USB_DRIVER when set, else the nearest parent's driver (the
// usb-serial port and its interface run the bridge's driver).
const char *driverOf(udev_device *tty) {
    if (const char *driver = udev_device_get_property_value(tty, "ID_USB_DRIVER")) return driver;
    for (udev_device *d = udev_device_get_parent(tty); d; d = udev_device_get_parent(d))
        if (const char *driver = udev_device_get_driver(d)) return driver;
    return nullptr;
}

}  // namespace

std::vector<UsbSerialTty> usbSerialTtys(const char *wanted) {
    std::vector<UsbSerialTty> found;
    forEachDeviceNode("tty", [&found, wanted](udev_device *tty) {
        const char *driver = driverOf(tty);
        if (!driver || std::strcmp(driver, wanted) != 0) return;
        udev_device *usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
        const char *serial = usb ? udev_device_get_sysattr_value(usb, "serial") : nullptr;
        if (!serial || !*serial) return;
        udev_device *port = udev_device_get_parent_with_subsystem_devtype(tty, "usb-serial", nullptr);
        found.push_back(
            {udev_device_get_devnode(tty), serial, driver, port ? udev_device_get_syspath(port) : ""});
    });
    return found;
}

}  // namespace orvex
