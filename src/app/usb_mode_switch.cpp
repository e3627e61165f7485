#include "app/usb_mode_switch.h"

#include "app/interface_settings.h"
#include "app/reader_identity.h"
#include "app/string_table.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {

constexpr int kSwitchBaud = 19200;
constexpr int kSwitchTimeoutMs = 100;

bool switchMode(const std::string &sdkName, int mode) {
    const int handle = Orvex_OpenPort(sdkName.c_str(), kSwitchBaud, kSwitchTimeoutMs);
    if (handle <= 0) return false;
    return switchUsbModeAndClose(handle, mode);
}

}  // namespace

bool switchUsbModeAndClose(int handle, int mode) {
    const bool ok = Orvex_SetUsbMode(handle, mode) == 0;
    if (ok) Orvex_Restart(handle, 0, 0);
    Orvex_ClosePort(handle);
    return ok;
}

std::string driverCheckQuestion(int driverState) {
    if (driverState == 0) return {};
    const StringTable &st = StringTable::instance();
    std::string text;
    if (driverState & 1) text += st.text(10133) + "\n";
    if (driverState & 2) text += st.text(10134) + "\n";
    return text + st.text(10135) + "\n";
}

std::string virtualComDriverQuestion() {
    const StringTable &st = StringTable::instance();
    return st.text(10134) + "\n" + st.text(10135) + "\n";
}

std::string driverDownloadPage() { return StringTable::instance().text(10132); }

bool isQelVirtualComPort(std::string_view listText) {
    const bool comName = listText.starts_with("COM") || listText.starts_with("/dev/");
    const auto pos = listText.find(" [Qel Virtual COM");
    return comName && listText.size() > 3 && pos != std::string_view::npos && pos > 0;
}

bool offersUsbModeSwitch(std::string_view portName, const std::vector<std::string> &comPorts) {
    std::string listText(portName);
    if (portName.ends_with(" HID") && !portName.starts_with(UsbPrefix))
        listText = std::string(UsbPrefix) + listText;
    for (const std::string &entry : comPorts)
        if (std::string_view(entry).substr(0, entry.find(" [")) == portName) listText = entry;
    return usbModeRadiosFor(listText).vcomEnabled;
}

bool switchVirtualComToHid(std::string_view listText) {
    if (!isQelVirtualComPort(listText)) return false;
    // The list text carries the port's description after the device path.
    return switchMode(std::string(listText.substr(0, listText.find(" ["))), 1);
}

bool switchHidToVirtualCom(std::string_view listText) {
    if (!isSwitchableUsbReader(listText)) return false;
    std::string_view name = listText;
    name.remove_prefix(UsbPrefix.size());
    return switchMode(std::string(name), 2);
}

}  // namespace orvex::app
