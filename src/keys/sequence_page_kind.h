// The four key-sequence pages of a configuration sheet: title, list column
// caption and the file section each one is kept in.
#pragma once

#include <string>

namespace orvex::app {

enum class SequenceKind { Prefix, Suffix, Separator, Removal };

// "Prefix", "Suffix", "Block Trenner", "Abziehen".
std::string sequencePageTitle(SequenceKind kind);
// Column caption of the list: character pages and key-stroke pages differ.
std::string sequenceColumnCaption(SequenceKind kind, bool keyStrokes);
// Section of the configuration file ("Abziehen" in .mkr, "Ende" in .mkp).
const char *sequenceSection(SequenceKind kind, bool keyStrokes);

// A message a page command shows (exclamation icon, OK button).
struct PageMessage {
    int id = 0;
    bool operator==(const PageMessage &) const = default;
};

}  // namespace orvex::app
