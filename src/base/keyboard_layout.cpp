#include "base/keyboard_layout.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace orvex::app {

namespace {

// Virtual key of each set-1 make code 0x00-0x59 on a German PC keyboard.
// Number-pad codes give the navigation keys (their meaning without Num Lock);
// modifiers give the side-neutral codes.
constexpr std::array<uint8_t, 0x5A> kVkOfScan = {
    //  +0    +1    +2    +3    +4    +5    +6    +7    +8    +9    +A    +B    +C    +D    +E    +F
    0x00, 0x1B, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0xDB, 0xDD, 0x08, 0x09,  // 0x00
    0x51, 0x57, 0x45, 0x52, 0x54, 0x5A, 0x55, 0x49, 0x4F, 0x50, 0xBA, 0xBB, 0x0D, 0x11, 0x41, 0x53,  // 0x10
    0x44, 0x46, 0x47, 0x48, 0x4A, 0x4B, 0x4C, 0xC0, 0xDE, 0xDC, 0x10, 0xBF, 0x59, 0x58, 0x43, 0x56,  // 0x20
    0x42, 0x4E, 0x4D, 0xBC, 0xBE, 0xBD, 0x10, 0x6A, 0x12, 0x20, 0x14, 0x70, 0x71, 0x72, 0x73, 0x74,  // 0x30
    0x75, 0x76, 0x77, 0x78, 0x79, 0x90, 0x91, 0x24, 0x26, 0x21, 0x6D, 0x25, 0x0C, 0x27, 0x6B, 0x23,  // 0x40
    0x28, 0x22, 0x2D, 0x2E, 0x2C, 0x00, 0xE2, 0x7A, 0x7B, 0x00,                                      // 0x50
};

// Keys that type characters (Windows-1252), main block first so that a
// character on two keys is found on the main-block key.
constexpr LayoutKey kKeys[] = {
    // scan   vk    normal shift altGr
    {0x01, 0x1B, 0x1B, 0, 0},  // Esc
    {0x02, 0x31, '1', '!', 0},
    {0x03, 0x32, '2', '"', 0xB2},   // ²
    {0x04, 0x33, '3', 0xA7, 0xB3},  // § ³
    {0x05, 0x34, '4', '$', 0},
    {0x06, 0x35, '5', '%', 0},
    {0x07, 0x36, '6', '&', 0},
    {0x08, 0x37, '7', '/', '{'},
    {0x09, 0x38, '8', '(', '['},
    {0x0A, 0x39, '9', ')', ']'},
    {0x0B, 0x30, '0', '=', '}'},
    {0x0C, 0xDB, 0xDF, '?', '\\'},  // ß
    {0x0D, 0xDD, 0xB4, '`', 0},     // dead keys ´ and `
    {0x0E, 0x08, 0x08, 0, 0},       // Backspace
    {0x0F, 0x09, 0x09, 0, 0},       // Tab
    {0x10, 0x51, 'q', 'Q', '@'},
    {0x11, 0x57, 'w', 'W', 0},
    {0x12, 0x45, 'e', 'E', 0x80},  // €
    {0x13, 0x52, 'r', 'R', 0},
    {0x14, 0x54, 't', 'T', 0},
    {0x15, 0x5A, 'z', 'Z', 0},
    {0x16, 0x55, 'u', 'U', 0},
    {0x17, 0x49, 'i', 'I', 0},
    {0x18, 0x4F, 'o', 'O', 0},
    {0x19, 0x50, 'p', 'P', 0},
    {0x1A, 0xBA, 0xFC, 0xDC, 0},  // ü Ü
    {0x1B, 0xBB, '+', '*', '~'},
    {0x1C, 0x0D, 0x0D, 0, 0},  // Enter
    {0x1E, 0x41, 'a', 'A', 0},
    {0x1F, 0x53, 's', 'S', 0},
    {0x20, 0x44, 'd', 'D', 0},
    {0x21, 0x46, 'f', 'F', 0},
    {0x22, 0x47, 'g', 'G', 0},
    {0x23, 0x48, 'h', 'H', 0},
    {0x24, 0x4A, 'j', 'J', 0},
    {0x25, 0x4B, 'k', 'K', 0},
    {0x26, 0x4C, 'l', 'L', 0},
    {0x27, 0xC0, 0xF6, 0xD6, 0},  // ö Ö
    {0x28, 0xDE, 0xE4, 0xC4, 0},  // ä Ä
    {0x29, 0xDC, '^', 0xB0, 0},   // dead key ^, °
    {0x2B, 0xBF, '#', '\'', 0},
    {0x2C, 0x59, 'y', 'Y', 0},
    {0x2D, 0x58, 'x', 'X', 0},
    {0x2E, 0x43, 'c', 'C', 0},
    {0x2F, 0x56, 'v', 'V', 0},
    {0x30, 0x42, 'b', 'B', 0},
    {0x31, 0x4E, 'n', 'N', 0},
    {0x32, 0x4D, 'm', 'M', 0xB5},  // µ
    {0x33, 0xBC, ',', ';', 0},
    {0x34, 0xBE, '.', ':', 0},
    {0x35, 0xBD, '-', '_', 0},
    {0x39, 0x20, ' ', 0, 0},
    {0x56, 0xE2, '<', '>', '|'},
    // number pad (Num Lock on)
    {0x37, 0x6A, '*', 0, 0},
    {0x4A, 0x6D, '-', 0, 0},
    {0x4E, 0x6B, '+', 0, 0},
    {0x35, 0x6F, '/', 0, 0},  // with the extended prefix
    {0x47, 0x67, '7', 0, 0},
    {0x48, 0x68, '8', 0, 0},
    {0x49, 0x69, '9', 0, 0},
    {0x4B, 0x64, '4', 0, 0},
    {0x4C, 0x65, '5', 0, 0},
    {0x4D, 0x66, '6', 0, 0},
    {0x4F, 0x61, '1', 0, 0},
    {0x50, 0x62, '2', 0, 0},
    {0x51, 0x63, '3', 0, 0},
    {0x52, 0x60, '0', 0, 0},
    {0x53, 0x6E, ',', 0, 0},
};

constexpr uint8_t kAltGrState = kCtrlBit | kAltBit;

const LayoutKey *keyOfVk(uint8_t vk) {
    auto it =
        std::find_if(std::begin(kKeys), std::end(kKeys), [vk](const LayoutKey &k) { return k.vk == vk; });
    return it == std::end(kKeys) ? nullptr : &*it;
}

}  // namespace

