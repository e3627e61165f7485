// Serial port list entries: the tty path, and a bracketed label for the
// maker's readers, taken from the USB description and identifiers.
#pragma once

#include <string>
#include <vector>

namespace orvex {

// What the system tells of one serial port.
struct SerialPortInfo {
    std::string path;         // "/dev/ttyACM0"
    std::string description;  // the port's description (USB: usually the product text)
    std::string product;      // USB product string, empty otherwise
    int vendorId = -1;        // USB identifiers, -1 when not a USB port
    int productId = -1;
};

// The maker's virtual COM device.
inline constexpr int kVirtualComVendorId = 0x16D0;
inline constexpr int kVirtualComProductId = 0x0E2A;

// "path [description]" when the description (or else the product text)
// starts with "Qel" or "Brix"; "path [Qel Virtual COM]" for the maker's
// virtual COM device; else the path alone.
std::string serialPortEntry(const SerialPortInfo &port);

// Entries ordered by port: by the path's text before its trailing number,
// then by that number; equal keys keep their order.
std::vector<std::string> serialPortEntries(std::vector<SerialPortInfo> ports);

// The serial ports the system has now.
std::vector<SerialPortInfo> systemSerialPorts();

}  // namespace orvex
