#include "sim/reader_state.h"

#include <charconv>
#include <cstdio>
#include <functional>

#include "sim/ini_file.h"

namespace orvex::sim {
namespace {

constexpr std::uint8_t kNoBlock = 0xFF;
const Bytes kEmptySequence = {0xFF};

// Serial readers whose data-format block is longer than the basic 12 bytes: 13 bytes with
// the used-bytes range, 16 with a second data set. First matching row wins.
struct DataBlockSize {
    int typeCode;
    int minVersionDigit;
    std::size_t length;
};
constexpr DataBlockSize kDataBlockSizes[] = {
    {0x164, 9, 16}, {0x165, 9, 16}, {0x164, 7, 13}, {0x165, 7, 13}, {0x194, 0, 16},
    {0x195, 0, 16}, {0x404, 0, 16}, {0x405, 0, 16}, {0x414, 0, 16}, {0x415, 0, 16},
    {0x434, 0, 16}, {0x435, 0, 16}, {0x454, 0, 16}, {0x455, 0, 16},
};

// Bluetooth readers keep their standby time (10 s units) in the device settings; the others
// the transmit power (valid flag, half-power bits).
constexpr int kBluetoothTypes[] = {0x151, 0x154, 0x155};

std::size_t serialDataBlockLength(int typeCode, int digit) {
    for (const auto &row : kDataBlockSizes)
        if (row.typeCode == typeCode && digit >= row.minVersionDigit) return row.length;
    return 12;
}

// One data set: ISO 15693 UID, hexadecimal, 10 characters, bytes 1-5.
Bytes factorySerialData(std::size_t length) {
    Bytes image = {0x00, 0x00, kNoBlock, kNoBlock, kNoBlock, kNoBlock, kNoBlock, 0x00,
                   10,   0x00, 0x00,     5,        1,        0x00,     0x00,     0x00};
    image.resize(length);
    return image;
}

// UID, hexadecimal, 10 characters; 5.0 ms delay, 10 kHz, 180 ms timeout.
Bytes factoryWedgeData() {
    return {10, 0x00, kNoBlock, kNoBlock, kNoBlock, kNoBlock, kNoBlock, 0x00, 10, 5, 5};
}

std::optional<int> parseInt(const std::string &text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// The [Blocks] fields as data: key name and member.
struct BytesField {
    const char *key;
    Bytes ReaderState::*member;
};
constexpr BytesField kBytesFields[] = {
    {"Data", &ReaderState::data},
    {"Prefix", &ReaderState::prefix},
    {"Suffix", &ReaderState::suffix},
    {"Separator", &ReaderState::separator},
    {"Removal", &ReaderState::removal},
    {"Parameter", &ReaderState::parameter},
    {"DeviceSettings", &ReaderState::deviceSettings},
};
struct IntField {
    const char *key;
    int ReaderState::*member;
};
constexpr IntField kBlockIntFields[] = {
    {"Option", &ReaderState::option},   {"PowerOn", &ReaderState::powerOn},
    {"Dtr", &ReaderState::dtr},         {"OutputMode", &ReaderState::outputMode},
    {"UsbMode", &ReaderState::usbMode}, {"Relay", &ReaderState::relay},
    {"Buzzer", &ReaderState::buzzer},
};
constexpr IntField kReaderIntFields[] = {
    {"Variant", &ReaderState::variant},
    {"Address", &ReaderState::address},
    {"Baud", &ReaderState::baud},
};
constexpr const char *kKeyPrefix = "Key";
// Written only once it differs from the factory table, so most state files stay short.
constexpr const char *kKeyTableKey = "KeyTable";

}  // namespace

int typeCodeOf(const std::string &version) {
    if (version.size() < 3) return 0;
    int value = 0;
    auto [end, ec] = std::from_chars(version.data(), version.data() + 3, value, 16);
    return (ec == std::errc() && end == version.data() + 3) ? value : 0;
}

int versionDigitOf(const std::string &version) {
    if (version.size() < 4) return 255;
    char c = version[3];
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    return 255;
}

bool isWedgeType(int typeCode) {
    int kind = typeCode & 0xF;
    return kind == 2 || kind == 3;
}

ReaderState factoryState(const ReaderState &identity) {
    ReaderState s;
    s.version = identity.version;
    s.variant = identity.variant;
    s.address = identity.address;
    s.baud = identity.baud;
    s.relay = identity.relay;
    s.buzzer = identity.buzzer;

    int type = typeCodeOf(s.version);
    s.data = isWedgeType(type) ? factoryWedgeData()
                               : factorySerialData(serialDataBlockLength(type, versionDigitOf(s.version)));
    s.prefix = s.suffix = s.separator = s.removal = kEmptySequence;
    s.parameter = {0x00, 10, '?', 5};  // mode 0, cycle 1000 ms, request "?", timeout 500 ms
    bool bluetooth = false;
    for (int t : kBluetoothTypes) bluetooth = bluetooth || t == type;
    s.deviceSettings = bluetooth ? Bytes{30} : Bytes{0x01, 0x00};
    s.keyTable = factoryKeyTable();
    return s;
}

void factoryReset(ReaderState &state) { state = factoryState(state); }

void applyIdentity(ReaderState &state, const IdentityOverride &override) {
    if (override.version) state.version = *override.version;
    if (override.variant) state.variant = *override.variant;
    if (override.address) state.address = *override.address;
    if (override.baud) state.baud = *override.baud;
}

std::string hexBytes(const Bytes &bytes) {
    std::string out;
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

std::optional<Bytes> parseHexBytes(const std::string &text) {
    Bytes out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        unsigned value = 0;
        auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value, 16);
        std::size_t digits = static_cast<std::size_t>(end - (text.data() + i));
        if (ec != std::errc() || digits == 0 || digits > 2) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(value));
        i += digits;
    }
    return out;
}

