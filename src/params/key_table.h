// The key table of readers in USB keyboard (HID) mode: for each PC scan code
// (set 1, 0-127) the characters the key types alone, with Shift and with
// AltGr; the map between HID keyboard usages and scan codes of the 48 keys
// that take part; comparison with the host layout; the 16-bit key codes of
// the reader's HID commands 0x11 (query) and 0x12 (set).
#pragma once

#include "base/keyboard_layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvex::app {

struct KeyEntry {
    std::uint8_t normal = 0;  // printable ASCII 0x21-0x7E, 0 = none
    std::uint8_t shift = 0;
    std::uint8_t altGr = 0;
    bool operator==(const KeyEntry &) const = default;
};

struct KeyTable {
    std::array<KeyEntry, 128> keys{};
    bool operator==(const KeyTable &) const = default;
};

inline constexpr std::uint8_t kFirstKeyChar = 0x21;
inline constexpr std::uint8_t kLastKeyChar = 0x7E;
constexpr bool isKeyTableChar(unsigned c) { return c >= kFirstKeyChar && c <= kLastKeyChar; }

// Modifier bits of a key code's high byte.
inline constexpr std::uint8_t kLeftShiftModifier = 0x02;
inline constexpr std::uint8_t kAnyShiftModifiers = 0x22;
inline constexpr std::uint8_t kRightAltModifier = 0x40;  // AltGr

struct KeyMapEntry {
    std::uint8_t usage;  // HID keyboard page usage ID
    std::uint8_t scan;   // PC scan code, set 1
};

// The 48 keys of the main block, in the row order of the drawn keyboard.
std::span<const KeyMapEntry> keyMap();
std::optional<std::uint8_t> scanCodeForUsage(std::uint8_t usage);
// 0 when the scan code has no key in the map.
std::uint8_t usageForScanCode(std::uint8_t scan);

// The table of the host's keyboard layout: Shift characters in the shift
// slot, Ctrl+Alt (AltGr) characters in the AltGr slot.
KeyTable hostKeyTable(const KeyboardLayout &layout = hostKeyboardLayout());

// Unequal character pairs at the keys of the map. When debugTexts is given,
// one text per difference: "N%03d(%c %c) ", "S…" or "A…" (slot, scan code,
// the two characters).
int countLayoutDifferences(const KeyTable &a, const KeyTable &b,
                           std::vector<std::string> *debugTexts = nullptr);

// Keys of the map (by scan code) whose normal, shift or AltGr character
// differs between the two tables: the keys the drawn keyboard marks.
std::vector<std::uint8_t> differingKeys(const KeyTable &a, const KeyTable &b);
// Keys per row of the drawn keyboard, in keyMap() order.
inline constexpr std::array<int, 4> kKeyboardRows{13, 13, 11, 11};
// The layout question after the reader's table was read: asked when the
// tables differ and the warning is on.
inline bool askLayoutQuestion(int differences, bool warningOn) { return differences > 0 && warningOn; }

// Modifier byte * 256 + HID usage of the first key (ascending scan code;
// normal, then shift, then AltGr) that types ch; 0 when none does (a key
// outside the map gives just its modifier).
std::uint16_t keyCodeForChar(const KeyTable &table, std::uint8_t ch);

// Stores ch by a reader's answer to query 0x11 ch (byte 2 modifiers, byte 3
// usage). Answers under 4 bytes, "not on the keyboard" (FF FF) and usages
// without a key are ignored; returns whether ch was stored.
bool applyKeyQueryAnswer(KeyTable &table, std::uint8_t ch, std::span<const std::uint8_t> answer);

// Data of command 0x12: character, key code high byte, low byte.
std::array<std::uint8_t, 3> keySetData(std::uint8_t ch, std::uint16_t keyCode);

// The 0x12 commands that make a reader whose table reads as `reader` type
// what `page` holds: one per character 0x21-0x7E whose key codes differ, in
// character order, then always the Escape key for ESC (1B 00 29). More than
// one entry means characters changed and the table must be read back.
std::vector<std::array<std::uint8_t, 3>> keyTableWrites(const KeyTable &reader, const KeyTable &page);

}  // namespace orvex::app
