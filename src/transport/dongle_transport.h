// Readers behind the maker's Bluetooth dongle, opened by their list name ("<serial> BT").
#pragma once

#include <memory>
#include <string>

#include "transport/transport.h"

namespace orvex {

std::unique_ptr<Transport> openDongleTransport(const std::string &name, ByteSink &sink);

}  // namespace orvex
