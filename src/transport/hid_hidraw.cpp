// hidraw nodes: found through libudev (vendor, product and serial number of
// the parent HID device), report lengths from the kernel's copy of the
// report descriptor.
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "transport/hid_device.h"
#include "transport/udev_ptr.h"

namespace orvex {
namespace {

// HID_ID is "BUS:VENDOR:PRODUCT", each hexadecimal ("0003:000016D0:00000E2B").
bool parseHidId(const char *text, int &vendor, int &product) {
    unsigned bus = 0, v = 0, p = 0;
    if (!text || std::sscanf(text, "%x:%x:%x", &bus, &v, &p) != 3) return false;
    vendor = static_cast<int>(v);
    product = static_cast<int>(p);
    return true;
}

HidReportLengths lengthsOfNode(int fd) {
    int size = 0;
    hidraw_report_descriptor descriptor{};
    if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE) return {};
    descriptor.size = static_cast<__u32>(size);
    if (ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) return {};
    return reportLengthsFromDescriptor({descriptor.value, descriptor.size});
}

}  // namespace

std::vector<HidDeviceInfo> hidrawDevices() {
    std::vector<HidDeviceInfo> found;
    forEachDeviceNode("hidraw", [&found](udev_device *raw) {
        udev_device *hid = udev_device_get_parent_with_subsystem_devtype(raw, "hid", nullptr);
        HidDeviceInfo info;
        if (!hid || !parseHidId(udev_device_get_property_value(hid, "HID_ID"), info.vendorId, info.productId))
            return;
        info.node = udev_device_get_devnode(raw);
        const char *uniq = udev_device_get_property_value(hid, "HID_UNIQ");
        if (uniq && *uniq) info.serial = uniq;
        found.push_back(std::move(info));
    });
    return found;
}

std::optional<OpenedHidDevice> openHidrawNode(const HidDeviceInfo &device) {
    const int fd = ::open(device.node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    OpenedHidDevice opened;
    opened.fd = fd;
    opened.lengths = lengthsOfNode(fd);
    return opened;
}

}  // namespace orvex
