// Port names, model names, list buffers.
#include <gtest/gtest.h>

#include "link/list_buffer.h"
#include "link/model_table.h"
#include "link/port_name.h"

namespace orvex {
namespace {

TEST(PortName, ClassesAddressesAndDevices) {
    struct Case {
        const char *text;
        PortClass portClass;
        const char *name;
        int address;
        const char *device;
    };
    const Case cases[] = {
        {"COM3:5", PortClass::SystemSerial, "COM3", 5, "/dev/ttyS2"},
        {"COM3", PortClass::SystemSerial, "COM3", 1, "/dev/ttyS2"},
        {"COM3:", PortClass::SystemSerial, "COM3:", 1, "/dev/ttyS2"},
        {"com7", PortClass::SystemSerial, "com7", 1, "/dev/ttyS6"},
        {"\\\\.\\COM7", PortClass::SystemSerial, "\\\\.\\COM7", 1, "/dev/ttyS6"},
        {"COM7xyz", PortClass::SystemSerial, "COM7xyz", 1, "/dev/ttyS6"},
        {"COM12", PortClass::SystemSerial, "COM12", 1, "/dev/ttyS11"},
        {"COM0", PortClass::Ftdi, "COM0", 1, "COM0"},
        {"ABC123", PortClass::Ftdi, "ABC123", 1, "ABC123"},
        {"ABC123:3", PortClass::Ftdi, "ABC123", 3, "ABC123"},
        {"/dev/ttyUSB0", PortClass::SystemSerial, "/dev/ttyUSB0", 1, "/dev/ttyUSB0"},
        {"/dev/pts/4:12", PortClass::SystemSerial, "/dev/pts/4", 12, "/dev/pts/4"},
        {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.2:1.0-port0", PortClass::SystemSerial,
         "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.2:1.0-port0", 1,
         "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.2:1.0-port0"},
        {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.2:1.0-port0:2", PortClass::SystemSerial,
         "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.2:1.0-port0", 2,
         "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.2:1.0-port0"},
        {"/dev/serial/by-id/usb-Qel_BT_HID-if00", PortClass::SystemSerial,
         "/dev/serial/by-id/usb-Qel_BT_HID-if00", 1, "/dev/serial/by-id/usb-Qel_BT_HID-if00"},
        {"192.168.0.10", PortClass::Lan, "192.168.0.10", 1, ""},
        {"192.168.0.10-10002", PortClass::Lan, "192.168.0.10-10002", 1, ""},
        {"[00204A123456]-10001", PortClass::Lan, "[00204A123456]-10001", 1, ""},
        {".1.2.3", PortClass::Ftdi, ".1.2.3", 1, ".1.2.3"},
        {"0815 HID", PortClass::Hid, "0815 HID", 1, ""},
        {"4711 BT", PortClass::Dongle, "4711 BT", 1, ""},
        {"4711 BTW", PortClass::RejectedDongle, "4711 BTW", 1, ""},
    };
    for (const auto &c : cases) {
        const PortName p = parsePortName(c.text);
        EXPECT_EQ(p.portClass, c.portClass) << c.text;
        EXPECT_EQ(p.name, c.name) << c.text;
        EXPECT_EQ(p.busAddress, c.address) << c.text;
        if (*c.device) {
            EXPECT_EQ(p.device, c.device) << c.text;
        }
    }
}

TEST(PortName, OnlySystemSerialNamesKeepTheirBaud) {
    EXPECT_TRUE(keepsBaudArgument("COM4"));
    EXPECT_TRUE(keepsBaudArgument("\\\\.\\COM4"));
    EXPECT_TRUE(keepsBaudArgument("/dev/pts/3"));
    EXPECT_FALSE(keepsBaudArgument("FT12345"));
    EXPECT_FALSE(keepsBaudArgument("10.0.0.1"));
}

TEST(ModelTable, NamesAndFallback) {
    EXPECT_EQ(modelTable().size(), 36u);
    const std::pair<std::uint32_t, const char *> cases[] = {
        {0x124, "Alder-4"},    {0x184, "Birch-4"},        {0x134, "Birch-4"},    {0x117, "Larch"},
        {0x455, "Juniper-5"},  {0x435, "Maple HF"},       {0x12A, "Orvex-#12A"}, {0x000, "Orvex-#000"},
        {0x2AB, "Orvex-#2AB"}, {0x1ABCD, "Orvex-#1ABCD"},
    };
    for (const auto &[code, name] : cases) EXPECT_EQ(modelName(code), name) << code;
}

TEST(ListBuffer, EntriesOnlyWhenTheyFit) {
    char buffer[12];
    EXPECT_EQ(fillListBuffer(buffer, 1, {"abc"}), 1);
    EXPECT_EQ(buffer[0], '\0');
    // "abc\0" + "de\0" + final NUL = 8; "toolong\0" would need 8 more.
    EXPECT_EQ(fillListBuffer(buffer, 10, {"abc", "toolong", "de"}), 8);
    EXPECT_EQ(std::string(buffer, 8), std::string("abc\0de\0\0", 8));
    EXPECT_EQ(fillListBuffer(buffer, 5, {"abc"}), 5);
    EXPECT_EQ(fillListBuffer(buffer, 4, {"abc"}), 1);
    EXPECT_EQ(fillListBuffer(nullptr, 4, {"abc"}), 0);
}

}  // namespace
}  // namespace orvex
