// USB HID readers, opened by their list name ("<serial> HID").
#pragma once

#include <memory>
#include <string>

#include "transport/transport.h"

namespace orvex {

// Opens the reader and sends the open report; `openReportRefused` tells a
// refused report from a missing device.
std::unique_ptr<Transport> openHidTransport(const std::string &name, ByteSink &sink, bool &openReportRefused);

}  // namespace orvex
