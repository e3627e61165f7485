// Names of control codes and keys shown in the key sequence lists, and the
// translation between the scan codes the host reports (PC scan code set 1)
// and the ones a keyboard-wedge reader emits (set 2).
//
// Names are byte strings: a character 0x80-0xFF is Windows-1252 (as in the
// configuration files); the user interface converts it for display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvex::app {

// Virtual-key code the sequences use for the Alt Gr key (right Alt).
inline constexpr uint8_t kVkAltGr = 0x89;

// Name of a character-sequence code: the control-code name ("CR (Enter)",
// "F1", "Wait 100", ...) or else the byte itself as a one-character string.
std::string codeName(uint8_t code);

// Text of position code (0x00-0x8F) of the character input list of the
// sequence page; empty for other codes.
std::string inputListText(uint8_t code);
inline constexpr int kInputListSize = 0x90;

// Name of a key for the key-stroke lists: the key-name or extended-key table
// name, else the character the host layout puts on the key ("+" is "PLUS"),
// else empty (a key that cannot be recorded). Releases of Enter, Shift,
// Control, Alt and Alt Gr get " - " appended.
std::string keyName(uint8_t vk, bool down);

// True for the twelve keys that are sent with the 0xE0 prefix.
bool isExtended(uint8_t vk);

// Set-2 code of a set-1 make code 0x00-0x59; nullopt above (no such key).
std::optional<uint8_t> toSet2(uint8_t scan);

// First set-1 code whose set-2 code is byte; 0xFF when none is.
uint8_t fromSet2(uint8_t byte);

// Virtual key of an entry made from a scan code rather than a live key
// press: the layout gives Alt for Alt Gr, the minus key for Divide and the
// navigation keys for the number pad; the extended flag tells them apart.
uint8_t normaliseVk(uint8_t vk, bool extended);

}  // namespace orvex::app
