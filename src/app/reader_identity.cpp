#include "app/reader_identity.h"

#include <array>
#include <cstdio>
#include <vector>

#include "app/string_table.h"

namespace orvex::app {

namespace {

struct Threshold {
    unsigned minDigit;
    CapabilityFlags bits;
};

struct TypeCapabilityRow {
    std::array<unsigned, 8> codes;  // 0 ends the list
    CapabilityFlags base;
    std::vector<Threshold> byVersion;
};

// Type-dependent bits (CAP_IDENTIFIED included), with the firmware versions
// that add further features.
const std::vector<TypeCapabilityRow> &typeCapabilityTable() {
    static const std::vector<TypeCapabilityRow> table = {
        {{0x122, 0x123, 0x124, 0x125, 0x134, 0x135, 0x154, 0x155}, CAP_IDENTIFIED, {}},
        {{0x144, 0x145}, CAP_IDENTIFIED, {{1, CAP_POWER_ON_MODE}}},
        {{0x184, 0x185}, CAP_IDENTIFIED | CAP_POWER_ON_MODE, {}},
        {{0x164, 0x165},
         CAP_IDENTIFIED | CAP_MIFARE,
         {{2, CAP_SENSOR_OUTPUT},
          {3, CAP_POWER_ON_MODE},
          {7, CAP_USED_BYTES},
          {8, CAP_DECIMAL_NO_ZEROS},
          {9, CAP_BIT_REVERSE | CAP_TWO_DATA_BLOCKS},
          {14, CAP_ICODE1},
          {26, CAP_DESFIRE},
          {29, CAP_ASCII_NO_NUL},
          {30, CAP_BLOCK_SEQUENCE}}},
        {{0x194, 0x195},
         CAP_IDENTIFIED | CAP_MIFARE | CAP_POWER_ON_MODE | CAP_USED_BYTES | CAP_BIT_REVERSE |
             CAP_DECIMAL_NO_ZEROS | CAP_TWO_DATA_BLOCKS,
         {{6, CAP_DESFIRE}}},
        {{0x404, 0x405},
         CAP_IDENTIFIED | CAP_MIFARE | CAP_DESFIRE | CAP_POWER_ON_MODE | CAP_USED_BYTES | CAP_BIT_REVERSE |
             CAP_DECIMAL_NO_ZEROS | CAP_TWO_DATA_BLOCKS,
         {}},
        {{0x414, 0x415},
         CAP_IDENTIFIED | CAP_MIFARE | CAP_DESFIRE | CAP_POWER_ON_MODE | CAP_USED_BYTES | CAP_BIT_REVERSE |
             CAP_DECIMAL_NO_ZEROS | CAP_TWO_DATA_BLOCKS | CAP_ASCII_NO_NUL | CAP_BLOCK_SEQUENCE |
             CAP_TX_POWER,
         {{1, CAP_FACTORY_RESET}}},
        {{0x434, 0x435},
         CAP_IDENTIFIED | CAP_MIFARE | CAP_DESFIRE | CAP_SENSOR_OUTPUT | CAP_POWER_ON_MODE | CAP_USED_BYTES |
             CAP_BIT_REVERSE | CAP_DECIMAL_NO_ZEROS | CAP_TWO_DATA_BLOCKS | CAP_ASCII_NO_NUL |
             CAP_BLOCK_SEQUENCE | CAP_SILENT_READER_MODE | CAP_EXTENDED | CAP_FACTORY_RESET,
         {}},
        {{0x454, 0x455},
         CAP_IDENTIFIED | CAP_MIFARE | CAP_DESFIRE | CAP_SENSOR_OUTPUT | CAP_POWER_ON_MODE | CAP_USED_BYTES |
             CAP_BIT_REVERSE | CAP_DECIMAL_NO_ZEROS | CAP_TWO_DATA_BLOCKS | CAP_ASCII_NO_NUL |
             CAP_BLOCK_SEQUENCE | CAP_EXTENDED,
         {{4, CAP_FACTORY_RESET}, {10, CAP_SILENT_READER_MODE}, {19, CAP_LEFT_ALIGN}}},
    };
    return table;
}

const TypeCapabilityRow *rowFor(unsigned typeCode) {
    for (const auto &row : typeCapabilityTable())
        for (unsigned code : row.codes)
            if (code != 0 && code == typeCode) return &row;
    return nullptr;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Contained at a position after the start.
bool containsAfterStart(std::string_view text, std::string_view part) {
    const auto pos = text.find(part);
    return pos != std::string_view::npos && pos > 0;
}

}  // namespace

unsigned versionDigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 10);
    return 255;
}

