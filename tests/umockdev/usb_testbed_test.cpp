// The system paths of the USB readers under umockdev testbeds: libudev's
// enumeration of hidraw nodes and their HID parents, the report-descriptor
// ioctl on the node, and the driver state read from sysfs. The code under
// test is the production code; only the devices are made up. Runs under
// umockdev-wrapper (its preload redirects /sys and /dev to the testbed).
#include <gtest/gtest.h>

#include <linux/hidraw.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <umockdev.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <fstream>
#include <string>
#include <vector>

#include "sim/pty_reader.h"
#include "transport/ftdi_transport.h"
#include "transport/hid_device.h"
#include "transport/hid_transport.h"
#include "orvex/orvex.h"
#include "transport/usb_driver_state.h"

namespace orvex {
namespace {

// A vendor-page descriptor with 16-byte input and 32-byte output reports.
const std::vector<std::uint8_t> kDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75,
                                               0x08, 0x95, 0x10, 0x09, 0x01, 0x81, 0x02, 0x95,
                                               0x20, 0x09, 0x01, 0x91, 0x02, 0xC0};

class UsbTestbed : public ::testing::Test {
protected:
    void SetUp() override {
        testbed = umockdev_testbed_new();  // the preload answers only once a testbed exists
        if (!umockdev_in_mock_environment()) GTEST_SKIP() << "needs umockdev's preload (umockdev-wrapper)";
    }
    void TearDown() override {
        if (handler) g_object_unref(handler);
        if (terminalFd >= 0) ::close(terminalFd);
        if (testbed) g_object_unref(testbed);
    }

    // A USB device with a HID interface and its hidraw node /dev/hidrawN.
    std::string addHidReader(int n, const char *vendor, const char *product, const char *serial) {
        const std::string usbName = "1-" + std::to_string(n + 1);
        gchar *usb =
            umockdev_testbed_add_device(testbed, "usb", usbName.c_str(), nullptr, "idVendor", vendor,
                                        "idProduct", product, nullptr, "DEVTYPE", "usb_device", nullptr);
        const std::string hidId = std::string("0003:0000") + vendor + ":0000" + product;
        const std::string hidName =
            std::string("0003:") + vendor + ":" + product + "." + std::to_string(n + 1);
        gchar *hid = serial
                         ? umockdev_testbed_add_device(testbed, "hid", hidName.c_str(), usb, nullptr,
                                                       "HID_ID", hidId.c_str(), "HID_UNIQ", serial, nullptr)
                         : umockdev_testbed_add_device(testbed, "hid", hidName.c_str(), usb, nullptr,
                                                       "HID_ID", hidId.c_str(), nullptr);
        const std::string node = "/dev/hidraw" + std::to_string(n);
        const std::string rawName = "hidraw" + std::to_string(n);
        const std::string dev = "241:" + std::to_string(n);
        gchar *raw = umockdev_testbed_add_device(testbed, "hidraw", rawName.c_str(), hid, "dev", dev.c_str(),
                                                 nullptr, "DEVNAME", node.c_str(), nullptr);
        g_free(usb);
        g_free(hid);
        g_free(raw);
        // This umockdev records the node's numbers but leaves the file for
        // the preload to open to the test.
        gchar *root = umockdev_testbed_get_root_dir(testbed);
        ::close(::open((std::string(root) + node).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0666));
        g_free(root);
        return node;
    }

