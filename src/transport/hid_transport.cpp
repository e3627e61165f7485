// HID back end. This build has none: every name fails to open, exactly as
// when no such reader is attached.
#include "transport/hid_transport.h"

namespace orvex {

std::unique_ptr<Transport> openHidTransport(const std::string &, ByteSink &, bool &openReportRefused) {
    openReportRefused = false;
    return nullptr;
}

}  // namespace orvex
