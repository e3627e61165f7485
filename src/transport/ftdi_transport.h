// FTDI-based readers, opened by their USB serial number.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "transport/transport.h"

namespace orvex {

// The reader's tty when the kernel serves it, else the D2XX library's device
// of that serial number; nullptr when neither opens.
std::unique_ptr<Transport> openFtdiTransport(const std::string &serialNumber, const LineSettings &settings,
                                             ByteSink &sink);

// USB serial numbers of the attached FTDI readers (ttys of the ftdi_sio
// driver, then free devices of the D2XX library), each once.
std::vector<std::string> listFtdiReaders();

}  // namespace orvex
