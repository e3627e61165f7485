#include "gui/app/device_monitor.h"

#include <QSocketNotifier>
#include <cstring>

#ifdef ORVEX_HAVE_UDEV
#include <libudev.h>
#endif

namespace orvex::gui {

DeviceMonitor::DeviceMonitor(QObject *parent) : QObject(parent) {
#ifdef ORVEX_HAVE_UDEV
    udev_ = udev_new();
    if (!udev_) return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_) return;
    // Serial ports, USB devices and HID readers are what the lists show.
    for (const char *subsystem : {"tty", "usb", "hidraw"})
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, subsystem, nullptr);
    if (udev_monitor_enable_receiving(monitor_) < 0) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        return;
    }
    notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &DeviceMonitor::receive);
#endif
}

DeviceMonitor::~DeviceMonitor() {
#ifdef ORVEX_HAVE_UDEV
    delete notifier_;
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
#endif
}

void DeviceMonitor::receive() {
#ifdef ORVEX_HAVE_UDEV
    udev_device *device = udev_monitor_receive_device(monitor_);
    if (!device) return;
    const char *action = udev_device_get_action(device);
    const bool arrival = action && std::strcmp(action, "add") == 0;
    udev_device_unref(device);
    emit deviceChanged(arrival ? DeviceArrival : DeviceNodesChanged);
#endif
}

}  // namespace orvex::gui
