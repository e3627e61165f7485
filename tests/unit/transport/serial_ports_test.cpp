// Serial port list entries: labels from the USB description and
// identifiers, and the order by port number.
#include <gtest/gtest.h>

#include "transport/serial_enum.h"

using namespace orvex;

TEST(SerialPortEntry, LabelRules) {
    struct Case {
        SerialPortInfo port;
        const char *expected;
    } cases[] = {
        {{"/dev/ttyACM0", "Qel RFID Reader", "", 0x1234, 0x5678}, "/dev/ttyACM0 [Qel RFID Reader]"},
        {{"/dev/ttyACM1", "Brix Virtual COM", "", -1, -1}, "/dev/ttyACM1 [Brix Virtual COM]"},
        {{"/dev/ttyACM2", "USB Serial", "Qel Virtual COM", 0x1234, 0x5678}, "/dev/ttyACM2 [Qel Virtual COM]"},
        {{"/dev/ttyACM3", "USB Serial", "CDC", kVirtualComVendorId, kVirtualComProductId},
         "/dev/ttyACM3 [Qel Virtual COM]"},
        {{"/dev/ttyACM4", "USB Serial", "CDC", kVirtualComVendorId, 0x0001}, "/dev/ttyACM4"},
        {{"/dev/ttyUSB0", "qel lower case", "", -1, -1}, "/dev/ttyUSB0"},
        {{"/dev/ttyS0", "", "", -1, -1}, "/dev/ttyS0"},
    };
    for (const auto &c : cases) EXPECT_EQ(serialPortEntry(c.port), c.expected) << c.port.path;
}

TEST(SerialPortEntry, OrderedByPortNumber) {
    const auto entries = serialPortEntries({
        {"/dev/ttyUSB12", "", "", -1, -1},
        {"/dev/ttyUSB3", "", "", -1, -1},
        {"/dev/ttyACM0", "Qel Reader", "", -1, -1},
        {"/dev/ttyUSB7", "", "", -1, -1},
        {"COM12", "", "", -1, -1},
        {"COM3", "", "", -1, -1},
    });
    EXPECT_EQ(entries, (std::vector<std::string>{"/dev/ttyACM0 [Qel Reader]", "/dev/ttyUSB3", "/dev/ttyUSB7",
                                                 "/dev/ttyUSB12", "COM3", "COM12"}));
}
