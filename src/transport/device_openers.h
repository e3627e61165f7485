// Openers of the USB-side transports, chosen by the port name's class.
#pragma once

#include <memory>
#include <string>

#include "transport/transport.h"

namespace orvex {

// FTDI-based reader by its USB serial number.
std::unique_ptr<Transport> openFtdiTransport(const std::string &serialNumber, const LineSettings &settings,
                                             ByteSink &sink);
// USB HID reader by its list name ("<serial> HID"), including the open
// report; `openReportRefused` tells a refused report from a missing device.
std::unique_ptr<Transport> openHidTransport(const std::string &name, ByteSink &sink, bool &openReportRefused);
// The maker's Bluetooth dongle by its list name ("<serial> BT").
std::unique_ptr<Transport> openDongleTransport(const std::string &name, ByteSink &sink);

}  // namespace orvex
