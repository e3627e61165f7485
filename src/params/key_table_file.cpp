#include "params/key_table_file.h"

#include "base/text_format.h"

namespace orvex::app {
namespace {

constexpr const char *kSection = "HID_KEYS";

struct SlotKey {
    std::uint8_t KeyEntry::*field;
    const char *suffix;
};
constexpr SlotKey kSlotKeys[] = {
    {&KeyEntry::normal, "Normal"},
    {&KeyEntry::shift, "Shift"},
    {&KeyEntry::altGr, "AltGr"},
};

std::string keyName(std::size_t scan, const char *suffix) {
    return formatText("ScanCode%03d", {scan}) + suffix;
}

}  // namespace

void saveKeyTable(const KeyTable &table, IniFile &file) {
    for (std::size_t scan = 0; scan < table.keys.size(); ++scan)
        for (const SlotKey &slot : kSlotKeys) {
            const std::uint8_t ch = table.keys[scan].*slot.field;
            file.writeString(kSection, keyName(scan, slot.suffix),
                             ch ? std::string(1, static_cast<char>(ch)) : "");
        }
}

KeyTableSectionCount countKeyTableSection(const IniFile &file) {
    KeyTableSectionCount count;
    count.section = file.hasSection(kSection);
    if (!count.section) return count;
    const KeyTable table;
    for (std::size_t scan = 0; scan < table.keys.size(); ++scan)
        for (const SlotKey &slot : kSlotKeys) {
            const std::string name = keyName(scan, slot.suffix);
            if (!file.hasKey(kSection, name)) continue;
            ++count.keys;
            const std::string text = file.getString(kSection, name, "");
            if (!text.empty() && isKeyTableChar(static_cast<unsigned char>(text[0]))) ++count.characters;
        }
    return count;
}

bool loadKeyTable(const IniFile &file, KeyTable &table) {
    if (!file.hasSection(kSection)) return false;
    for (std::size_t scan = 0; scan < table.keys.size(); ++scan)
        for (const SlotKey &slot : kSlotKeys) {
            const std::string text = file.getString(kSection, keyName(scan, slot.suffix), "");
            const auto ch = text.empty() ? 0u : static_cast<unsigned char>(text[0]);
            table.keys[scan].*slot.field = isKeyTableChar(ch) ? static_cast<std::uint8_t>(ch) : 0;
        }
    return true;
}

}  // namespace orvex::app
