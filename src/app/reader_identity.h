// What a reader's four-character version answer tells: type code, version
// digit, whether the program supports it, and the capability flags every
// dialog adapts to; plus the texts built from it (window title, About box).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/capabilities.h"

namespace orvex::app {

// How the stored port reaches the reader (from the kind prefix of "Port"/"Name").
enum class PortKind { Serial, Usb, Lan, Bluetooth };

// Kind prefixes of stored port names.
inline constexpr std::string_view UsbPrefix = "USB: ";
inline constexpr std::string_view LanPrefix = "LAN: ";
inline constexpr std::string_view BluetoothPrefix = "Bluetooth: ";

struct VersionAnswer {
    char text[4];         // as read: three hex digits of type code, one version digit
    unsigned typeCode;    // bytes 0-2 read as hexadecimal
    unsigned digitValue;  // versionDigitValue(text[3])
};

// "0"-"9" 0-9, "A"-"Z" and "a"-"z" 10-35, anything else 255.
unsigned versionDigitValue(char c);
// The About box's reading of the same byte: "a"-"z" give 36-61, anything
// else that is no digit or capital 0.
unsigned identityDigitValue(char c);

// Parses exactly four bytes; nullopt for another length or a type code that
// is not three hexadecimal digits.
std::optional<VersionAnswer> parseVersionAnswer(std::string_view answer);

// Type codes the configuration utility can configure.
bool isSupportedType(unsigned typeCode);

// Type-dependent capability bits (CAP_IDENTIFIED included); 0 for an
// unsupported type. digitValue is compared unsigned, so 255 passes every
// threshold.
CapabilityFlags typeCapabilities(unsigned typeCode, unsigned digitValue);

// Byte 2 of the answer has bit 1 set and bit 2 clear: a keyboard-wedge reader.
bool isKeyboardWedgeAnswer(const VersionAnswer &answer);

// A name starting with "COM" (or "/dev/"), longer than three characters, with
// " [Qel Virtual COM" or " [Brix Virtual COM" after its start.
bool isMakersVirtualComPort(std::string_view storedName);

// Kind from the stored name's prefix; "LAN: " counts only with Ethernet on.
PortKind portKindOf(std::string_view storedName, bool ethernetOn);

// The stored name without its kind prefix, ":" and the address ("COM3" + 1
// gives "COM3:1"; "LAN: 192.168.1.20" + 1 gives "192.168.1.20:1").
std::string buildSdkPortName(std::string_view storedName, int address);

// The stored name without its kind prefix (unchanged without one).
std::string_view stripKindPrefix(std::string_view storedName);

// The whole flags word of an identified reader on this port.
CapabilityFlags computeCapabilityFlags(const VersionAnswer &answer, PortKind kind,
                                       std::string_view storedName);

// Program version text of the title and About box ("1.xx" when unknown).
std::string productVersionString();

// Title after a successful identification:
// "<base> V<program> <<model> [USB:]<sdk port>  FW V1.<dd>>".
std::string successTitle(std::string_view base, std::string_view programVersion, std::string_view modelName,
                         bool usbPort, std::string_view sdkPortName, unsigned digitValue);

// What the About box and the device update check know of the last reader.
struct DeviceIdentity {
    std::string modelName;     // empty until a reader was identified
    std::string typeCodeText;  // first three characters of the answer
    std::string versionText;   // "1.%02d" of identityDigitValue
};
DeviceIdentity makeDeviceIdentity(std::string_view versionAnswer, std::string_view modelName);

}  // namespace orvex::app
