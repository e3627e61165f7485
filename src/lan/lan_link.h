// Entry from the reader link into the LAN transport.
#pragma once

#include <memory>
#include <string>

#include "transport/transport.h"

namespace orvex::lan {

// Opens the TCP data link to the LAN reader named by an address text
// ("a.b.c.d[-port]" or "[name][-port]"). nullptr when it cannot connect.
std::unique_ptr<Transport> openDataLink(const std::string &address, ByteSink &sink);

}  // namespace orvex::lan
