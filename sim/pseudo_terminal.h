// The pseudo-terminal pair a simulated serial device serves: the device
// works the master end, a host opens the slave by its path.
#pragma once

#include <stdexcept>
#include <string>

namespace orvex::sim {

struct PseudoTerminal {
    int master = -1;     // non-blocking
    int slaveHold = -1;  // keeps the slave open so the master never reads a hang-up between two hosts
    std::string slavePath;
};

// Opens a pair whose slave is in raw mode. Throws the failed step as a
// std::runtime_error; nothing stays open then.
PseudoTerminal openPseudoTerminal();

// `what` with the text of errno.
std::runtime_error systemError(const std::string &what);

}  // namespace orvex::sim
