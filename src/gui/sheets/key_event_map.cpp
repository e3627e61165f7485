#include "gui/sheets/key_event_map.h"

#include <array>

#include "base/keyboard_layout.h"

namespace orvex::gui {

namespace {

constexpr std::uint8_t kVkControl = 0x11, kVkAlt = 0x12;
constexpr std::uint8_t kNoScan = 0xFF;  // beyond every key the sequences know
constexpr unsigned kEvdevOffset = 8;    // X11 and Wayland keycodes are evdev codes + 8
constexpr unsigned kLastMainBlockEvdev = 0x58;

// Evdev codes of the keys a PC keyboard sends with the 0xE0 prefix.
struct ExtendedKey {
    unsigned evdev;
    std::uint8_t scan;
};
constexpr std::array<ExtendedKey, 15> kExtendedKeys{{
    {96, 0x1C},   // keypad Enter
    {97, 0x1D},   // right Control
    {98, 0x35},   // keypad /
    {99, 0x37},   // Print
    {100, 0x38},  // right Alt (Alt Gr)
    {102, 0x47},  // Home
    {103, 0x48},  // Up
    {104, 0x49},  // Page Up
    {105, 0x4B},  // Left
    {106, 0x4D},  // Right
    {107, 0x4F},  // End
    {108, 0x50},  // Down
    {109, 0x51},  // Page Down
    {110, 0x52},  // Insert
    {111, 0x53},  // Delete
}};

// Virtual keys of keys that are not characters, for events without a keycode.
struct NamedKey {
    int qtKey;
    std::uint8_t vk;
    bool extended;
};
constexpr std::array<NamedKey, 22> kNamedKeys{{
    {Qt::Key_Shift, 0x10, false},  {Qt::Key_Control, kVkControl, false},
    {Qt::Key_Alt, kVkAlt, false},  {Qt::Key_AltGr, kVkAlt, true},
    {Qt::Key_Return, 0x0D, false}, {Qt::Key_Enter, 0x0D, false},
    {Qt::Key_Tab, 0x09, false},    {Qt::Key_Backtab, 0x09, false},
    {Qt::Key_Escape, 0x1B, false}, {Qt::Key_Backspace, 0x08, false},
    {Qt::Key_Space, 0x20, false},  {Qt::Key_CapsLock, 0x14, false},
    {Qt::Key_Insert, 0x2D, true},  {Qt::Key_Delete, 0x2E, true},
    {Qt::Key_Home, 0x24, true},    {Qt::Key_End, 0x23, true},
    {Qt::Key_PageUp, 0x21, true},  {Qt::Key_PageDown, 0x22, true},
    {Qt::Key_Left, 0x25, true},    {Qt::Key_Up, 0x26, true},
    {Qt::Key_Right, 0x27, true},   {Qt::Key_Down, 0x28, true},
}};

const NamedKey *namedKey(int qtKey) {
    for (const NamedKey &k : kNamedKeys)
        if (k.qtKey == qtKey) return &k;
    return nullptr;
}

// The number pad's own virtual keys (Num Lock on).
std::optional<std::uint8_t> keypadVk(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return std::uint8_t(0x60 + (qtKey - Qt::Key_0));
    switch (qtKey) {
        case Qt::Key_Asterisk:
            return std::uint8_t(0x6A);
        case Qt::Key_Plus:
            return std::uint8_t(0x6B);
        case Qt::Key_Minus:
            return std::uint8_t(0x6D);
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return std::uint8_t(0x6E);
        case Qt::Key_Slash:
            return std::uint8_t(0x6F);
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<app::CapturedKey> capturedKeyFrom(const QKeyEvent &event) {
    if (event.isAutoRepeat()) return std::nullopt;
    const app::KeyboardLayout &layout = app::hostKeyboardLayout();
    const int qtKey = event.key();
    app::CapturedKey key;

    // Scan code and extended bit from the keycode.
    const unsigned keycode = event.nativeScanCode();
    bool haveScan = false;
    if (keycode > kEvdevOffset) {
        const unsigned evdev = keycode - kEvdevOffset;
        key.scan = kNoScan;
        if (evdev <= kLastMainBlockEvdev) {
            key.scan = static_cast<std::uint8_t>(evdev);
        } else {
            for (const ExtendedKey &e : kExtendedKeys)
                if (e.evdev == evdev) {
                    key.scan = e.scan;
                    key.extended = true;
                }
        }
        haveScan = true;
    }

    // The virtual key: the number pad's own codes, else the host layout's key
    // for the scan code, else the key the event names.
    std::optional<std::uint8_t> vk;
    if (event.modifiers() & Qt::KeypadModifier) vk = keypadVk(qtKey);
    if (qtKey == Qt::Key_AltGr) {
        // Alt Gr is the right Alt key whatever keycode the layout gives it.
        vk = kVkAlt;
        key.scan = 0x38;
        key.extended = true;
        haveScan = true;
    }
    if (!vk && haveScan && key.scan != kNoScan && layout.scanToVk(key.scan) != 0)
        vk = layout.scanToVk(key.scan);
    if (!vk) {
        if (const NamedKey *named = namedKey(qtKey)) {
            vk = named->vk;
            if (!haveScan) key.extended = named->extended;
        } else if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
            vk = static_cast<std::uint8_t>(qtKey);
        }
    }
    if (!vk) return std::nullopt;
    key.vk = *vk;
    if (!haveScan) key.scan = layout.vkToScan(key.vk);

    // Right Alt is Alt Gr on the host layout: it comes with Control, so the
    // sequence records it as one key.
    key.controlDown = (event.modifiers() & Qt::ControlModifier) || (key.vk == kVkAlt && key.extended);
    return key;
}

}  // namespace orvex::gui
