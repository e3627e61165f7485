#include "app/bluetooth_devices.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/reader_identity.h"
#include "app/settings_store.h"
#include "orvex/orvex.h"

namespace orvex::app {

namespace {
constexpr std::string_view kReaderMarker = "RT2851#";
constexpr std::string_view kOlderReaderMarker = "RT2850#";
constexpr int kNameBytes = kBtRecordSize - 6;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string btAddressText(const BtAddress &a) {
    char text[13];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    return text;
}

std::optional<BtAddress> parseBtAddressText(std::string_view text) {
    if (text.size() != 12) return std::nullopt;
    BtAddress a;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int high = hexDigit(text[2 * i]), low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        a[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return a;
}

std::uint64_t btAddressNumber(const BtAddress &a) {
    std::uint64_t n = 0;
    for (std::size_t i = a.size(); i-- > 0;) n = n << 8 | a[i];
    return n;
}

BtAddress btAddressFromNumber(std::uint64_t n) {
    BtAddress a;
    for (auto &byte : a) {
        byte = static_cast<std::uint8_t>(n & 0xFF);
        n >>= 8;
    }
    return a;
}

std::vector<BtDevice> parseInquiryRecords(const unsigned char *records, int length) {
    std::vector<BtDevice> devices;
    for (int at = 0; records && at + kBtRecordSize <= length; at += kBtRecordSize) {
        BtDevice d;
        std::memcpy(d.address.data(), records + at, d.address.size());
        const char *name = reinterpret_cast<const char *>(records + at + 6);
        d.name.assign(name, strnlen(name, kNameBytes));
        devices.push_back(std::move(d));
    }
    return devices;
}

bool isListedReaderName(std::string_view name) {
    return name.find(kReaderMarker) != std::string_view::npos &&
           name.find(kOlderReaderMarker) == std::string_view::npos;
}

std::optional<BtDevice> rememberedReader(const SettingsStore &settings) {
    const std::string text = settings.get(settings::BluetoothLastAddress);
    if (text.empty() || text.size() > 20) return std::nullopt;
    std::uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number == 0 || number >> 48) return std::nullopt;
    return BtDevice{btAddressFromNumber(number), settings.get(settings::BluetoothLastName)};
}

void rememberReader(SettingsStore &settings, const BtDevice &device) {
    settings.set(settings::BluetoothLastAddress, std::to_string(btAddressNumber(device.address)));
    settings.set(settings::BluetoothLastName, device.name);
}

std::optional<std::vector<BtDevice>> searchBtDevices(int handle, int seconds, int capacity) {
    std::vector<unsigned char> records(static_cast<std::size_t>(capacity) * kBtRecordSize);
    const int length =
        Orvex_BtInquiry(handle, records.data(), static_cast<int>(records.size()), seconds * 1000, 0);
    if (length < 0) return std::nullopt;
    return parseInquiryRecords(records.data(), length);
}

int connectBtDevice(int handle, const BtAddress &address) {
    if (Orvex_BtConnect(handle, address.data(), kBtRemoteChannel, kBtConnectTimeoutMs) == 1) return 0;
    return Orvex_GetLastError(handle);
}

std::optional<std::string> btRemoteName(int handle, const BtAddress &address) {
    char name[kNameBytes + 1] = {};
    if (Orvex_BtRemoteName(handle, address.data(), name, sizeof name, kBtNameTimeoutMs) <= 0)
        return std::nullopt;
    return std::string(name);
}

std::string withBluetoothPrefix(const std::string &portName) {
    constexpr std::string_view kDongleSuffix = " BT";
    const bool dongle =
        portName.size() > kDongleSuffix.size() &&
        portName.compare(portName.size() - kDongleSuffix.size(), kDongleSuffix.size(), kDongleSuffix) == 0;
    if (!dongle || stripKindPrefix(portName) != portName) return portName;
    return std::string(BluetoothPrefix) + portName;
}

std::string btConnectErrorText(int error) {
    return error == ORVEX_ERR_BT_TIMEOUT ? "no answer" : "link status " + std::to_string(error);
}

DonglePort openStoredDongle(SettingsStore &settings, const DeviceListProviders &devices) {
    const PortSettings ps = loadPortSettings(settings, devices);
    if (ps.kind != PortKind::Bluetooth) return {};
    const std::string sdkName = buildSdkPortName(ps.name, ps.address);
    const int handle = Orvex_OpenPort(sdkName.c_str(), 19200, settings.get(settings::PortTimeoutConnect));
    return {true, handle > 0 ? handle : 0, handle == ORVEX_OPEN_FAILED && errno == EBUSY};
}

}  // namespace orvex::app
