// Line settings of a tty: from the SDK's baud argument to the kernel's termios2.
#pragma once

#include <optional>

#include "transport/transport.h"

struct termios2;  // <asm/termbits.h>; only tty_line.cpp may include it next to libc headers

namespace orvex {

// The baud argument carries the line format in its last two decimal digits:
// rate = value rounded down to a multiple of 100; remainder 0 = 8N1, 1 = 8E1,
// 2 = 8O1, 3 = 8N2, anything else 8N1.
LineSettings lineSettingsFromBaudArgument(int baud);

// Same numbering as the remainder above (the reader's line mode 0..3).
LineSettings lineSettingsFromMode(int rate, int mode);

// Raw 8-bit line at any rate (BOTHER), receiver on, modem lines ignored, no
// flow control, no input or output processing.
void fillTermios2(::termios2 &t, const LineSettings &settings);

// Applies the settings to an open tty. False when the kernel refused them.
bool applyLineSettings(int fd, const LineSettings &settings);

// Raises DTR and RTS and drops whatever sits in both kernel queues. Either can
// fail on devices without modem lines (pseudo-terminals); that is harmless.
void prepareLine(int fd);

// The settings the tty currently has, as the kernel reports them.
std::optional<LineSettings> readLineSettings(int fd);

}  // namespace orvex
