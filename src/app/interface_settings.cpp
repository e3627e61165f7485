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

std::vector<std::string> ListFrom(int (*list)(char *, int)) {
    std::vector<char> buffer(kListBufferSize, '\0');
    const int used = list(buffer.data(), kListBufferSize);
    return SplitListBuffer(buffer.data(), used);
}

std::vector<std::string> Call(const std::function<std::vector<std::string>()> &f) {
    return f ? f() : std::vector<std::string>{};
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool Contains(const std::vector<std::string> &list, std::string_view entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}

// A device kind whose stored entry must be present: a vanished device moves
// the name to the first present one of the same kind, or clears it.
void ResolveAgainst(SettingsStore &store, PortSettings &ps, std::string_view prefix,
                    const std::vector<std::string> &present, PortKind kind) {
    if (present.empty()) {
        ps.name.clear();
        store.Set(settings::PortName, ps.name);
        ps.kind = PortKind::Serial;
        return;
    }
    if (!Contains(present, StripKindPrefix(ps.name))) {
        ps.name = std::string(prefix) + present.front();
        store.Set(settings::PortName, ps.name);
    }
    ps.kind = kind;
}

constexpr std::string_view kDeviceNamespace = "\\\\.\\";

constexpr std::string_view kArticlePrefixes[] = {
    "6401-", "6402-", "6403-", "6404-", "6405-", "6406-", "6407-", "6408-",
    "6409-", "6410-", "6411-", "6412-", "6413-", "6414-", "6415-",
};

bool ContainsAfterStart(std::string_view text, std::string_view part) {
    const auto pos = text.find(part);
    return pos != std::string_view::npos && pos > 0;
}

}  // namespace

std::vector<std::string> SplitListBuffer(const char *buffer, int used) {
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

DeviceListProviders SystemDeviceLists() {
    DeviceListProviders p;
    p.comPorts = [] { return ListFrom(Orvex_ListComPorts); };
    p.usbDevices = [] { return ListFrom(Orvex_ListUsbDevices); };
    p.bluetoothDongles = [] { return ListFrom(Orvex_BtListDongles); };
    p.lanDevices = [] { return ListFrom(Orvex_LanSearch); };
    p.lanCheck = [](const std::string &address) { return Orvex_LanCheck(address.c_str()) == 1; };
    return p;
}

PortSettings LoadPortSettings(SettingsStore &store, const DeviceListProviders &devices) {
    PortSettings ps;
    ps.name = store.PortNameOrDefault();
    ps.baudValue = store.Get(settings::PortBaudrate);
    ps.timeoutMs = store.Get(settings::PortTimeoutDialog);
    ps.ethernet = store.Get(settings::PortEthernet) != 0;
    ps.address = store.Get(settings::PortAddress);

    const std::string_view bare = StripKindPrefix(ps.name);
    if (StartsWith(ps.name, UsbPrefix)) {
        ResolveAgainst(store, ps, UsbPrefix, Call(devices.usbDevices), PortKind::Usb);
    } else if (StartsWith(ps.name, LanPrefix) && ps.ethernet) {
        if (devices.lanCheck && devices.lanCheck(std::string(bare)))
            ps.kind = PortKind::Lan;
        else
            ResolveAgainst(store, ps, LanPrefix, Call(devices.lanDevices), PortKind::Lan);
    } else if (StartsWith(ps.name, BluetoothPrefix)) {
        ResolveAgainst(store, ps, BluetoothPrefix, Call(devices.bluetoothDongles), PortKind::Bluetooth);
    } else {
        ps.kind = PortKind::Serial;
    }
    return ps;
}

DeviceLists EnumerateDevices(const DeviceListProviders &devices, bool ethernet) {
    DeviceLists lists;
    lists.com = Call(devices.comPorts);
    lists.usb = Call(devices.usbDevices);
    if (ethernet) lists.lan = Call(devices.lanDevices);
    lists.bluetooth = Call(devices.bluetoothDongles);
    return lists;
}

std::vector<std::string> InterfaceListTexts(const DeviceLists &lists) {
    std::vector<std::string> texts;
    for (const auto &port : lists.com)
        texts.push_back(StartsWith(port, kDeviceNamespace) ? port.substr(kDeviceNamespace.size()) : port);
    for (const auto &d : lists.usb) texts.push_back(std::string(UsbPrefix) + d);
    for (const auto &d : lists.lan) texts.push_back(std::string(LanPrefix) + d);
    for (const auto &d : lists.bluetooth) texts.push_back(std::string(BluetoothPrefix) + d);
    return texts;
}

std::optional<std::size_t> SelectByPrefix(const std::vector<std::string> &texts, std::string_view name) {
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

std::optional<std::size_t> InitialSelection(const std::vector<std::string> &texts, std::string &portName) {
    if (auto i = SelectByPrefix(texts, portName)) return i;
    if (texts.size() == 1) {
        portName = texts.front();
        return 0;
    }
    portName.clear();
    return std::nullopt;
}

LineCombos LineCombosFromBaudValue(int baudValue) {
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

int BaudValueFromLineCombos(const LineCombos &c) {
    int code = 0;
    if (c.parity == 1 || c.parity == 2)
        code = c.parity;
    else if (c.stopBits == 1)
        code = 3;
    return c.rate + code;
}

bool StorePortSettings(SettingsStore &store, const PortSettings &ps) {
    if (ps.timeoutMs < TimeoutMin || ps.timeoutMs > TimeoutMax) return false;
    if (ps.address < AddressMin || ps.address > AddressMax) return false;
    // A store that cannot be written (a directory or FIFO in its place, no
    // permission) must not pass for stored settings.
    bool ok = ps.name.empty() || store.Set(settings::PortName, ps.name);
    ok = ok && store.Set(settings::PortBaudrate, ps.baudValue);
    ok = ok && store.Set(settings::PortTimeoutDialog, ps.timeoutMs);
    ok = ok && store.Set(settings::PortAddress, ps.address);
    ok = ok && store.Set(settings::PortEthernet, ps.ethernet ? 1 : 0);
    return ok;
}

bool IsSwitchableUsbReader(std::string_view name) {
    if (!StartsWith(name, UsbPrefix) || !ContainsAfterStart(name, " HID")) return false;
    return std::any_of(std::begin(kArticlePrefixes), std::end(kArticlePrefixes),
                       [&](std::string_view p) { return ContainsAfterStart(name, p); });
}

UsbModeRadios UsbModeRadiosFor(std::string_view name) {
    UsbModeRadios r;
    if (IsSwitchableUsbReader(name)) {
        r.hidEnabled = r.hidChecked = r.vcomEnabled = true;
    } else if ((StartsWith(name, "COM") || StartsWith(name, "/dev/")) && name.size() > 3 &&
               ContainsAfterStart(name, " [Qel Virtual COM")) {
        r.hidEnabled = r.vcomEnabled = r.vcomChecked = true;
    }
    return r;
}

}  // namespace orvex::app
