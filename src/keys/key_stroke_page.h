// Model of a key-stroke sequence page of keyboard-wedge readers
// (CEingabeBasisRegisterkartePS2 and its four pages): records the presses and
// releases the person makes in the capture box, keeps presses and releases
// paired and the sequence within the reader's 31 bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "keys/key_sequence.h"
#include "keys/sequence_page_kind.h"

namespace orvex::app {

// A key event as the desktop reports it.
struct CapturedKey {
    uint8_t vk = 0;            // Windows virtual-key code
    uint8_t scan = 0;          // set-1 make code
    bool extended = false;     // 0xE0 key (right Alt, navigation block)
    bool controlDown = false;  // Control held at this moment
};

// What a press did.
enum class RecordResult { Recorded, Ignored, Overflow };

struct KeyListItem {
    std::string text;  // UTF-8
    int entry = 0;     // index in the sequence
};

class KeyStrokePage {
public:
    static constexpr uint8_t kVkEnter = 0x0D, kScanEnter = 0x1C;
    static constexpr uint8_t kVkTab = 0x09, kScanTab = 0x0F;
    static constexpr uint8_t kVkEscape = 0x1B, kScanEscape = 0x01;

    explicit KeyStrokePage(SequenceKind kind) : kind_(kind) {}

    SequenceKind kind() const { return kind_; }
    std::string title() const { return sequencePageTitle(kind_); }
    std::string columnCaption() const { return sequenceColumnCaption(kind_, true); }

    // Messages 0x8002 and 0x8001 of the capture box. Overflow: the page shows
    // the overflow dialog ("Die Größe des Datenbuffers ist überschritten");
    // releases that arrive meanwhile still go to recordRelease.
    RecordResult recordPress(const CapturedKey &key, bool captureFocused);
    RecordResult recordRelease(const CapturedKey &key);

    // "Tab" and "Esc": a press and its release.
    RecordResult addKey(uint8_t vk, uint8_t scan);
    // "Zeichen Löschen": the selected item with its partner; 528 without selection.
    std::optional<PageMessage> deleteKey();
    void clearKeys();  // "Seite Löschen"

    // The dialog manager turns Enter in the capture box into the command of
    // a button: the page records Enter instead. True when it did so (the
    // button's own command must not run).
    bool commandIsEnter(bool captureFocused);

    // Page activation and "Inhalt lesen" empty the capture box.
    void clearCapture() { capture_.clear(); }
    const std::string &captureText() const { return capture_; }

    int selectedItem() const { return selected_; }
    void selectItem(int item);

    void setSequence(const KeySequence &sequence);
    const KeySequence &getSequence() const { return seq_; }
    int count() const { return seq_.count(); }

    // Items of the list: presses, and the releases of Enter, Shift, Control,
    // Alt and Alt Gr.
    std::vector<KeyListItem> rebuildList() const;

private:
    int lastIndexOf(uint8_t vk) const;
    bool lastIsPress(uint8_t vk) const;

    SequenceKind kind_;
    KeySequence seq_;
    std::string capture_;
    int selected_ = -1;
};

}  // namespace orvex::app
