#include "app/interface_kind.h"

#include "app/reader_identity.h"
#include "app/string_table.h"

namespace orvex::app {
namespace {

struct KindNames {
    InterfaceKind kind;
    const char *text;  // string-table name
};

constexpr KindNames kKinds[] = {
    {InterfaceKind::SerialPort, "interface.kind.serial"},
    {InterfaceKind::VirtualComReader, "interface.kind.vcom"},
    {InterfaceKind::UsbKeyboardReader, "interface.kind.hid"},
    {InterfaceKind::FtdiReader, "interface.kind.ftdi"},
    {InterfaceKind::LanReader, "interface.kind.lan"},
    {InterfaceKind::BluetoothDongle, "interface.kind.bluetooth"},
};

}  // namespace

InterfaceKind interfaceKind(std::string_view text) {
    if (text.starts_with(UsbPrefix))
        return text.find(" HID") != std::string_view::npos ? InterfaceKind::UsbKeyboardReader
                                                           : InterfaceKind::FtdiReader;
    if (text.starts_with(LanPrefix)) return InterfaceKind::LanReader;
    if (text.starts_with(BluetoothPrefix)) return InterfaceKind::BluetoothDongle;
    if (text.find(" [Qel Virtual COM") != std::string_view::npos ||
        text.find(" [Brix Virtual COM") != std::string_view::npos)
        return InterfaceKind::VirtualComReader;
    return InterfaceKind::SerialPort;
}

std::string interfaceKindText(InterfaceKind kind) {
    return StringTable::instance().text(kKinds[static_cast<int>(kind)].text);
}

}  // namespace orvex::app
