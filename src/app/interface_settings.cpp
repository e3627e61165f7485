#include "app/interface_settings.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "app/settings_store.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {

// Size of the list buffers the enumerations fill.
constexpr int kListBufferSize = 2500;

std::vector<std::string> listFrom(int (*list)(char *, int)) {
    std::vector<char> buffer(kListBufferSize, '\0');
    const int used = list(buffer.data(), kListBufferSize);
    return splitListBuffer(buffer.data(), used);
}

std::vector<std::string> call(const std::function<std::vector<std::string>()> &f) {
    return f ? f() : std::vector<std::string>{};
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool contains(const std::vector<std::string> &list, std::string_view entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}

// A device kind whose stored entry must be present: a vanished device moves
// the name to the first present one of the same kind, or clears it.
void resolveAgainst(SettingsStore &store, PortSettings &ps, std::string_view prefix,
                    const std::function<std::vector<std::string>()> &list, bool keepNamedPort,
                    PortKind kind) {
    ps.kind = kind;
    if (keepNamedPort) return;
    const std::vector<std::string> present = call(list);
    if (present.empty()) {
        ps.name.clear();
        store.set(settings::PortName, ps.name);
        ps.kind = PortKind::Serial;
        return;
    }
    if (!contains(present, stripKindPrefix(ps.name))) {
        ps.name = std::string(prefix) + present.front();
        store.set(settings::PortName, ps.name);
    }
}

constexpr std::string_view kDeviceNamespace = "\\\\.\\";

constexpr std::string_view kArticlePrefixes[] = {
    "6401-", "6402-", "6403-", "6404-", "6405-", "6406-", "6407-", "6408-",
    "6409-", "6410-", "6411-", "6412-", "6413-", "6414-", "6415-",
};

bool containsAfterStart(std::string_view text, std::string_view part) {
    const auto pos = text.find(part);
    return pos != std::string_view::npos && pos > 0;
}

}  // namespace

std::vector<std::string> splitListBuffer(const char *buffer, int used) {
    std::vector<std::string> entries;
    if (!buffer) return entries;
    int pos = 0;
    while (pos < used && buffer[pos] != '\0') {
        std::string entry(buffer + pos);
        pos += static_cast<int>(entry.size()) + 1;
        entries.push_back(std::move(entry));
    }
    return entries;
}

DeviceListProviders systemDeviceLists() {
    DeviceListProviders p;
    p.comPorts = [] { return listFrom(Orvex_ListComPorts); };
    p.usbDevices = [] { return listFrom(Orvex_ListUsbDevices); };
    p.bluetoothDongles = [] { return listFrom(Orvex_BtListDongles); };
    p.lanDevices = [] { return listFrom(Orvex_LanSearch); };
    p.lanCheck = [](const std::string &address) { return Orvex_LanCheck(address.c_str()) == 1; };
    return p;
}

PortSettings loadPortSettings(SettingsStore &store, const DeviceListProviders &devices) {
    PortSettings ps;
    ps.name = store.portNameOrDefault();
    ps.baudValue = store.get(settings::PortBaudrate);
    ps.timeoutMs = store.get(settings::PortTimeoutDialog);
    ps.ethernet = store.get(settings::PortEthernet) != 0;
    ps.address = store.get(settings::PortAddress);

    const std::string_view bare = stripKindPrefix(ps.name);
    if (startsWith(ps.name, UsbPrefix)) {
        resolveAgainst(store, ps, UsbPrefix, devices.usbDevices, devices.keepNamedPort, PortKind::Usb);
    } else if (startsWith(ps.name, LanPrefix) && ps.ethernet) {
        if (devices.lanCheck && devices.lanCheck(std::string(bare)))
            ps.kind = PortKind::Lan;
        else
            resolveAgainst(store, ps, LanPrefix, devices.lanDevices, devices.keepNamedPort, PortKind::Lan);
    } else if (startsWith(ps.name, BluetoothPrefix)) {
        // A dongle on a named serial line ("/dev/ttyUSB0 BT", "COM3 BT") is not
        // listed; it is taken as it is.
        if (startsWith(bare, "/dev/") || startsWith(bare, "COM") || startsWith(bare, kDeviceNamespace))
            ps.kind = PortKind::Bluetooth;
        else
            resolveAgainst(store, ps, BluetoothPrefix, devices.bluetoothDongles, devices.keepNamedPort,
                           PortKind::Bluetooth);
    } else {
        ps.kind = PortKind::Serial;
    }
    return ps;
}

