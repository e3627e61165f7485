// Report lengths of a HID device from its report descriptor (as the kernel
// hands it out through HIDIOCGRDESC): what the system's HID capabilities
// report as input and output report byte length, counting the report ID byte.
#pragma once

#include <cstdint>
#include <span>

namespace orvex {

struct HidReportLengths {
    int input = 0;  // 0: the descriptor declares no such report
    int output = 0;
};

// The longest input and output report; a malformed descriptor counts as far
// as it could be read.
HidReportLengths reportLengthsFromDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace orvex
