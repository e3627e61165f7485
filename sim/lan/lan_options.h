// Options of the simulated LAN reader (orvex-readersim --lan ...).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/lan/network_module.h"

namespace CLI {
class App;
}

namespace orvex::sim::lan {

struct LanOptions {
    bool enabled = false;   // --lan
    std::string interface;  // --lan-iface: the interface the reader owns (moved on address changes)
    int port = 10001;       // --lan-port: TCP port of the data link
    std::string name;       // --lan-name: DHCP name
    std::optional<Ipv4> configuredAddress;  // --lan-config-ip: record 0 differs from the real address
    bool foreign = false;                   // --lan-foreign: a device of another maker
    bool noQel = false;                     // --lan-no-qel: identify answer without the "QEL" tag
    int dropAfter = 0;                      // --lan-drop-after N: close the data link after every Nth answer
    std::string readyFile;                  // --lan-ready FILE: "ready" is written there once listening
    std::string requestLog;                 // --lan-log FILE: one line per datagram received
};

// Adds the LAN reader's options to a command line that fills `options`.
void addLanOptions(CLI::App &app, LanOptions &options);

}  // namespace orvex::sim::lan
