#include "lan/lan_link.h"

namespace orvex::lan {

// The TCP data link is not part of this build yet: LAN names fail to open.
std::unique_ptr<Transport> openDataLink(const std::string &, ByteSink &) { return nullptr; }

}  // namespace orvex::lan