DeviceLists enumerateDevices(const DeviceListProviders &devices, bool ethernet) {
    DeviceLists lists;
    lists.com = call(devices.comPorts);
    lists.usb = call(devices.usbDevices);
    if (ethernet) lists.lan = call(devices.lanDevices);
    lists.bluetooth = call(devices.bluetoothDongles);
    return lists;
}

std::vector<std::string> interfaceListTexts(const DeviceLists &lists) {
    std::vector<std::string> texts;
    for (const auto &port : lists.com)
        texts.push_back(startsWith(port, kDeviceNamespace) ? port.substr(kDeviceNamespace.size()) : port);
    for (const auto &d : lists.usb) texts.push_back(std::string(UsbPrefix) + d);
    for (const auto &d : lists.lan) texts.push_back(std::string(LanPrefix) + d);
    for (const auto &d : lists.bluetooth) texts.push_back(std::string(BluetoothPrefix) + d);
    return texts;
}

std::optional<std::size_t> selectByPrefix(const std::vector<std::string> &texts, std::string_view name) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string &t = texts[i];
        if (t.size() < name.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k)
            same = std::tolower(static_cast<unsigned char>(t[k])) ==
                   std::tolower(static_cast<unsigned char>(name[k]));
        if (same) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> initialSelection(const std::vector<std::string> &texts, std::string &portName) {
    if (auto i = selectByPrefix(texts, portName)) return i;
    if (texts.size() == 1) {
        portName = texts.front();
        return 0;
    }
    portName.clear();
    return std::nullopt;
}

LineCombos lineCombosFromBaudValue(int baudValue) {
    LineCombos c;
    c.rate = baudValue - baudValue % 100;
    switch (baudValue % 100) {
        case 1:
            c.parity = 1;
            break;
        case 2:
            c.parity = 2;
            break;
        case 3:
            c.stopBits = 1;
            break;
        default:
            break;
    }
    return c;
}

int baudValueFromLineCombos(const LineCombos &c) {
    int code = 0;
    if (c.parity == 1 || c.parity == 2)
        code = c.parity;
    else if (c.stopBits == 1)
        code = 3;
    return c.rate + code;
}

bool storePortSettings(SettingsStore &store, const PortSettings &ps) {
    if (ps.timeoutMs < TimeoutMin || ps.timeoutMs > TimeoutMax) return false;
    if (ps.address < AddressMin || ps.address > AddressMax) return false;
    // A store that cannot be written (a directory or FIFO in its place, no
    // permission) must not pass for stored settings.
    bool ok = ps.name.empty() || store.set(settings::PortName, ps.name);
    ok = ok && store.set(settings::PortBaudrate, ps.baudValue);
    ok = ok && store.set(settings::PortTimeoutDialog, ps.timeoutMs);
    ok = ok && store.set(settings::PortAddress, ps.address);
    ok = ok && store.set(settings::PortEthernet, ps.ethernet ? 1 : 0);
    return ok;
}

bool isSwitchableUsbReader(std::string_view name) {
    if (!startsWith(name, UsbPrefix) || !containsAfterStart(name, " HID")) return false;
    return std::any_of(std::begin(kArticlePrefixes), std::end(kArticlePrefixes),
                       [&](std::string_view p) { return containsAfterStart(name, p); });
}

UsbModeRadios usbModeRadiosFor(std::string_view name) {
    UsbModeRadios r;
    if (isSwitchableUsbReader(name)) {
        r.hidEnabled = r.hidChecked = r.vcomEnabled = true;
    } else if ((startsWith(name, "COM") || startsWith(name, "/dev/")) && name.size() > 3 &&
               containsAfterStart(name, " [Qel Virtual COM")) {
        r.hidEnabled = r.vcomEnabled = r.vcomChecked = true;
    }
    return r;
}

}  // namespace orvex::app
