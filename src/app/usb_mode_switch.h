// The interface dialog's USB actions: the driver check and switching a
// switchable reader between HID keyboard mode and virtual COM mode.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvex::app {

// Question of the driver check for Orvex_GetUsbDriverState's bits: 10133
// (bit 0), 10134 (bit 1) and 10135, each line ended by "\n"; empty for 0.
std::string driverCheckQuestion(int driverState);
// The question when the virtual COM driver is missing: 10134 and 10135.
std::string virtualComDriverQuestion();
// The maker's driver download page (string 10132).
std::string driverDownloadPage();

// "HID Mode" for a maker's virtual COM port (" [Qel Virtual COM"): opens the
// list text, switches the reader to HID mode (1) and restarts it. True when
// the reader took the command (the port name is then cleared by the caller).
bool switchVirtualComToHid(std::string_view listText);
// "Virtual Com" for a switchable USB reader: the same with mode 2 on the
// list text without "USB: ".
bool switchHidToVirtualCom(std::string_view listText);
// The switch itself on an open link: USB mode 1 (HID) or 2 (virtual COM),
// restart, close (the reader leaves and comes back in the new mode). True
// when the reader took the mode command; the handle is closed either way.
bool switchUsbModeAndClose(int handle, int mode);

// A maker's virtual COM port as the mode switch counts it.
bool isQelVirtualComPort(std::string_view listText);

// Whether the interface dialog offers the mode switch for a port given by
// name ("6401-1234 HID", "USB: 6401-1234 HID", "/dev/ttyACM0", or its list
// text): a switchable reader in keyboard mode, or a port the serial port
// list (comPorts) shows as the maker's virtual COM port. Every other reader
// ignores or misreads the mode command.
bool offersUsbModeSwitch(std::string_view portName, const std::vector<std::string> &comPorts);

}  // namespace orvex::app
