// FTDI-based readers, opened by their USB serial number.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "transport/transport.h"

namespace orvex {

std::unique_ptr<Transport> openFtdiTransport(const std::string &serialNumber, const LineSettings &settings,
                                             ByteSink &sink);

// USB serial numbers of the attached FTDI readers that are free to open.
std::vector<std::string> listFtdiReaders();

}  // namespace orvex
