// orvex-readersim's command line: the reader's options and, with --lan, the
// LAN reader's, parsed by one CLI11 parser.
#pragma once

#include <string>
#include <vector>

#include "sim/dongle/dongle_options.h"
#include "sim/hid/hid_options.h"
#include "sim/lan/lan_options.h"
#include "sim/options.h"

namespace orvex::sim {

struct CommandLine {
    Options reader;
    lan::LanOptions lan;
    dongle::DongleCommandLine dongle;
    hid::HidOptions hid;
    bool help = false;     // --help was given
    bool version = false;  // --version was given
    std::string error;     // non-empty when the arguments are invalid
};

// Parses the arguments after the program name. Unknown options and bad
// values give an error text.
CommandLine parseCommandLine(const std::vector<std::string> &args);

// The text printed by --help.
std::string helpText();
// The text printed by --version (no line end after the last line).
std::string versionText();

}  // namespace orvex::sim
