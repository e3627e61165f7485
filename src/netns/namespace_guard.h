// A safety latch for development and CI machines: with ORVEX_LAN_NETNS_ONLY
// set (the test suite sets it for every test), LAN sockets open only inside a
// network namespace other than the machine's own, so no test can broadcast
// or connect on the real network by accident.
#pragma once

namespace orvex::netns {

bool networkAllowed();

// True inside a network namespace other than the machine's: one that differs
// from PID 1's, or, where PID 1's is not visible (containers), one of the
// named namespaces of `ip netns` (/run/netns).
bool inSeparateNetworkNamespace();

}  // namespace orvex::netns