std::string stateToText(const ReaderState &state) { return stateToIni(state).toText(); }

IniFile stateToIni(const ReaderState &state) {
    IniFile ini;
    ini.set("Reader", "Version", state.version);
    for (const auto &f : kReaderIntFields) ini.set("Reader", f.key, std::to_string(state.*f.member));
    for (const auto &f : kBytesFields) ini.set("Blocks", f.key, hexBytes(state.*f.member));
    for (const auto &f : kBlockIntFields) ini.set("Blocks", f.key, std::to_string(state.*f.member));
    for (const auto &[selector, key] : state.keys)
        ini.set("Blocks", kKeyPrefix + std::to_string(selector), hexBytes(key));
    if (state.keyTable != factoryKeyTable()) ini.set("Blocks", kKeyTableKey, hexBytes(state.keyTable));
    return ini;
}

std::optional<ReaderState> stateFromText(const std::string &text, const IdentityOverride &override,
                                         std::string *error) {
    auto fail = [&](const std::string &why) -> std::optional<ReaderState> {
        if (error) *error = why;
        return std::nullopt;
    };
    std::string why;
    auto ini = IniFile::parse(text, &why);
    if (!ini) return fail(why);

    ReaderState identity;
    if (auto v = ini->get("Reader", "Version")) identity.version = *v;
    for (const auto &f : kReaderIntFields)
        if (auto v = ini->get("Reader", f.key)) {
            auto n = parseInt(*v);
            if (!n) return fail(std::string("[Reader] ") + f.key + ": not a number: " + *v);
            identity.*f.member = *n;
        }
    applyIdentity(identity, override);
    if (identity.variant < 0 || identity.variant > 3) return fail("[Reader] Variant must be 0..3");

    ReaderState state = factoryState(identity);
    for (const auto &f : kBytesFields)
        if (auto v = ini->get("Blocks", f.key)) {
            auto bytes = parseHexBytes(*v);
            if (!bytes) return fail(std::string("[Blocks] ") + f.key + ": not hex bytes: " + *v);
            state.*f.member = *bytes;
        }
    for (const auto &f : kBlockIntFields)
        if (auto v = ini->get("Blocks", f.key)) {
            auto n = parseInt(*v);
            if (!n) return fail(std::string("[Blocks] ") + f.key + ": not a number: " + *v);
            state.*f.member = *n;
        }
    if (auto v = ini->get("Blocks", kKeyTableKey)) {
        auto bytes = parseHexBytes(*v);
        if (!bytes || bytes->size() != state.keyTable.size())
            return fail(std::string("[Blocks] ") + kKeyTableKey + ": not " +
                        std::to_string(state.keyTable.size()) + " hex bytes");
        state.keyTable = *bytes;
    }
    for (const std::string &key : ini->keys("Blocks")) {
        if (key.rfind(kKeyPrefix, 0) != 0) continue;
        auto selector = parseInt(key.substr(3));
        if (!selector) continue;  // "KeyTable" and other names are not transponder keys
        auto bytes = parseHexBytes(*ini->get("Blocks", key));
        if (!bytes) return fail("[Blocks] " + key + ": not hex bytes");
        state.keys[*selector] = *bytes;
    }
    return state;
}

}  // namespace orvex::sim
