#include "sim/pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace orvex::sim {

std::runtime_error systemError(const std::string &what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

PseudoTerminal openPseudoTerminal() {
    PseudoTerminal pty;
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.master < 0) throw systemError("posix_openpt");
    char name[128];
    termios raw{};
    if (::grantpt(pty.master) == 0 && ::unlockpt(pty.master) == 0 &&
        ::ptsname_r(pty.master, name, sizeof name) == 0) {
        pty.slavePath = name;
        pty.slaveHold = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    if (pty.slaveHold < 0 || tcgetattr(pty.slaveHold, &raw) != 0) {
        auto error = systemError("pseudo-terminal setup");
        for (int fd : {pty.master, pty.slaveHold})
            if (fd >= 0) ::close(fd);
        throw error;
    }
    cfmakeraw(&raw);
    tcsetattr(pty.slaveHold, TCSANOW, &raw);
    ::fcntl(pty.master, F_SETFL, ::fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    return pty;
}

}  // namespace orvex::sim
