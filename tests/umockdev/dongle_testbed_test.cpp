// Dongle listing and opening on the code path of a real machine: libudev's
// enumeration of ttys and their USB parents, and the tty node itself, served
// by a umockdev testbed. Runs under umockdev-wrapper (its preload redirects
// /sys and /dev to the testbed).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <umockdev.h>

#include "transport/dongle_devices.h"
#include "transport/dongle_frame.h"
#include "transport/dongle_transport.h"

namespace orvex {
namespace {

// A USB device with one interface and its tty: the dongle's bridge, another
// cp210x device, and an FTDI bridge that carries the maker's serial number.
std::string usbSerialDevice(const std::string &bus, const char *vendor, const char *product,
                            const std::string &serial, const char *driver, const std::string &tty) {
    const std::string usb = "/devices/pci0000:00/0000:00:14.0/usb1/" + bus;
    const std::string iface = usb + "/" + bus + ":1.0";
    return "P: " + usb + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=" + vendor +
           "\nA: idProduct=" + product + "\nA: serial=" + serial + "\n\n" +  //
           "P: " + iface + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nE: DRIVER=" + driver +
           "\nL: driver=../../../../../../bus/usb/drivers/" + driver + "\n\n" +  //
           "P: " + iface + "/" + tty + "/tty/" + tty + "\nN: " + tty +
           "\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/" + tty + "\n\n";
}

struct NullSink : ByteSink {
    void receiveBytes(const std::uint8_t *, std::size_t) override {}
};

class DongleDevices : public ::testing::Test {
protected:
    void SetUp() override {
        testbed_ = umockdev_testbed_new();  // the preload answers only once a testbed exists
        if (!umockdev_in_mock_environment()) GTEST_SKIP() << "needs umockdev's preload (umockdev-wrapper)";
        const std::string devices =
            usbSerialDevice("1-1", "10c4", "ea61", "QEL-RT2856#0042", "cp210x", "ttyUSB0") +
            usbSerialDevice("1-2", "10c4", "ea60", "0001", "cp210x", "ttyUSB1") +
            usbSerialDevice("1-3", "0403", "6001", "QEL-RT2856#0099", "ftdi_sio", "ttyUSB2");
        GError *error = nullptr;
        ASSERT_TRUE(umockdev_testbed_add_from_string(testbed_, devices.c_str(), &error))
            << (error ? error->message : "");
    }
    void TearDown() override {
        if (testbed_) g_object_unref(testbed_);
    }

    UMockdevTestbed *testbed_ = nullptr;
};

TEST_F(DongleDevices, ListsOnlyTheMakersSerialOnACp210xBridge) {
    const auto found = dongle::attachedDongles();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].serial, "QEL-RT2856#0042");
    EXPECT_EQ(found[0].devnode, "/dev/ttyUSB0");
    EXPECT_EQ(dongle::dongleListNames(), std::vector<std::string>{"QEL-RT2856#0042 BT"});
}

TEST_F(DongleDevices, OpensTheListedDongleAndResetsIt) {
    NullSink sink;
    // Any letter case; the dongle gets the reset request as soon as it is open.
    auto transport = openDongleTransport("qel-rt2856#0042 BT", sink);
    ASSERT_TRUE(transport);
    const int device = umockdev_testbed_get_dev_fd(testbed_, "/dev/ttyUSB0");
    ASSERT_GE(device, 0);
    pollfd p{device, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 2000), 1);
    std::uint8_t got[32];
    const ssize_t n = read(device, got, sizeof got);
    EXPECT_EQ(std::vector<std::uint8_t>(got, got + std::max<ssize_t>(n, 0)),
              dongle::encodeFrame(dongle::kRequest, dongle::kReset, {}));
    // A name that is neither listed nor a serial line does not open.
    EXPECT_FALSE(openDongleTransport("QEL-RT2856#0099 BT", sink));
}

}  // namespace
}  // namespace orvex
