// The simulated dongle's command-line options.
#pragma once

#include <string>
#include <vector>

#include "sim/dongle/dongle_core.h"

namespace CLI {
class App;
}

namespace orvex::sim::dongle {

struct DongleCommandLine {
    bool enabled = false;                   // --dongle
    std::vector<std::string> radioReaders;  // --radio-reader texts
    DongleOptions options;
};

void addDongleOptions(CLI::App &app, DongleCommandLine &line);

// The radio readers of the command line (a default set when none is given);
// an error text when one is not valid.
std::string resolveRadioReaders(DongleCommandLine &line);

}  // namespace orvex::sim::dongle
