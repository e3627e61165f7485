#include "keys/key_stroke_page.h"

#include <algorithm>
#include <array>

#include "base/cp1252.h"
#include "keys/key_names.h"

namespace orvex::app {

namespace {
constexpr uint8_t kVkAlt = 0x12, kVkControl = 0x11;
constexpr uint8_t kMaxScan = 0x59;
// Releases shown in the list: Enter, Shift, Control, Alt, Alt Gr.
constexpr std::array<uint8_t, 5> kListedReleases{0x0D, 0x10, 0x11, 0x12, kVkAltGr};
}  // namespace

int KeyStrokePage::lastIndexOf(uint8_t vk) const {
    for (int i = seq_.count() - 1; i >= 0; --i)
        if (seq_.at(i).vk == vk) return i;
    return -1;
}

bool KeyStrokePage::lastIsPress(uint8_t vk) const {
    int i = lastIndexOf(vk);
    return i >= 0 && seq_.at(i).down != 0;
}

RecordResult KeyStrokePage::recordPress(const CapturedKey &key, bool captureFocused) {
    if (key.scan > kMaxScan || !captureFocused) return RecordResult::Ignored;
    uint8_t vk = key.vk;
    if (vk == kVkAlt && key.extended && key.controlDown) vk = kVkAltGr;
    if (lastIsPress(vk)) return RecordResult::Ignored;  // key repeat
    std::string name = keyName(vk, true);
    if (name.empty()) return RecordResult::Ignored;

    const int sizeBefore = seq_.byteSize();
    int cost = 3;
    if (vk == kVkAltGr) {
        cost = 5;
        // The keyboard driver reports a Control press ahead of Alt Gr.
        if (seq_.count() > 0 && seq_.at(seq_.count() - 1).vk == kVkControl) {
            seq_.remove(seq_.count() - 1);
            cost = 2;
        }
    }
    if (sizeBefore + cost > KeySequence::kMaxBytes) return RecordResult::Overflow;
    capture_ = cp1252ToUtf8(name);
    seq_.append({vk, key.scan, 1});
    return RecordResult::Recorded;
}

RecordResult KeyStrokePage::recordRelease(const CapturedKey &key) {
    if (key.scan > kMaxScan) return RecordResult::Ignored;
    uint8_t vk = key.vk;
    if (vk == kVkAlt && key.extended) vk = kVkAltGr;
    if (!lastIsPress(vk)) return RecordResult::Ignored;
    if (keyName(vk, false).empty()) return RecordResult::Ignored;
    if (vk == kVkAltGr && seq_.count() > 0 && seq_.at(seq_.count() - 1).vk == kVkControl)
        seq_.remove(seq_.count() - 1);
    seq_.append({vk, key.scan, 0});
    return RecordResult::Recorded;
}

RecordResult KeyStrokePage::addKey(uint8_t vk, uint8_t scan) {
    if (seq_.byteSize() + 3 > KeySequence::kMaxBytes) return RecordResult::Overflow;
    capture_ = cp1252ToUtf8(keyName(vk, true));
    seq_.append({vk, scan, 1});
    seq_.append({vk, scan, 0});
    capture_ = cp1252ToUtf8(keyName(vk, false));
    return RecordResult::Recorded;
}

std::optional<PageMessage> KeyStrokePage::deleteKey() {
    auto items = rebuildList();
    if (selected_ < 0 || selected_ >= static_cast<int>(items.size())) return PageMessage{528};
    const int i = items[static_cast<std::size_t>(selected_)].entry;
    const KeyEvent removed = seq_.at(i);
    seq_.remove(i);
    if (removed.down) {
        for (int k = i; k < seq_.count(); ++k) {
            if (seq_.at(k).vk != removed.vk) continue;
            if (!seq_.at(k).down) seq_.remove(k);
            break;
        }
    } else {
        for (int k = i - 1; k >= 0; --k) {
            if (seq_.at(k).vk != removed.vk) continue;
            if (seq_.at(k).down) seq_.remove(k);
            break;
        }
    }
    selected_ = -1;
    capture_.clear();
    return std::nullopt;
}

void KeyStrokePage::clearKeys() {
    seq_.clear();
    selected_ = -1;
    capture_.clear();
}

bool KeyStrokePage::commandIsEnter(bool captureFocused) {
    if (!captureFocused) return false;
    recordPress({kVkEnter, kScanEnter, false, false}, true);
    return true;
}

void KeyStrokePage::selectItem(int item) {
    selected_ = item >= 0 && item < static_cast<int>(rebuildList().size()) ? item : -1;
}

void KeyStrokePage::setSequence(const KeySequence &sequence) {
    seq_.assign(sequence);
    selected_ = -1;
}

std::vector<KeyListItem> KeyStrokePage::rebuildList() const {
    std::vector<KeyListItem> items;
    for (int i = 0; i < seq_.count(); ++i) {
        const KeyEvent &e = seq_.at(i);
        bool listed = e.down || std::find(kListedReleases.begin(), kListedReleases.end(), e.vk) !=
                                    kListedReleases.end();
        if (listed) items.push_back({cp1252ToUtf8(keyName(e.vk, e.down != 0)), i});
    }
    return items;
}

}  // namespace orvex::app
