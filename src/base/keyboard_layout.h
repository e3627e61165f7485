// The host keyboard layout: which key (PC scan code set 1 make code) carries
// which Windows virtual-key code and which characters. Key sequences and key
// tables keep Windows virtual-key codes as their vocabulary, so the layout is
// built in as a table (a German PC keyboard) instead of asked from the
// desktop. Characters are single bytes in Windows-1252.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace orvex::app {

// Shift state bits of a character's key, as the reader key tables use them.
enum ShiftBits : uint8_t {
    kShiftBit = 0x01,
    kCtrlBit = 0x02,
    kAltBit = 0x04,  // AltGr is reported as Ctrl + Alt
};

// The key that types a character: its scan code and the modifiers held.
struct KeyForChar {
    uint8_t scan;
    uint8_t shiftState;  // ShiftBits
};

// One key of the layout that types characters.
struct LayoutKey {
    uint8_t scan;    // set-1 make code
    uint8_t vk;      // Windows virtual-key code
    uint8_t normal;  // character alone (0: none)
    uint8_t shift;   // with Shift
    uint8_t altGr;   // with AltGr
};

class KeyboardLayout {
public:
    // The virtual key of a scan code, not distinguishing left and right
    // modifiers and ignoring the extended prefix (so 0x48 is Up, 0x38 Alt);
    // 0 when the code has no key.
    uint8_t scanToVk(uint8_t scan) const;

    // The set-1 scan code of a virtual key (the main-block key where there are
    // two); 0 when the layout has no such key.
    uint8_t vkToScan(uint8_t vk) const;

    // The character a virtual key types without modifiers; letters A-Z as
    // capitals, dead keys as their accent; 0 when the key types none.
    uint8_t vkToChar(uint8_t vk) const;

    // The key and modifiers that type a character; nullopt when no key does.
    std::optional<KeyForChar> charToKey(uint8_t ch) const;

    // The keys that type characters, for callers that draw or compare keys.
    std::span<const LayoutKey> keys() const;
};

// The layout the program assumes for the host: German (de-DE) PC keyboard.
const KeyboardLayout &hostKeyboardLayout();

}  // namespace orvex::app
