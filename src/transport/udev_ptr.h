// libudev objects owned by unique_ptr: one unref per kind; walking the
// device nodes of a subsystem.
#pragma once

#include <libudev.h>

#include <memory>

namespace orvex {

struct UdevDeleter {
    void operator()(udev *u) const { udev_unref(u); }
    void operator()(udev_enumerate *e) const { udev_enumerate_unref(e); }
    void operator()(udev_device *d) const { udev_device_unref(d); }
};
template <class T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// Calls visit(device) for every device of `subsystem` that has a device node.
// The device, and every parent taken from it, lives for the call only.
template <class Visit>
void forEachDeviceNode(const char *subsystem, Visit visit) {
    UdevPtr<udev> context(udev_new());
    if (!context) return;
    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate) return;
    udev_enumerate_add_match_subsystem(enumerate.get(), subsystem);
    udev_enumerate_scan_devices(enumerate.get());
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        UdevPtr<udev_device> device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (device && udev_device_get_devnode(device.get())) visit(device.get());
    }
}

}  // namespace orvex
