// Opening a tty for this program alone.
#pragma once

#include <string>

namespace orvex {

// Opens the tty for reading and writing, non-blocking, not as controlling
// terminal. TIOCEXCL keeps other openers out where the kernel enforces it;
// an exclusive flock also keeps out every program of this project running
// as root, whom TIOCEXCL lets through (two programs on one line would read
// each other's answers). -1 with errno EBUSY when another holds it, ENOTTY
// when it is no tty, or the open's own errno.
int openTtyExclusively(const std::string &path);

}  // namespace orvex
