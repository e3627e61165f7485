// Turns a desktop key event into the key the key-stroke sequences record:
// the PC scan code (set 1) from the X11/Wayland keycode (evdev code + 8; the
// evdev codes of the main block are the set-1 make codes, the 0xE0 keys come
// from a small table), the Windows virtual key of that key on the host
// layout, the extended bit, and whether Control is held. Alt Gr (right Alt,
// ISO_Level3_Shift) is reported the way the sequences expect it: an extended
// Alt with Control held, so no Control entry of its own is recorded.
#pragma once

#include <QKeyEvent>
#include <optional>

#include "keys/key_stroke_page.h"

namespace orvex::gui {

// nullopt for auto-repeated events and keys without a virtual key.
std::optional<app::CapturedKey> capturedKeyFrom(const QKeyEvent &event);

}  // namespace orvex::gui
