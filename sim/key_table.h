// The character-to-key table of a reader in USB keyboard mode: for each printable ASCII
// character the HID modifier byte and usage code the reader types it with.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace orvex::sim {

constexpr std::uint8_t kFirstKeyChar = 0x21;
constexpr std::uint8_t kLastKeyChar = 0x7E;
constexpr std::uint8_t kNoKey = 0xFF;  // modifier and usage of a character without a key

// HID modifier bits used by the table.
constexpr std::uint8_t kLeftShift = 0x02;
constexpr std::uint8_t kRightAlt = 0x40;  // AltGr

// Two bytes (modifier, usage) per character from 0x21 to 0x7E.
using KeyTable = std::vector<std::uint8_t>;

// A factory reader types like a German (de-DE) PC keyboard.
KeyTable factoryKeyTable();
// The table of a reader set up for a US keyboard.
KeyTable usKeyTable();

// The (modifier, usage) of a character; nullopt outside 0x21..0x7E.
std::optional<std::pair<std::uint8_t, std::uint8_t>> keyOf(const KeyTable &table, std::uint8_t ch);
bool setKey(KeyTable &table, std::uint8_t ch, std::uint8_t modifier, std::uint8_t usage);

}  // namespace orvex::sim
