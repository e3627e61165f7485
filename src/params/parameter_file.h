// Configuration-file keys of the operating parameters (section "Data") and of
// the keyboard-wedge data set: the serial form (.mkr of serial, LAN and
// Bluetooth readers), the HID form (.mkr of USB keyboard readers) and the
// keyboard-wedge form (.mkp).
#pragma once

#include <vector>

#include "base/file_message.h"

#include "base/ini_file.h"
#include "params/data_format.h"
#include "params/operating_parameters.h"

namespace orvex::app {

// Serial form: "Betriebsart", "Zykluszeit", "Baudrate", "Aufforderung",
// "TimeoutRS232", "ReaderModus" (only when a power-on radio is selected),
// "DTRModus", "RemoteIP", "RemotePort".
void writeSerialParametersToFile(const OperatingParameters &parameters, IniFile &file);
// Reads into parameters; the keyboard-wedge bytes are left as they are. A
// request text that is empty or starts below 32 reads as "?"; a "ReaderModus"
// outside 0-2 reads as no selection (-1) so that no power-on value the user
// never chose can be programmed.
void readSerialParametersFromFile(const IniFile &file, OperatingParameters &parameters);

// HID form: "Betriebsart", "Zykluszeit", "TimeoutRS232" (default 0),
// "ReaderModus".
void writeHidParametersToFile(const OperatingParameters &parameters, IniFile &file);
void readHidParametersFromFile(const IniFile &file, OperatingParameters &parameters);

// Parameter values outside what the reader's parameter block can hold
// (mode byte 0-255, cycle time and timeout 0-25500 ms, power-on mode 0-2,
// DTR 0-1, TCP port 0-65535): message 61714 for each, naming the key. In
// the serial form also a baud rate the page does not offer and a TCP-client
// target that is no IPv4 address: the unsupported-value message.
std::vector<FileMessage> checkParameterFileRanges(const IniFile &file, bool serial);

// Keyboard-wedge timing: "Verzoegerung", "Sendefrequenz", "Timeout" as the
// decimal text of the bytes (defaults "10", "5", "5"; at most 9 characters
// are read; values outside 0-255 are clamped).
void writeWedgeTimingToFile(const OperatingParameters &parameters, IniFile &file);
void readWedgeTimingFromFile(const IniFile &file, OperatingParameters &parameters);

// Keyboard-wedge data set: "TransponderTyp", "Darstellung", "ZeichenAnzahl",
// "Register1" … "Register4" (defaults 0, 1, 10, 255).
void writeWedgeDataSetToFile(const DataFormatRecord &record, IniFile &file);
DataFormatRecord readWedgeDataSetFromFile(const IniFile &file);

}  // namespace orvex::app