    // An FTDI reader: USB device, interface bound to ftdi_sio, usb-serial
    // port, tty /dev/ttyUSB0. Returns the usb-serial port's sysfs path.
    std::string addFtdiReader(const char *serial) {
        gchar *usb =
            umockdev_testbed_add_device(testbed, "usb", "3-1", nullptr, "idVendor", "0403", "idProduct",
                                        "6001", "serial", serial, nullptr, "DEVTYPE", "usb_device", nullptr);
        gchar *iface = umockdev_testbed_add_device(testbed, "usb", "3-1:1.0", usb, nullptr, "DEVTYPE",
                                                   "usb_interface", nullptr);
        umockdev_testbed_set_attribute_link(testbed, iface, "driver", "../../../../bus/usb/drivers/ftdi_sio");
        gchar *port = umockdev_testbed_add_device(testbed, "usb-serial", "ttyUSB0", iface, "latency_timer",
                                                  "16", nullptr, nullptr);
        gchar *tty = umockdev_testbed_add_device(testbed, "tty", "ttyUSB0", port, "dev", "188:0", nullptr,
                                                 "DEVNAME", "/dev/ttyUSB0", nullptr);
        const std::string portPath = port;
        for (gchar *p : {usb, iface, port, tty}) g_free(p);
        return portPath;
    }

    // The testbed's /dev/ttyUSB0 leads to the pseudo-terminal `slave`.
    void linkTtyTo(const std::string &slave) {
        gchar *root = umockdev_testbed_get_root_dir(testbed);
        const int linked = ::symlink(slave.c_str(), (std::string(root) + "/dev/ttyUSB0").c_str());
        g_free(root);
        ASSERT_EQ(linked, 0);
    }

    // The preload answers every ioctl on a node opened under /dev itself, so
    // the line settings would never reach the pseudo-terminal behind
    // /dev/ttyUSB0; this hands the terminal's ioctls to `terminalFd`, a
    // descriptor of that terminal opened before the testbed existed (the
    // settings belong to the terminal, not to a descriptor).
    void forwardTerminalIoctls() {
        handler = umockdev_ioctl_base_new();
        g_signal_connect(handler, "handle-ioctl", G_CALLBACK(onTerminalIoctl), &terminalFd);
        GError *error = nullptr;
        ASSERT_TRUE(umockdev_testbed_attach_ioctl(testbed, "/dev/ttyUSB0", handler, &error))
            << (error ? error->message : "");
    }

    static gboolean onTerminalIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer fdPointer) {
        const int fd = *static_cast<int *>(fdPointer);
        const gulong request = umockdev_ioctl_client_get_request(client);
        // The kernel's struct termios of TCGETS/TCSETS*; termios2 calls carry their size.
        constexpr std::size_t kKernelTermiosSize = 36;
        std::size_t size = _IOC_SIZE(request);
        if (request == TCGETS || request == TCSETS || request == TCSETSW || request == TCSETSF)
            size = kKernelTermiosSize;
        if (size == 0) {
            // Exclusive mode, modem lines, flushes: nothing the reader behind needs.
            umockdev_ioctl_client_complete(client, 0, 0);
            return TRUE;
        }
        GError *error = nullptr;
        UMockdevIoctlData *data =
            umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, &error);
        if (!data) return FALSE;
        const int result = ::ioctl(fd, request, data->data);
        umockdev_ioctl_client_complete(client, result, result == 0 ? 0 : errno);
        g_object_unref(data);
        return TRUE;
    }

    // The kernel's answers to the report-descriptor ioctls of `node`.
    void serveDescriptor(const std::string &node) {
        handler = umockdev_ioctl_base_new();
        g_signal_connect(handler, "handle-ioctl", G_CALLBACK(onIoctl), nullptr);
        GError *error = nullptr;
        ASSERT_TRUE(umockdev_testbed_attach_ioctl(testbed, node.c_str(), handler, &error))
            << (error ? error->message : "");
    }

    static gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer) {
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
        GError *error = nullptr;
        if (request == HIDIOCGRDESCSIZE) {
            UMockdevIoctlData *size = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), &error);
            if (!size) return FALSE;
            const int value = static_cast<int>(kDescriptor.size());
            std::memcpy(size->data, &value, sizeof value);
            umockdev_ioctl_client_complete(client, 0, 0);
            g_object_unref(size);
            return TRUE;
        }
        if (request == HIDIOCGRDESC) {
            UMockdevIoctlData *d =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(hidraw_report_descriptor), &error);
            if (!d) return FALSE;
            std::memcpy(d->data + sizeof(__u32), kDescriptor.data(), kDescriptor.size());
            umockdev_ioctl_client_complete(client, 0, 0);
            g_object_unref(d);
            return TRUE;
        }
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return TRUE;
    }

    UMockdevTestbed *testbed = nullptr;
    UMockdevIoctlBase *handler = nullptr;
    int terminalFd = -1;
};

