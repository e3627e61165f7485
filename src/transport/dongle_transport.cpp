// Bluetooth dongle back end. This build has none: every name fails to open,
// exactly as when no dongle is attached.
#include "transport/dongle_transport.h"

namespace orvex {

std::unique_ptr<Transport> openDongleTransport(const std::string &, ByteSink &) { return nullptr; }

}  // namespace orvex
