// Everything a simulated reader remembers: identity, link settings, configuration blocks,
// and the counters of raw relay/buzzer bytes the host sent it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/ini_file.h"
#include "sim/key_table.h"

namespace orvex::sim {

using Bytes = std::vector<std::uint8_t>;

struct ReaderState {
    // [Reader]
    std::string version = "1245";
    int variant = 0;
    int address = 1;
    int baud = 19200;

    // [Blocks]
    Bytes data;    // data-format block (0x81 / 0x89)
    Bytes prefix;  // key or character sequences, each ending in 0xFF
    Bytes suffix;
    Bytes separator;
    Bytes removal;
    Bytes parameter;            // 4-byte parameter block (0x86 / 0x8E)
    Bytes deviceSettings;       // 0xF9 / 0xFA
    int option = 3;             // ISO 15693 option byte (0x24)
    int powerOn = 1;            // power-on mode: 0 programming, 1 reading, 3 reading without output
    int dtr = 0;                // 1 = reader mode only while the interface is open
    int outputMode = 2;         // current output mode (0xF4)
    int usbMode = 2;            // 1 HID keyboard, 2 virtual COM
    std::map<int, Bytes> keys;  // transponder keys by selector byte (0x80)
    KeyTable keyTable;          // character -> key of USB keyboard mode (0x11 / 0x12)
    int relay = 0;              // raw DC1/DC3 bytes received
    int buzzer = 0;             // raw BEL bytes received

    bool operator==(const ReaderState &) const = default;
};

// Type code from the first three characters of a version answer (0 when not hexadecimal).
int typeCodeOf(const std::string &version);
// Version digit value: 0-9, A-Z and a-z as 10-35; 255 for anything else.
int versionDigitOf(const std::string &version);
// Keyboard-wedge readers are the types whose last hex digit is 2 or 3.
bool isWedgeType(int typeCode);

// The blocks of a factory-fresh reader of the version's type; identity and link fields
// are taken from `identity`.
ReaderState factoryState(const ReaderState &identity);
// Restores every [Blocks] value to factory, keeping identity, link and counters.
void factoryReset(ReaderState &state);

// Identity and link values that override the ones of a state file.
struct IdentityOverride {
    std::optional<std::string> version;
    std::optional<int> variant;
    std::optional<int> address;
    std::optional<int> baud;
};

// Applies the set fields of `override` to `state`.
void applyIdentity(ReaderState &state, const IdentityOverride &override);

// INI form of the state ("[Reader]" and "[Blocks]" sections).
IniFile stateToIni(const ReaderState &state);
std::string stateToText(const ReaderState &state);
// Reads INI text: the identity from "[Reader]" (then `override`), the factory blocks of
// that identity, then every "[Blocks]" key present. nullopt with a reason for malformed
// text or values.
std::optional<ReaderState> stateFromText(const std::string &text, const IdentityOverride &override = {},
                                         std::string *error = nullptr);

// "01 AB FF" <-> bytes; nullopt for anything but hex byte pairs separated by blanks.
std::string hexBytes(const Bytes &bytes);
std::optional<Bytes> parseHexBytes(const std::string &text);

}  // namespace orvex::sim
