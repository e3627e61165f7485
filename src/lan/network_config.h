// The network settings of a LAN reader through its module's datagrams:
// reading them as texts, changing address, mask, gateway, port and name, and
// the target of the reader's own TCP client. Each operation finds the reader
// anew on the host's adapters and lets go of it at the end. Results: ORVEX_OK
// or ORVEX_LAN_FAILED.
#pragma once

#include <string>
#include <string_view>

#include "orvex/orvex.h"

namespace orvex::lan {

bool isReachable(std::string_view address);

struct NetworkSettingsText {
    std::string name;     // "[name]-port"
    std::string address;  // "a.b.c.d-port", empty when the address comes by DHCP
    std::string mask;     // "a.b.c.d"
    std::string gateway;  // "a.b.c.d"
};
int readSettings(std::string_view address, NetworkSettingsText &settings);

// newAddress: "a.b.c.d[-port]" for a fixed address, "[name][-port]" for DHCP
// with that name; empty mask or gateway texts leave the mask unchanged and
// clear the gateway.
int configure(std::string_view address, std::string_view newAddress, std::string_view mask,
              std::string_view gateway);

struct ClientTarget {
    std::string address;  // "a.b.c.d"
    int port = 0;
};
int readClientTarget(std::string_view address, ClientTarget &target);
// An empty target text clears the target (0.0.0.0).
int setClientTarget(std::string_view address, std::string_view target, int port);

}  // namespace orvex::lan
