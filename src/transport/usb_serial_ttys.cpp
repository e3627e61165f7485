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
    UdevPtr<udev> context(udev_new());
    if (!context) return found;
    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    udev_enumerate_add_match_subsystem(enumerate.get(), "tty");
    udev_enumerate_scan_devices(enumerate.get());
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        UdevPtr<udev_device> tty(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!tty || !udev_device_get_devnode(tty.get())) continue;
        // Parents belong to `tty` and go with it.
        const char *driver = driverOf(tty.get());
        if (!driver || std::strcmp(driver, wanted) != 0) continue;
        udev_device *usb = udev_device_get_parent_with_subsystem_devtype(tty.get(), "usb", "usb_device");
        const char *serial = usb ? udev_device_get_sysattr_value(usb, "serial") : nullptr;
        if (!serial || !*serial) continue;
        udev_device *port = udev_device_get_parent_with_subsystem_devtype(tty.get(), "usb-serial", nullptr);
        found.push_back(
            {udev_device_get_devnode(tty.get()), serial, driver, port ? udev_device_get_syspath(port) : ""});
    }
    return found;
}

}  // namespace orvex
