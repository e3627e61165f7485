// FTDI-based readers, opened by their USB serial number.
#pragma once

#include <memory>
#include <string>

#include "transport/transport.h"

namespace orvex {

std::unique_ptr<Transport> openFtdiTransport(const std::string &serialNumber, const LineSettings &settings,
                                             ByteSink &sink);

}  // namespace orvex
