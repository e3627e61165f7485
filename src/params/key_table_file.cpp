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

std::string KeyName(std::size_t scan, const char *suffix) {
    return FormatText("ScanCode%03d", {scan}) + suffix;
}

}  // namespace

void SaveKeyTable(const KeyTable &table, IniFile &file) {
    for (std::size_t scan = 0; scan < table.keys.size(); ++scan)
        for (const SlotKey &slot : kSlotKeys) {
            const std::uint8_t ch = table.keys[scan].*slot.field;
            file.WriteString(kSection, KeyName(scan, slot.suffix),
                             ch ? std::string(1, static_cast<char>(ch)) : "");
        }
}

bool LoadKeyTable(const IniFile &file, KeyTable &table) {
    if (!file.HasSection(kSection)) return false;
    for (std::size_t scan = 0; scan < table.keys.size(); ++scan)
        for (const SlotKey &slot : kSlotKeys) {
            const std::string text = file.GetString(kSection, KeyName(scan, slot.suffix), "");
            const auto ch = text.empty() ? 0u : static_cast<unsigned char>(text[0]);
            table.keys[scan].*slot.field = IsKeyTableChar(ch) ? static_cast<std::uint8_t>(ch) : 0;
        }
    return true;
}

}  // namespace orvex::app
