// The FTDI, HID and Bluetooth dongle transports are not part of this build:
// their names fail to open, exactly as when no such device is attached.
#include "transport/device_openers.h"

namespace orvex {

std::unique_ptr<Transport> openFtdiTransport(const std::string &, const LineSettings &, ByteSink &) {
    return nullptr;
}

std::unique_ptr<Transport> openHidTransport(const std::string &, ByteSink &, bool &openReportRefused) {
    openReportRefused = false;
    return nullptr;
}

std::unique_ptr<Transport> openDongleTransport(const std::string &, ByteSink &) { return nullptr; }

}  // namespace orvex
