// The key and character sequence sections of configuration files:
// ".mkr" sections hold "Count" and "Ascii%d" (the code in decimal), ".mkp"
// sections "Count" and per entry "Keydown%d" and "CodeSet1_%d" (the set-1 scan
// code, written "e0 %d" for the extended keys).
#pragma once

#include "base/file_message.h"
#include "base/ini_file.h"
#include "keys/key_sequence.h"

#include <optional>
#include <string_view>

namespace orvex::app {

// Section names of the four sequences.
namespace sequence_sections {
inline constexpr const char *kPrefix = "Prefix";
inline constexpr const char *kSuffix = "Suffix";
inline constexpr const char *kSeparator = "Termix";
inline constexpr const char *kRemovalMkr = "Abziehen";
inline constexpr const char *kRemovalMkp = "Ende";
}  // namespace sequence_sections

void writeAsciiSection(IniFile &file, std::string_view section, const CharSequence &sequence);

// Reads "Count" entries; a missing "Ascii%d" reads as code 0. "Count" 16 or
// more: message 531; a code outside 0-255: message 61714 naming the key; the
// sequence is unchanged in both cases.
std::optional<FileMessage> readAsciiSection(const IniFile &file, std::string_view section,
                                            CharSequence &sequence);

void writeKeySection(IniFile &file, std::string_view section, const KeySequence &sequence);

// Reads "Count" entries (missing keys read as "0"); virtual keys come from
// the host layout. An entry that would take the sequence past 31 bytes, or
// past 31 entries, stops the reading with message 518 (a scan code outside
// 0-255 with 61714); the entries before it become the sequence.
std::optional<FileMessage> readKeySection(const IniFile &file, std::string_view section,
                                          KeySequence &sequence);

}  // namespace orvex::app
