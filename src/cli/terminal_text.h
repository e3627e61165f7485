// Texts of the string table and of readers made fit for a terminal.
#pragma once

#include <string>
#include <string_view>

namespace orvex::cli {

// CR LF and lone CR become LF.
std::string terminalLines(std::string_view text);

// Control characters shown as their visible symbols (U+2400 block), so raw
// reader output cannot move the cursor.
std::string visibleControls(std::string_view utf8);

// "F4 80", "f480", "F4,80" -> bytes; nullopt-like false for anything else.
bool parseHexBytes(std::string_view text, std::string &bytes);

}  // namespace orvex::cli
