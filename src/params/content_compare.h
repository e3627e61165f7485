// Which parts of a reader's configuration differ from what was meant to be
// there: the comparison before programming (is there anything to write?) and
// the check after it (does the reader hold what was written?).
#pragma once

#include "params/content_report.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::app {

// The blocks whose bytes differ, in programming order, each by its
// user-visible name ("Prefix", "Data format", "Parameters", "Suffix",
// "Removal", "Separator"). A block absent from `meant` is not compared; a
// block `meant` holds but `held` lacks (not read) counts as differing.
std::vector<std::string> differingBlocks(const ReaderContent &meant, const ReaderContent &held);

// A setting the programming writes besides the six blocks, under the name of
// its write ("isoOption", "baudRate", "powerOn", "dtrMode", "keyTable",
// "tcpClientTarget"), with the value it has.
struct ReaderSetting {
    std::string what;
    std::vector<std::uint8_t> value;
    bool operator==(const ReaderSetting &) const = default;
};

// Everything a programming run writes, as a sheet holds it.
struct ReaderImage {
    ReaderContent blocks;
    std::vector<ReaderSetting> settings;
    // Writes no reader can be asked about (transponder keys): a run that
    // sends one always changes something as far as anyone can tell.
    std::vector<std::string> writeOnly;
};

// The parts that differ by write name ("prefix", "data", "parameters",
// "suffix", "removal", "separator", then the settings in `meant`'s order,
// then the write-only parts unless readableOnly). A part `held` lacks counts
// as differing.
std::vector<std::string> differingParts(const ReaderImage &meant, const ReaderImage &held,
                                        bool readableOnly = false);

// The user-visible name of a write ("prefix" -> "Präfix"), in the current
// language; the write name itself when it has none.
std::string partName(const std::string &what);

// partName of each, joined with ", ".
std::string partNames(const std::vector<std::string> &whats);

}  // namespace orvex::app
