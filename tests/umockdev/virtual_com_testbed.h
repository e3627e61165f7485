// A umockdev testbed for the USB mode switch: the kernel's cdc_acm driver
// present or not (/sys/module/cdc_acm), and the maker's virtual COM device
// (pair A, bound to cdc_acm) whose tty node leads to the pseudo-terminal a
// simulated reader took after switching to virtual COM mode. Needs
// umockdev-wrapper: its preload redirects /sys and /dev to the testbed.
#pragma once

#include <sys/utsname.h>
#include <unistd.h>
#include <umockdev.h>

#include <filesystem>
#include <string>

#include "transport/usb_driver_state.h"

namespace orvex::test {

class VirtualComTestbed {
public:
    VirtualComTestbed() : testbed_(umockdev_testbed_new()) {
        gchar *root = umockdev_testbed_get_root_dir(testbed_);
        root_ = root;
        g_free(root);
    }
    ~VirtualComTestbed() {
        removeVirtualComPort();
        g_object_unref(testbed_);
    }
    VirtualComTestbed(const VirtualComTestbed &) = delete;
    VirtualComTestbed &operator=(const VirtualComTestbed &) = delete;

    // The preload answers only once a testbed exists, so ask after construction.
    static bool active() { return umockdev_in_mock_environment(); }

    // Whether the machine's kernel ships cdc_acm outside /sys (modules.builtin
    // or modules.dep): then the driver cannot be made to look missing.
    static bool hostShipsCdcAcm() {
        struct utsname kernel {};
        const std::string release = uname(&kernel) == 0 ? kernel.release : "";
        return virtualComDriverAvailable("/nonexistent", "/lib/modules/" + release);
    }

    void setCdcAcmLoaded(bool loaded) {
        const std::filesystem::path module = root_ + "/sys/module/cdc_acm";
        if (loaded)
            std::filesystem::create_directories(module);
        else
            std::filesystem::remove_all(module);
    }

    // The reader on its virtual COM port: USB device 16d0:0e2a, interface
    // bound to cdc_acm, tty ttyACM0 whose node links to `pty`. Announced
    // with an "add" uevent as the kernel does. The paths and the tty's
    // "device" link are those of a real sysfs: the port listing tells a USB
    // port by its path and reads the ids through device/../.
    void addVirtualComPort(const std::string &pty) {
        const std::string description =
            "P: " + std::string(kUsbDevice) +
            "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=16d0\nA: idProduct=0e2a"
            "\nA: serial=64011234\nA: busnum=2\nA: devnum=3\nA: product=Virtual COM\n\n"
            "P: " +
            kInterface +
            "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nE: DRIVER=cdc_acm"
            "\nA: bInterfaceClass=02\nL: driver=../../../../../../bus/usb/drivers/cdc_acm\n\n"
            "P: " +
            kTty +
            "\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/ttyACM0\nA: dev=166:0"
            "\nL: device=../../../2-1:1.0\n\n";
        GError *error = nullptr;
        added_ = umockdev_testbed_add_from_string(testbed_, description.c_str(), &error);
        if (error) g_error_free(error);
        // This umockdev records the node's numbers but leaves the file to the test.
        ::symlink(pty.c_str(), (root_ + "/dev/ttyACM0").c_str());
        umockdev_testbed_uevent(testbed_, ("/sys" + std::string(kTty)).c_str(), "add");
    }
    bool virtualComPortAdded() const { return added_; }

    // The reader restarts in HID mode: its virtual COM device goes away.
    void removeVirtualComPort() {
        if (!added_) return;
        umockdev_testbed_uevent(testbed_, ("/sys" + std::string(kTty)).c_str(), "remove");
        ::unlink((root_ + "/dev/ttyACM0").c_str());
        for (const std::string device : {kTty, kInterface, kUsbDevice})
            umockdev_testbed_remove_device(testbed_, ("/sys" + device).c_str());
        added_ = false;
    }

private:
    UMockdevTestbed *testbed_;
    std::string root_;
    bool added_ = false;

    static constexpr const char *kUsbDevice = "/devices/pci0000:00/0000:00:14.0/usb2/2-1";
    static constexpr const char *kInterface = "/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0";
    static constexpr const char *kTty = "/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/tty/ttyACM0";
};

}  // namespace orvex::test
