// Options of the simulated USB reader in keyboard (HID) mode
// (orvex-readersim --hid DIR ...).
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace orvex::sim::hid {

struct HidOptions {
    std::string folder;  // --hid DIR: the simulated-device folder (ORVEX_HID_SIM_DIR of the host)
    std::string serial = "73011234";  // --serial: USB serial number; "-" = none readable
    int vendorId = 0x1209;
    int productId = 0x7301;     // --product
    int reportLength = 9;       // --report-length: input and output report length, report ID included
    std::string layout = "de";  // --layout: the key table a factory-fresh reader types with
    // Faults of the key-table channel, counted over the reader's life:
    int keyAnswerDelayMs = 0;        // --key-answer-delay-ms: key query answers come this late
    int keyAnswerDelayAt = 0;        // --key-answer-delay-at: only the Nth query's answer (0: all)
    int unplugAfterKeyCommands = 0;  // --unplug-after-keys: gone after N key queries and sets (0: never)
};

void addHidOptions(CLI::App &app, HidOptions &options);

}  // namespace orvex::sim::hid
