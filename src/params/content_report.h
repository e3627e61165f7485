// The text of the read-content report ("Inhalt eines programmierten Gerätes
// lesen"): the four key sequences as hexadecimal bytes, then the data format
// and the operating parameters in words. Texts come from the string table in
// the current language; lines end with CR LF and the next line starts with a
// space, as the report has always looked.
#pragma once

#include "base/capabilities.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvex::app {

// String-table text id as a report label: the part before the first ":" (or
// the whole text) padded with spaces to 18 characters, then ":" and the rest
// (a single space when there is none).
std::string reportLabel(int id);
// The same rule for any text.
std::string reportLabelOf(const std::string &text);

// "%02X " for each byte up to the first 0xFF or the end, then CR LF.
std::string hexDump(std::span<const std::uint8_t> bytes);

// Representation code as reported: 0, 1, 2, 4 by name, 3 by name only in the
// serial report, anything else "Unbekannt (code)".
std::string representationText(int code, bool serialReport);

// One data set of a serial reader's data-format block (wire image).
std::string dataSetReport(std::span<const std::uint8_t> image);

// The data format and operating parameters of a serial reader. A data-format
// block under 11 bytes gives message 546 only. A parameter block shorter than
// 4 bytes is reported with the missing bytes as 0, as the sheets read it.
std::string serialReport(std::span<const std::uint8_t> dataBlock,
                         std::span<const std::uint8_t> parameterBlock);

// The 11-byte block of a keyboard-wedge reader; shorter gives message 546.
std::string wedgeReport(std::span<const std::uint8_t> block);

// What the reader delivered, in read order; a block that could not be read is
// nullopt, and nothing after it was read.
struct ReaderContent {
    std::optional<std::vector<std::uint8_t>> prefix;      // 0x8A
    std::optional<std::vector<std::uint8_t>> suffix;      // 0x8B
    std::optional<std::vector<std::uint8_t>> removal;     // 0x8D
    std::optional<std::vector<std::uint8_t>> separator;   // 0x8C
    std::optional<std::vector<std::uint8_t>> dataFormat;  // 0x89
    std::optional<std::vector<std::uint8_t>> parameters;  // 0x8E (not read from keyboard-wedge readers)

    bool operator==(const ReaderContent &) const = default;
};

// The whole report. It ends where the first missing block is; when the
// prefix is missing it holds only the prefix label (the dialog then shows the
// read error with the link's last error code).
std::string buildContentReport(const ReaderContent &content, CapabilityFlags flags);

// The message box text of a failed prefix read ("Lesefehler : %02XHex").
std::string readErrorText(int lastError);

}  // namespace orvex::app
