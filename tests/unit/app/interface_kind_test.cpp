// The kind of an interface list entry.
#include <gtest/gtest.h>

#include "app/interface_kind.h"

namespace orvex::app {
namespace {

TEST(InterfaceKind, ByPrefixAndLabel) {
    struct Case {
        const char *entry;
        InterfaceKind kind;
    } cases[] = {
        {"/dev/ttyS0", InterfaceKind::SerialPort},
        {"/dev/ttyACM0 [Qel Virtual COM]", InterfaceKind::VirtualComReader},
        {"COM9 [Brix Virtual COM]", InterfaceKind::VirtualComReader},
        {"/dev/ttyUSB0 [Qel Alder]", InterfaceKind::SerialPort},
        {"USB: 73011234 HID", InterfaceKind::UsbKeyboardReader},
        {"USB: 73101234", InterfaceKind::FtdiReader},
        {"LAN: 192.168.0.7", InterfaceKind::LanReader},
        {"Bluetooth: 7320-0001 BT", InterfaceKind::BluetoothDongle},
    };
    for (const auto &c : cases) EXPECT_EQ(interfaceKind(c.entry), c.kind) << c.entry;
}

}  // namespace
}  // namespace orvex::app
