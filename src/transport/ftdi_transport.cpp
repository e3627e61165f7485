// FTDI back end. This build has none: every serial number fails to open and
// the list is empty, exactly as when no such reader is attached.
#include "transport/ftdi_transport.h"

namespace orvex {

std::unique_ptr<Transport> openFtdiTransport(const std::string &, const LineSettings &, ByteSink &) {
    return nullptr;
}

std::vector<std::string> listFtdiReaders() { return {}; }

}  // namespace orvex
