// USB driver state and the CDC-ACM check against folders laid out like sysfs
// and /lib/modules/RELEASE.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/temp_folder.h"
#include "transport/usb_driver_state.h"

using namespace orvex;
namespace fs = std::filesystem;

namespace {

// One USB device "1-N" with a single interface "1-N:1.0", bound to a driver or not.
void addUsbDevice(const TempFolder &sys, const std::string &name, const std::string &vendor,
                  const std::string &product, bool bound) {
    const fs::path device = sys.path() / "bus/usb/devices" / name;
    fs::create_directories(device / (name + ":1.0"));
    TempFolder::write((device / "idVendor").string(), vendor + "\n");
    TempFolder::write((device / "idProduct").string(), product + "\n");
    if (bound) fs::create_directories(device / (name + ":1.0") / "driver");
}

}  // namespace

TEST(UsbDriverState, BitsForReadersWithoutDriver) {
    struct Device {
        const char *vendor, *product;
        bool bound;
    };
    struct Case {
        std::vector<Device> devices;
        int expected;
    } cases[] = {
        {{}, 0},
        {{{"16d0", "0e2a", true}, {"0403", "6001", true}}, 0},
        {{{"0403", "6001", false}}, kFtdiReaderWithoutDriver},
        {{{"16d0", "0e2a", false}}, kVirtualComReaderWithoutDriver},
        {{{"16D0", "0E2A", false}, {"0403", "6001", false}},
         kFtdiReaderWithoutDriver | kVirtualComReaderWithoutDriver},
        // Other devices without driver, a HID reader and unreadable ids do not count.
        {{{"1234", "5678", false}, {"16d0", "0e2b", false}, {"zz", "", false}}, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        TempFolder sys;
        int n = 1;
        for (const auto &d : cases[i].devices)
            addUsbDevice(sys, "1-" + std::to_string(n++), d.vendor, d.product, d.bound);
        EXPECT_EQ(usbDriverState(sys.path().string()), cases[i].expected) << "case " << i;
    }
}

TEST(UsbDriverState, MissingSysfsMeansNoProblems) { EXPECT_EQ(usbDriverState("/nonexistent-sys"), 0); }

TEST(VirtualComDriver, LoadedBuiltInOrShippedAsModule) {
    TempFolder sys, modules;
    EXPECT_FALSE(virtualComDriverAvailable(sys.path().string(), modules.path().string()));

    TempFolder::write(modules.file("modules.dep"), "kernel/drivers/usb/serial/ftdi_sio.ko.xz: usbserial\n");
    EXPECT_FALSE(virtualComDriverAvailable(sys.path().string(), modules.path().string()));

    TempFolder::write(modules.file("modules.dep"), "kernel/drivers/usb/class/cdc-acm.ko.xz:\n");
    EXPECT_TRUE(virtualComDriverAvailable(sys.path().string(), modules.path().string()));

    TempFolder builtIn;
    TempFolder::write(builtIn.file("modules.builtin"), "kernel/drivers/usb/class/cdc-acm.ko\n");
    EXPECT_TRUE(virtualComDriverAvailable(sys.path().string(), builtIn.path().string()));

    fs::create_directories(sys.path() / "module/cdc_acm");
    EXPECT_TRUE(virtualComDriverAvailable(sys.path().string(), "/nonexistent-modules"));
}
