#include "app/usb_mode_switch.h"

#include "app/interface_settings.h"
#include "app/reader_identity.h"
#include "app/string_table.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {

constexpr int kSwitchBaud = 19200;
constexpr int kSwitchTimeoutMs = 100;

bool SwitchMode(const std::string &sdkName, int mode) {
    const int handle = Orvex_OpenPort(sdkName.c_str(), kSwitchBaud, kSwitchTimeoutMs);
    if (handle <= 0) return false;
    const bool ok = Orvex_SetUsbMode(handle, mode) == 0;
    if (ok) Orvex_Restart(handle, 0, 0);
    Orvex_ClosePort(handle);
    return ok;
}

}  // namespace

std::string DriverCheckQuestion(int driverState) {
    if (driverState == 0) return {};
    const StringTable &st = StringTable::instance();
    std::string text;
    if (driverState & 1) text += st.text(10133) + "\n";
    if (driverState & 2) text += st.text(10134) + "\n";
    return text + st.text(10135) + "\n";
}

std::string VirtualComDriverQuestion() {
    const StringTable &st = StringTable::instance();
    return st.text(10134) + "\n" + st.text(10135) + "\n";
}

std::string DriverDownloadPage() { return StringTable::instance().text(10132); }

bool IsQelVirtualComPort(std::string_view listText) {
    const bool comName = listText.starts_with("COM") || listText.starts_with("/dev/");
    const auto pos = listText.find(" [Qel Virtual COM");
    return comName && listText.size() > 3 && pos != std::string_view::npos && pos > 0;
}

bool SwitchVirtualComToHid(std::string_view listText) {
    if (!IsQelVirtualComPort(listText)) return false;
    // The list text carries the port's description after the device path.
    return SwitchMode(std::string(listText.substr(0, listText.find(" ["))), 1);
}

bool SwitchHidToVirtualCom(std::string_view listText) {
    if (!IsSwitchableUsbReader(listText)) return false;
    std::string_view name = listText;
    name.remove_prefix(UsbPrefix.size());
    return SwitchMode(std::string(name), 2);
}

}  // namespace orvex::app
