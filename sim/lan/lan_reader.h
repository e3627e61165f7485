// The simulated LAN reader: the reader core behind a TCP data link, and the
// network module on UDP port 30718. It runs inside a network namespace of its
// own (tools/netns-lab); address changes really move it: the interface's
// address is replaced with `ip addr`, and the data link listens on the new port.
#pragma once

#include <string>
#include <vector>

#include "sim/lan/lan_options.h"
#include "sim/options.h"

namespace orvex::sim::lan {

// Runs until killed. Returns a process exit code on a start failure.
int runLanReader(const Options &reader, const LanOptions &lan);

}  // namespace orvex::sim::lan
