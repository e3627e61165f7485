#include "params/key_table.h"

#include "base/text_format.h"

namespace orvex::app {
namespace {

constexpr KeyMapEntry kKeyMap[] = {
    // row 1: ^ 1 2 3 4 5 6 7 8 9 0 ß ´
    {0x35, 0x29},
    {0x1E, 0x02},
    {0x1F, 0x03},
    {0x20, 0x04},
    {0x21, 0x05},
    {0x22, 0x06},
    {0x23, 0x07},
    {0x24, 0x08},
    {0x25, 0x09},
    {0x26, 0x0A},
    {0x27, 0x0B},
    {0x2D, 0x0C},
    {0x2E, 0x0D},
    // row 2: q w e r t z u i o p ü + #
    {0x14, 0x10},
    {0x1A, 0x11},
    {0x08, 0x12},
    {0x15, 0x13},
    {0x17, 0x14},
    {0x1C, 0x15},
    {0x18, 0x16},
    {0x0C, 0x17},
    {0x12, 0x18},
    {0x13, 0x19},
    {0x2F, 0x1A},
    {0x30, 0x1B},
    {0x32, 0x2B},
    // row 3: a s d f g h j k l ö ä
    {0x04, 0x1E},
    {0x16, 0x1F},
    {0x07, 0x20},
    {0x09, 0x21},
    {0x0A, 0x22},
    {0x0B, 0x23},
    {0x0D, 0x24},
    {0x0E, 0x25},
    {0x0F, 0x26},
    {0x33, 0x27},
    {0x34, 0x28},
    // row 4: < y x c v b n m , . -
    {0x64, 0x56},
    {0x1D, 0x2C},
    {0x1B, 0x2D},
    {0x06, 0x2E},
    {0x19, 0x2F},
    {0x05, 0x30},
    {0x11, 0x31},
    {0x10, 0x32},
    {0x36, 0x33},
    {0x37, 0x34},
    {0x38, 0x35},
};
static_assert(std::size(kKeyMap) == 48);

// Slots of an entry in the order keyCodeForChar tests them.
struct Slot {
    std::uint8_t KeyEntry::*field;
    std::uint16_t modifier;
    char debugLetter;
};
constexpr Slot kSlots[] = {
    {&KeyEntry::normal, 0x0000, 'N'},
    {&KeyEntry::shift, 0x0200, 'S'},
    {&KeyEntry::altGr, 0x4000, 'A'},
};

}  // namespace

std::span<const KeyMapEntry> keyMap() { return kKeyMap; }

std::vector<std::uint8_t> differingKeys(const KeyTable &a, const KeyTable &b) {
    std::vector<std::uint8_t> keys;
    for (const KeyMapEntry &entry : kKeyMap)
        if (a.keys[entry.scan] != b.keys[entry.scan]) keys.push_back(entry.scan);
    return keys;
}

std::optional<std::uint8_t> scanCodeForUsage(std::uint8_t usage) {
    for (const auto &entry : kKeyMap)
        if (entry.usage == usage) return entry.scan;
    return std::nullopt;
}

std::uint8_t usageForScanCode(std::uint8_t scan) {
    for (const auto &entry : kKeyMap)
        if (entry.scan == scan) return entry.usage;
    return 0;
}

KeyTable hostKeyTable(const KeyboardLayout &layout) {
    KeyTable table;
    for (unsigned ch = kFirstKeyChar; ch <= kLastKeyChar; ++ch) {
        const auto key = layout.charToKey(static_cast<std::uint8_t>(ch));
        if (!key || key->scan >= table.keys.size()) continue;
        KeyEntry &entry = table.keys[key->scan];
        const auto c = static_cast<std::uint8_t>(ch);
        if (key->shiftState & kShiftBit)
            entry.shift = c;
        else if ((key->shiftState & (kCtrlBit | kAltBit)) == (kCtrlBit | kAltBit))
            entry.altGr = c;
        else
            entry.normal = c;
    }
    return table;
}

int countLayoutDifferences(const KeyTable &a, const KeyTable &b, std::vector<std::string> *debugTexts) {
    int count = 0;
    for (const auto &entry : kKeyMap) {
        const KeyEntry &ka = a.keys[entry.scan];
        const KeyEntry &kb = b.keys[entry.scan];
        for (const Slot &slot : kSlots) {
            if (ka.*slot.field == kb.*slot.field) continue;
            ++count;
            if (debugTexts)
                debugTexts->push_back(formatText(std::string(1, slot.debugLetter) + "%03d(%c %c) ",
                                                 {entry.scan, ka.*slot.field, kb.*slot.field}));
        }
    }
    return count;
}

std::uint16_t keyCodeForChar(const KeyTable &table, std::uint8_t ch) {
    if (ch == 0) return 0;
    for (std::size_t scan = 0; scan < table.keys.size(); ++scan)
        for (const Slot &slot : kSlots)
            if (table.keys[scan].*slot.field == ch)
                return static_cast<std::uint16_t>(usageForScanCode(static_cast<std::uint8_t>(scan)) +
                                                  slot.modifier);
    return 0;
}

bool applyKeyQueryAnswer(KeyTable &table, std::uint8_t ch, std::span<const std::uint8_t> answer) {
    if (answer.size() < 4) return false;
    const std::uint8_t modifier = answer[2];
    const std::uint8_t usage = answer[3];
    if (modifier == 0xFF && usage == 0xFF) return false;
    const auto scan = scanCodeForUsage(usage);
    if (!scan) return false;
    KeyEntry &entry = table.keys[*scan];
    if (modifier & kAnyShiftModifiers)
        entry.shift = ch;
    else if (modifier & kRightAltModifier)
        entry.altGr = ch;
    else
        entry.normal = ch;
    return true;
}

std::array<std::uint8_t, 3> keySetData(std::uint8_t ch, std::uint16_t keyCode) {
    return {ch, static_cast<std::uint8_t>(keyCode >> 8), static_cast<std::uint8_t>(keyCode & 0xFF)};
}

std::vector<std::array<std::uint8_t, 3>> keyTableWrites(const KeyTable &reader, const KeyTable &page) {
    std::vector<std::array<std::uint8_t, 3>> writes;
    for (unsigned ch = kFirstKeyChar; ch <= kLastKeyChar; ++ch) {
        const auto c = static_cast<std::uint8_t>(ch);
        const std::uint16_t wanted = keyCodeForChar(page, c);
        if (keyCodeForChar(reader, c) != wanted) writes.push_back(keySetData(c, wanted));
    }
    writes.push_back(keySetData(0x1B, 0x0029));
    return writes;
}

}  // namespace orvex::app
