// The host's network adapters as LAN discovery sees them: the IPv4 addresses
// of Ethernet and Wi-Fi interfaces with their masks and interface indexes.
// The source is an interface so tests can describe any host.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lan/ipv4.h"

namespace orvex::lan {

struct NetworkAdapter {
    std::string address;  // IPv4 text
    std::string mask;     // IPv4 text
    int index = 0;        // interface index
};

class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    // In the system's order; addresses 0.0.0.0 are left out.
    virtual std::vector<NetworkAdapter> adapters() = 0;
    // Index of the interface the routing table picks towards destination.
    virtual std::optional<int> bestInterfaceIndex(const Ipv4 &destination) = 0;
};

// getifaddrs + SIOCGIFINDEX; the best interface is the one owning the local
// address of a UDP socket connected to the destination (connecting a UDP
// socket only consults the routing table; nothing is sent).
AdapterSource &systemAdapters();

// The process-wide source used by the LAN functions: systemAdapters() unless
// a test installed another one (nullptr restores the system's).
AdapterSource &adapterSource();
void setAdapterSource(AdapterSource *source);

// The adapter to bind to for destination: the first adapter with the best
// interface's index whose network holds the destination, else the first
// adapter. nullopt when the list is empty.
std::optional<NetworkAdapter> chooseAdapter(const std::vector<NetworkAdapter> &adapters, std::optional<int> bestIndex,
                                      const Ipv4 &destination);

}  // namespace orvex::lan
