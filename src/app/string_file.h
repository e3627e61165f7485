// The text format of the English string table (OrvexReaderSetupEng.ini):
//
//   [Strings]            numbered entries
//   509=Programming completed successfully
//   [Named]              named entries
//   report.close=Close
//
// UTF-8; lines starting with ';' or '#' are comments; CR LF or LF line ends.
// A value is everything after the first '='; escapes \n \r \t \\ and \" ;
// a value written in double quotes keeps leading and trailing spaces.
#pragma once

#include "app/string_table.h"

#include <string>
#include <string_view>

namespace orvex::app {

// Adds the entries of text to table; returns the number of entries read.
// Lines that are not entries of a known section are skipped.
std::size_t parseStringFile(std::string_view text, StringTable::Table &table);

// The value as it is written in the file (escaped, quoted when it has
// leading or trailing spaces).
std::string escapeStringValue(std::string_view value);

}  // namespace orvex::app
