// What kind of link an entry of the interface list names, for lists that
// show it (orvexctl interfaces).
#pragma once

#include <string>
#include <string_view>

namespace orvex::app {

enum class InterfaceKind {
    SerialPort,
    VirtualComReader,
    UsbKeyboardReader,
    FtdiReader,
    LanReader,
    BluetoothDongle
};

// By the entry's prefix and text: "USB: … HID" a reader in USB keyboard
// mode, other "USB: " entries FTDI readers, "… [Qel Virtual COM]" the
// maker's virtual COM port.
InterfaceKind interfaceKind(std::string_view listText);
// The kind in the current language.
std::string interfaceKindText(InterfaceKind kind);

}  // namespace orvex::app