TEST_F(UsbTestbed, HidrawReadersAreFoundThroughTheirHidParents) {
    addHidReader(0, "1209", "7301", "73011234");
    addHidReader(1, "046D", "C077", "1");         // a mouse: not on the acceptance list
    addHidReader(2, "16D0", "0E2B", nullptr);     // serial number not readable
    addHidReader(3, "1D50", "61A0", "73011234");  // the same serial number again

    const std::vector<HidDeviceInfo> devices = hidrawDevices();
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[0].node, "/dev/hidraw0");
    EXPECT_EQ(devices[0].vendorId, 0x1209);
    EXPECT_EQ(devices[0].productId, 0x7301);
    EXPECT_EQ(devices[0].serial, "73011234");
    EXPECT_FALSE(devices[2].serial);
    EXPECT_EQ(listHidReaders(), (std::vector<std::string>{"73011234 HID", "7305-???? HID"}));
}

TEST_F(UsbTestbed, ReportLengthsComeFromTheNodesDescriptor) {
    const std::string node = addHidReader(0, "1209", "7301", "73011234");
    serveDescriptor(node);
    const auto opened = openHidDevice(hidrawDevices().at(0));
    ASSERT_TRUE(opened) << std::strerror(errno);
    EXPECT_EQ(opened->lengths.input, 17);
    EXPECT_EQ(opened->lengths.output, 33);
    ::close(opened->fd);

    // A node whose descriptor cannot be read: the lengths of the readers of old.
    addHidReader(1, "1209", "7302", "73021234");
    const auto plain = openHidDevice(hidrawDevices().at(1));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->lengths.input, kDefaultHidReportLength);
    EXPECT_EQ(plain->lengths.output, kDefaultHidReportLength);
    ::close(plain->fd);
}

TEST_F(UsbTestbed, VirtualComDeviceWithoutDriver) {
    gchar *pairA =
        umockdev_testbed_add_device(testbed, "usb", "2-1", nullptr, "idVendor", "16d0", "idProduct", "0e2a",
                                    nullptr, "DEVTYPE", "usb_device", nullptr);
    gchar *iface = umockdev_testbed_add_device(testbed, "usb", "2-1:1.0", pairA, "bInterfaceClass", "02",
                                               nullptr, nullptr);
    EXPECT_EQ(usbDriverState("/sys"), kVirtualComReaderWithoutDriver);
    // With cdc_acm bound to its interface the reader is served.
    umockdev_testbed_set_attribute_link(testbed, iface, "driver", "../../../bus/usb/drivers/cdc_acm");
    EXPECT_EQ(usbDriverState("/sys"), 0);
    g_free(pairA);
    g_free(iface);
}

// Bytes the tty's reader thread delivers.
struct Collector : ByteSink {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::uint8_t> bytes;
    void receiveBytes(const std::uint8_t *d, std::size_t n) override {
        std::lock_guard lock(mutex);
        bytes.insert(bytes.end(), d, d + n);
        arrived.notify_all();
    }
    std::size_t waitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, std::chrono::seconds(2), [&] { return bytes.size() >= count; });
        return bytes.size();
    }
};

