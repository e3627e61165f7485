// Bluetooth readers as the application sees them: device addresses in their
// text and number forms, the records an inquiry returns, the name markers of
// the maker's readers, the reader remembered in the settings, and the search
// and link set-up on an open dongle handle.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/interface_settings.h"

namespace orvex::app {

class SettingsStore;

using BtAddress = std::array<std::uint8_t, 6>;  // in the order the dongle reports it

struct BtDevice {
    BtAddress address{};
    std::string name;
};

inline constexpr int kBtRecordSize = 38;  // 6 address bytes, 32 name bytes (NUL-padded)
inline constexpr int kBtRemoteChannel = 1;
inline constexpr int kBtConnectTimeoutMs = 3000;
inline constexpr int kBtSearchSeconds = 20;
inline constexpr int kBtNameTimeoutMs = 5000;

// 12 uppercase hex digits, the bytes in reported order.
std::string btAddressText(const BtAddress &address);
// The inverse; nullopt unless exactly 12 hex digits.
std::optional<BtAddress> parseBtAddressText(std::string_view text);

// The address as a number: little-endian 48-bit (the first byte least significant).
std::uint64_t btAddressNumber(const BtAddress &address);
BtAddress btAddressFromNumber(std::uint64_t number);

// Whole records only; a remainder shorter than a record is ignored.
std::vector<BtDevice> parseInquiryRecords(const unsigned char *records, int length);

// The maker's readers: "RT2851#" in the name and no "RT2850#".
bool isListedReaderName(std::string_view name);

// "Bluetooth"/"LastDevAddr" (decimal number; 0, empty or not a number: none)
// and "LastDevName".
std::optional<BtDevice> rememberedReader(const SettingsStore &settings);
void rememberReader(SettingsStore &settings, const BtDevice &device);

// One inquiry of `seconds` without class filter into room for `capacity`
// records; nullopt when the dongle did not answer in time.
std::optional<std::vector<BtDevice>> searchBtDevices(int handle, int seconds, int capacity);

// Link set-up on remote channel 1 within 3 s; 0 connected, else the link's
// error code (1: no answer).
int connectBtDevice(int handle, const BtAddress &address);

// The name the device tells through the dongle (remote name request within
// kBtNameTimeoutMs); nullopt when it tells none or the dongle did not answer.
std::optional<std::string> btRemoteName(int handle, const BtAddress &address);

// A port name given without kind prefix that names a dongle ("/dev/pts/7 BT",
// "SERIAL BT") gets the "Bluetooth: " prefix; any other name stays as it is.
std::string withBluetoothPrefix(const std::string &portName);

// What a failed link set-up reports: "no answer" (error 1) or "link status N".
std::string btConnectErrorText(int error);

// The stored port opened as a dongle, no reader linked yet. isBluetooth is
// false when the stored port is of another kind; handle 0 when it cannot be
// opened, busy when another program holds it.
struct DonglePort {
    bool isBluetooth = false;
    int handle = 0;
    bool busy = false;
};
DonglePort openStoredDongle(SettingsStore &settings, const DeviceListProviders &devices);

}  // namespace orvex::app