unsigned identityDigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 36);
    return 0;
}

std::optional<VersionAnswer> parseVersionAnswer(std::string_view answer) {
    if (answer.size() != 4) return std::nullopt;
    VersionAnswer v{};
    unsigned code = 0;
    for (int i = 0; i < 3; ++i) {
        const int d = hexDigit(answer[i]);
        if (d < 0) return std::nullopt;
        code = code * 16 + static_cast<unsigned>(d);
    }
    for (int i = 0; i < 4; ++i) v.text[i] = answer[i];
    v.typeCode = code;
    v.digitValue = versionDigitValue(answer[3]);
    return v;
}

bool isSupportedType(unsigned typeCode) { return rowFor(typeCode) != nullptr; }

CapabilityFlags typeCapabilities(unsigned typeCode, unsigned digitValue) {
    const auto *row = rowFor(typeCode);
    if (!row) return 0;
    CapabilityFlags flags = row->base;
    for (const auto &t : row->byVersion)
        if (digitValue >= t.minDigit) flags |= t.bits;
    return flags;
}

bool isKeyboardWedgeAnswer(const VersionAnswer &answer) {
    const auto byte2 = static_cast<unsigned char>(answer.text[2]);
    return (byte2 & 0x2) != 0 && (byte2 & 0x4) == 0;
}

bool isMakersVirtualComPort(std::string_view name) {
    if (!(startsWith(name, "COM") || startsWith(name, "/dev/")) || name.size() <= 3) return false;
    return containsAfterStart(name, " [Qel Virtual COM") || containsAfterStart(name, " [Brix Virtual COM");
}

PortKind portKindOf(std::string_view name, bool ethernetOn) {
    if (startsWith(name, UsbPrefix)) return PortKind::Usb;
    if (startsWith(name, LanPrefix) && ethernetOn) return PortKind::Lan;
    if (startsWith(name, BluetoothPrefix)) return PortKind::Bluetooth;
    return PortKind::Serial;
}

std::string_view stripKindPrefix(std::string_view name) {
    for (auto prefix : {UsbPrefix, LanPrefix, BluetoothPrefix})
        if (startsWith(name, prefix)) return name.substr(prefix.size());
    return name;
}

std::string buildSdkPortName(std::string_view storedName, int address) {
    std::string out(stripKindPrefix(storedName));
    out += ':';
    out += std::to_string(address);
    return out;
}

CapabilityFlags computeCapabilityFlags(const VersionAnswer &answer, PortKind kind,
                                       std::string_view storedName) {
    CapabilityFlags flags = isKeyboardWedgeAnswer(answer) ? CAP_PS2 : 0;
    if (kind != PortKind::Usb && kind != PortKind::Lan && !isMakersVirtualComPort(storedName))
        flags |= CAP_PLAIN_SERIAL;
    flags |= typeCapabilities(answer.typeCode, answer.digitValue);
    if (storedName.find("HID") != std::string_view::npos) flags |= CAP_HID;
    if (kind == PortKind::Lan) flags |= CAP_LAN;
    if (kind == PortKind::Bluetooth) flags |= CAP_BLUETOOTH;
    return flags;
}

std::string productVersionString() {
#ifdef ORVEX_VERSION
    const std::string_view version = ORVEX_VERSION;
#else
    const std::string_view version;
#endif
    if (version.empty() || version.size() >= 20) return "1.xx";
    return std::string(version);
}

std::string successTitle(std::string_view base, std::string_view programVersion, std::string_view modelName,
                         bool usbPort, std::string_view sdkPortName, unsigned digitValue) {
    std::string title(base);
    title += " V";
    title += programVersion;
    title += " <";
    title += modelName;
    title += ' ';
    if (usbPort) title += "USB:";
    title += sdkPortName;
    title += "  ";
    title += StringTable::instance().format(533, 1, digitValue);
    title += '>';
    return title;
}

DeviceIdentity makeDeviceIdentity(std::string_view versionAnswer, std::string_view modelName) {
    DeviceIdentity id;
    id.modelName = std::string(modelName);
    id.typeCodeText = std::string(versionAnswer.substr(0, 3));
    const unsigned digit = versionAnswer.size() > 3 ? identityDigitValue(versionAnswer[3]) : 0;
    char text[16];
    std::snprintf(text, sizeof text, "1.%02u", digit);
    id.versionText = text;
    return id;
}

}  // namespace orvex::app
