// The keys of one data set in a configuration file (.mkr): sections "Data",
// "Mifare", "Desfire" and "ISO"; data set 2 uses the names with "2".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/file_message.h"
#include "base/ini_file.h"
#include "params/data_format.h"

namespace orvex::app {

// Reads data set setNumber (1 or 2). Missing keys give the defaults; the
// used-bytes range is clamped to 1-16 for type codes below 6, else 1-250;
// other integers keep their low 8 bits. The key texts are converted from
// Windows-1252.
DataFormatRecord readDataSetFromFile(const IniFile &file, int setNumber);

// Writes every key of the data set in file order, integers in decimal, the
// key texts as typed (in Windows-1252).
void writeDataSetToFile(const DataFormatRecord &record, IniFile &file, int setNumber);

// Message 61714 naming section/key when the key is present and its decimal
// value lies outside min..max; nothing when it is missing or in range.
std::optional<FileMessage> checkFileRange(const IniFile &file, const char *section, const std::string &key,
                                          int min, int max);

// The values of data set setNumber that would not fit their field: every
// byte-sized key outside 0-255. Reading would cut such a value to its low
// byte and write another setting than the file holds. The used-byte keys
// are the exception: reading clamps them (300 becomes 16 or 250).
std::vector<FileMessage> checkDataSetFileRanges(const IniFile &file, int setNumber);

}  // namespace orvex::app
