// The interface settings of section "Port" and how the stored port name is
// matched against the devices present: the loader the interface dialog runs
// at creation (the connect routine runs it alone), the list texts, the line
// settings combos and the dialog's OK. The dialog's widgets live in the GUI.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/reader_identity.h"

namespace orvex::app {

class SettingsStore;

// Enumerations behind the four device lists, injectable for tests. An empty
// function counts as an empty list (or a failed reachability check).
struct DeviceListProviders {
    std::function<std::vector<std::string>()> comPorts;          // Orvex_ListComPorts
    std::function<std::vector<std::string>()> usbDevices;        // Orvex_ListUsbDevices
    std::function<std::vector<std::string>()> lanDevices;        // Orvex_LanSearch
    std::function<std::vector<std::string>()> bluetoothDongles;  // Orvex_BtListDongles
    std::function<bool(const std::string &address)> lanCheck;    // Orvex_LanCheck
    // The port was named for this run (orvexctl --port): a device that is not
    // present is not replaced by another one; its open fails and says so.
    bool keepNamedPort = false;
};

// The system's lists through the SDK.
DeviceListProviders systemDeviceLists();

// Entries of an SDK list buffer (NUL-terminated entries, one more NUL).
std::vector<std::string> splitListBuffer(const char *buffer, int used);

struct PortSettings {
    std::string name;       // stored port name with kind prefix
    int baudValue = 19200;  // rate plus line code in the last two digits
    int timeoutMs = 300;
    bool ethernet = false;
    int address = 1;
    PortKind kind = PortKind::Serial;
};

// The loader: reads the five keys and resolves the name against the present
// devices, rewriting "Port"/"Name" where the stored device is gone.
PortSettings loadPortSettings(SettingsStore &store, const DeviceListProviders &devices);

// Device lists as the dialog keeps them.
struct DeviceLists {
    std::vector<std::string> com, usb, lan, bluetooth;
};
DeviceLists enumerateDevices(const DeviceListProviders &devices, bool ethernet);

// List box texts in order: COM ports without a leading "\\.\", then
// "USB: ", "LAN: " and "Bluetooth: " entries.
std::vector<std::string> interfaceListTexts(const DeviceLists &lists);

// Index of the first text that begins with name (letters compared without
// case); nullopt when none does.
std::optional<std::size_t> selectByPrefix(const std::vector<std::string> &texts, std::string_view name);

// The selection at dialog start: the prefix match; else the only item (which
// becomes the port name); else none and the port name becomes empty.
std::optional<std::size_t> initialSelection(const std::vector<std::string> &texts, std::string &portName);

// Line settings combos: rate text, parity index (0 "keine", 1 "gerade",
// 2 "ungerade"), stop bits index (0 "1", 1 "2").
struct LineCombos {
    int rate = 19200;
    int parity = 0;
    int stopBits = 0;
};
LineCombos lineCombosFromBaudValue(int baudValue);
// Parity wins over two stop bits: "gerade" + "2" gives code 1.
int baudValueFromLineCombos(const LineCombos &combos);

// Rates the baud combos offer.
inline constexpr int BaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};

// Validation ranges of the dialog.
inline constexpr int TimeoutMin = 10, TimeoutMax = 300000;
inline constexpr int AddressMin = 1, AddressMax = 255;

// The dialog's OK: stores "Name" (when given), "Baudrate", "Timeout",
// "Adresse" and "EthernetAktiv". False with nothing stored when the timeout
// or address is out of range; false also when the store cannot be written.
bool storePortSettings(SettingsStore &store, const PortSettings &settings);

// USB mode radios of the dialog for a port name.
struct UsbModeRadios {
    bool hidEnabled = false, hidChecked = false;
    bool vcomEnabled = false, vcomChecked = false;
};
UsbModeRadios usbModeRadiosFor(std::string_view portName);
// "USB: " + " HID" + an article prefix 6401- ... 6415-.
bool isSwitchableUsbReader(std::string_view portName);

}  // namespace orvex::app