TEST_F(UsbTestbed, FtdiReadersAreTheirTtysUsbSerialNumbers) {
    const std::string port = addFtdiReader("73101234");
    // A virtual COM reader's tty (cdc_acm) is no FTDI reader.
    gchar *acm =
        umockdev_testbed_add_device(testbed, "usb", "4-1", nullptr, "idVendor", "16d0", "idProduct", "0e2a",
                                    "serial", "73009999", nullptr, "DEVTYPE", "usb_device", nullptr);
    gchar *acmIface = umockdev_testbed_add_device(testbed, "usb", "4-1:1.0", acm, nullptr, "DEVTYPE",
                                                  "usb_interface", nullptr);
    umockdev_testbed_set_attribute_link(testbed, acmIface, "driver", "../../../../bus/usb/drivers/cdc_acm");
    gchar *acmTty = umockdev_testbed_add_device(testbed, "tty", "ttyACM0", acmIface, "dev", "166:0", nullptr,
                                                "DEVNAME", "/dev/ttyACM0", nullptr);

    EXPECT_EQ(listFtdiReaders(), std::vector<std::string>{"73101234"});
    char list[256];
    const int used = Orvex_ListUsbDevices(list, sizeof list);
    EXPECT_EQ(std::string(list, static_cast<std::size_t>(used)), std::string("73101234\0\0", 10));

    // The node leads to a pseudo-terminal; the test plays the reader on its master side.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
    linkTtyTo(::ptsname(master));

    // Another program holding the tty open takes the reader off the list.
    EXPECT_EQ(listFtdiReaders(), std::vector<std::string>{"73101234"});
    const int elsewhere = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(elsewhere, 0);
    EXPECT_TRUE(listFtdiReaders().empty());
    ::close(elsewhere);
    EXPECT_EQ(listFtdiReaders(), std::vector<std::string>{"73101234"});

    // Opened by serial number through its tty, as an FTDI port, with the short latency.
    Collector sink;
    auto transport = openFtdiTransport("73101234", LineSettings{}, sink);
    ASSERT_TRUE(transport);
    EXPECT_EQ(transport->kind(), TransportKind::Ftdi);
    std::ifstream latency(port + "/latency_timer");
    std::string value;
    latency >> value;
    EXPECT_EQ(value, "2");
    const std::uint8_t request[] = {0x02, 0x01, 0xF0, 0x00, 0xF1};
    ASSERT_TRUE(transport->send(request, sizeof request));
    std::uint8_t seen[16];
    pollfd p{master, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_EQ(::read(master, seen, sizeof seen), static_cast<ssize_t>(sizeof request));
    // A text line: under the preload the termios2 calls do not reach the
    // pseudo-terminal, which stays in canonical mode.
    const std::uint8_t answer[] = {'1', '2', '4', '5', '\n'};
    ASSERT_EQ(::write(master, answer, sizeof answer), static_cast<ssize_t>(sizeof answer));
    EXPECT_EQ(sink.waitFor(sizeof answer), sizeof answer);
    // So does our own open port.
    EXPECT_TRUE(listFtdiReaders().empty());
    transport->close();
    ::close(master);
    EXPECT_EQ(openFtdiTransport("73109999", LineSettings{}, sink), nullptr);
    for (gchar *p : {acm, acmIface, acmTty}) g_free(p);
}

// A simulated reader on a pseudo-terminal made before the testbed, so that
// its own descriptors stay outside the preload's reach.
class FtdiReaderTestbed : public UsbTestbed {
protected:
    void SetUp() override {
        sim::Options options;
        options.versionAnswer = "1245";
        options.variant = 0;
        options.baud = 19200;
        reader.emplace(options);
        terminalFd = ::open(reader->slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(terminalFd, 0);
        UsbTestbed::SetUp();
    }
    std::optional<sim::PtyReader> reader;
};

TEST_F(FtdiReaderTestbed, IdentifiedBySerialNumberThroughItsTty) {
    addFtdiReader("73101234");
    linkTtyTo(reader->slavePath());
    // The reader answers only when the host's line matches its own.
    forwardTerminalIoctls();

    const int handle = Orvex_OpenPort("73101234", 19200, 1000);
    ASSERT_GT(handle, 0);
    char version[8] = {};
    EXPECT_EQ(Orvex_ReadVersion(handle, version, sizeof version), 4);
    EXPECT_STREQ(version, "1245");
    EXPECT_EQ(Orvex_ClosePort(handle), 0);
}

}  // namespace
}  // namespace orvex
