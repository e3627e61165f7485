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

}  // namespace orvex::app