uint8_t KeyboardLayout::scanToVk(uint8_t scan) const { return scan < kVkOfScan.size() ? kVkOfScan[scan] : 0; }

uint8_t KeyboardLayout::vkToScan(uint8_t vk) const {
    if (vk == 0) return 0;
    auto it = std::find(kVkOfScan.begin(), kVkOfScan.end(), vk);
    if (it != kVkOfScan.end()) return static_cast<uint8_t>(it - kVkOfScan.begin());
    const LayoutKey *key = keyOfVk(vk);
    return key ? key->scan : 0;
}

uint8_t KeyboardLayout::vkToChar(uint8_t vk) const {
    const LayoutKey *key = keyOfVk(vk);
    if (!key) return 0;
    uint8_t ch = key->normal;
    return (ch >= 'a' && ch <= 'z') ? static_cast<uint8_t>(ch - 'a' + 'A') : ch;
}

std::optional<KeyForChar> KeyboardLayout::charToKey(uint8_t ch) const {
    if (ch == 0) return std::nullopt;
    for (const LayoutKey &k : kKeys) {
        if (k.normal == ch) return KeyForChar{k.scan, 0};
        if (k.shift == ch) return KeyForChar{k.scan, kShiftBit};
        if (k.altGr == ch) return KeyForChar{k.scan, kAltGrState};
    }
    return std::nullopt;
}

std::span<const LayoutKey> KeyboardLayout::keys() const { return kKeys; }

const KeyboardLayout &hostKeyboardLayout() {
    static const KeyboardLayout layout;
    return layout;
}

}  // namespace orvex::app
