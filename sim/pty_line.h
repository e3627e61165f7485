// termios2 access to a pseudo-terminal pair, kept apart because <asm/termbits.h>
// cannot share a translation unit with <termios.h>.
#pragma once

#include <optional>

#include "sim/reader_line.h"

namespace orvex::sim {

// The slave's line as the host set it, read through the master (Linux answers TCGETS2 on
// a master with the slave's termios). nullopt when the ioctl fails.
std::optional<HostLine> readHostLine(int masterFd);

// Puts the terminal of `fd` into raw 8-bit mode at the reader's rate and stop bits, so a
// host that opens the slave without configuring it already gets answers.
bool setRawLine(int fd, const ReaderLine &line);

}  // namespace orvex::sim
