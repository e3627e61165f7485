// The key table in configuration files: section "HID_KEYS" with, for every
// scan code s, "ScanCode%03d" of s followed by "Normal", "Shift" and "AltGr",
// each a one-character text (empty for none).
#pragma once

#include "base/ini_file.h"
#include "params/key_table.h"

namespace orvex::app {

void saveKeyTable(const KeyTable &table, IniFile &file);

// False, table unchanged, when the file has no "HID_KEYS" section. Missing
// keys read as none; a character outside 0x21-0x7E (which no reader key
// table holds) reads as none too.
bool loadKeyTable(const IniFile &file, KeyTable &table);

// How much of a table the "HID_KEYS" section holds: the keys of the 384
// present, and whether any of them names a character. Writing a section that
// lacks keys or characters clears them on the reader.
struct KeyTableSectionCount {
    bool section = false;
    int keys = 0;        // of kKeyTableFileKeys
    int characters = 0;  // keys naming a character
};
inline constexpr int kKeyTableFileKeys = static_cast<int>(std::tuple_size_v<decltype(KeyTable::keys)>) * 3;
KeyTableSectionCount countKeyTableSection(const IniFile &file);

}  // namespace orvex::app
